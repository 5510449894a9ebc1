#include <gtest/gtest.h>

#include <cmath>

#include "prep/smoothed_report.h"
#include "prep/smoothing.h"
#include "textio/report_writer.h"

namespace qf {
namespace {

Spectra flatSpectra(int nSpec, int nPoints, double value) {
    Spectra s;
    s.nSpec = nSpec;
    s.nPoints = nPoints;
    s.step = 1.0;
    s.workSpectra.resize(nSpec, nPoints, value);
    s.expSpectra.resize(nSpec, nPoints, value);
    return s;
}

TEST(SmoothingCycle, ThresholdsAreTwoPercentAndOneAndAHalfFitRms) {
    Spectra s = flatSpectra(1, 4, 5000.0);
    FitResiduals fit;
    fit.residuals.resize(1, 4);
    fit.fitRms = 2.0;
    fit.expRms = 1.0;
    fit.residuals(0, 0) = 2.0;   // exactly 2: not corrected
    fit.residuals(0, 1) = 3.0;   // exactly 1.5 x fitRms, above 2: corrected
    fit.residuals(0, 2) = -2.9;  // below 1.5 x fitRms
    fit.residuals(0, 3) = -3.5;
    EXPECT_EQ(smoothingCycle(s, fit, AcceptanceRule::SeriesFits, 1), CycleDecision::SilentPass);
    EXPECT_EQ(s.workSpectra(0, 0), 5000.0);
    EXPECT_EQ(s.workSpectra(0, 1), 5300.0);
    EXPECT_EQ(s.workSpectra(0, 2), 5000.0);
    EXPECT_EQ(s.workSpectra(0, 3), 4650.0);
    EXPECT_EQ(s.lambdaMax, 321.0);
}

TEST(SmoothingCycle, EqualMaximaGoToTheLaterPoint) {
    Spectra s = flatSpectra(2, 3, 100.0);
    s.workSpectra(0, 1) = 10000.0;
    s.workSpectra(1, 0) = 10000.0;
    FitResiduals fit;
    fit.residuals.resize(2, 3);
    fit.fitRms = 1.0;
    fit.expRms = 1.0;
    // Nothing corrected: the reporting pass follows.
    EXPECT_EQ(smoothingCycle(s, fit, AcceptanceRule::SeriesFits, 1), CycleDecision::ReportingPass);
    EXPECT_EQ(s.lambdaMax, 320.0);  // spectrum 2, point 1
}

// A cycle that corrects a point: what each acceptance rule decides around
// its thresholds.
struct Unclean {
    Spectra spectra = flatSpectra(1, 2, 5000.0);
    FitResiduals fit;
    Unclean(double expRms, double meanR) {
        fit.residuals.resize(1, 2);
        fit.residuals(0, 0) = 5.0;  // corrected
        fit.fitRms = 1.0;
        fit.expRms = expRms;
        fit.tarnoMeanR = meanR;
    }
    CycleDecision cycle(AcceptanceRule rule, int number) { return smoothingCycle(spectra, fit, rule, number); }
};

constexpr CycleDecision kSilent = CycleDecision::SilentPass;
constexpr CycleDecision kReport = CycleDecision::ReportingPass;

TEST(AcceptanceRule, PhasePlaneReportsAboveMeanR099OrAfterTheThirdCycle) {
    EXPECT_EQ(Unclean(1.0, 0.99).cycle(AcceptanceRule::PhasePlane, 1), kSilent);
    EXPECT_EQ(Unclean(1.0, 0.9901).cycle(AcceptanceRule::PhasePlane, 1), kReport);
    EXPECT_EQ(Unclean(1.0, 0.5).cycle(AcceptanceRule::PhasePlane, 3), kSilent);
    EXPECT_EQ(Unclean(1.0, 0.5).cycle(AcceptanceRule::PhasePlane, 4), kReport);
    // The fits' RMS rule does not apply to the phase-plane stage.
    EXPECT_EQ(Unclean(0.01, 0.5).cycle(AcceptanceRule::PhasePlane, 1), kSilent);
}

TEST(AcceptanceRule, FitsReportBelowExpRms02) {
    for (const AcceptanceRule rule : {AcceptanceRule::SeriesFits, AcceptanceRule::SpectrumFits}) {
        EXPECT_EQ(Unclean(0.2, 0.0).cycle(rule, 1), kSilent);
        EXPECT_EQ(Unclean(0.1999, 0.0).cycle(rule, 1), kReport);
        // The phase-plane correlation does not apply to the fits.
        EXPECT_EQ(Unclean(1.0, 1.0).cycle(rule, 1), kSilent);
    }
}

TEST(AcceptanceRule, SeriesFitsReportAtTheSixthCycleSpectrumFitsAtTheEleventh) {
    EXPECT_EQ(Unclean(1.0, 0.0).cycle(AcceptanceRule::SeriesFits, 5), kSilent);
    EXPECT_EQ(Unclean(1.0, 0.0).cycle(AcceptanceRule::SeriesFits, 6), kReport);
    EXPECT_EQ(Unclean(1.0, 0.0).cycle(AcceptanceRule::SpectrumFits, 10), kSilent);
    EXPECT_EQ(Unclean(1.0, 0.0).cycle(AcceptanceRule::SpectrumFits, 11), kReport);
}

// A point lowered by 300 shows as -2.99 in the differences: Fix truncates
// toward zero.
TEST(SmoothedReport, DifferencesTruncateTowardZero) {
    Spectra s = flatSpectra(1, 2, 10000.0);
    s.workSpectra(0, 1) = 9700.0;
    ReportWriter graph;
    graph.openInMemory("graph file");
    const double rms = writeSmoothedSpectra(graph, s, 3, Program::Quenfit);
    EXPECT_EQ(graph.memory(),
              "SMOOTHED NORMALIZED EXPERIMENTAL SPECTRA, from 320 to 380 Step  1 \r\n"
              "1,.97,\r\n"
              "\r\n"
              "DIFERENCE BETWEEN EXPERIMENTAL AND SMOOTHED SPECTRA, % from 320 to 380, Step  1 \r\n"
              "0,-2.99,\r\n");
    EXPECT_NEAR(rms, std::sqrt(2.99 * 2.99 / 2.0), 1e-12);
}

TEST(SmoothedReport, SingleSpectrumLayout) {
    Spectra s = flatSpectra(1, 2, 10000.0);
    s.workSpectra(0, 0) = -1234.0;
    ReportWriter graph;
    graph.openInMemory("graph file");
    writeSmoothedSpectra(graph, s, 2, Program::Monofit);
    EXPECT_EQ(graph.memory(),
              "SMOOTHED NORMALIZED CORRECTED EXPERIMENTAL SPECTRA, from 320 to 380 Step  1 \r\n"
              ".1234,1,\r\n"
              "\r\n"
              "DIFERENCE BETWEEN EXPERIMENTAL AND SMOOTHED SPECTRA, % from 320 to 380, Step  1 \r\n"
              "-112.33,0,\r\n"  // Fix(-11234 + 0.5) = -11233
              "\r\n");
}

}  // namespace
}  // namespace qf
