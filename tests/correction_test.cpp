#include <gtest/gtest.h>

#include <sstream>

#include "prep/correction.h"
#include "quench/quencher.h"
#include "textio/data_file.h"
#include "textio/data_reader.h"
#include "textio/failure.h"

namespace qf {
namespace {

Grid gridOf(const std::string& line) {
    DataReader r("d", line);
    return readParameterLine(r, false, kSingleLimits).grid;
}

// Measured standard = table value at each grid wavelength x `scale`.
std::vector<double> standardLikeTable(const Grid& g, double scale) {
    std::vector<double> s;
    for (int k = 0; k < g.points; ++k) {
        const double lambda = g.first + k * g.step;
        const double t = lambda - 309.0;
        s.push_back(t >= 1 && t <= 91 ? standardSpectrumTable()[static_cast<std::size_t>(tableIndex(t))] * scale
                                      : 0.5);
    }
    return s;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string l;
    while (std::getline(in, l)) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        out.push_back(l);
    }
    return out;
}

int commaCount(const std::string& s) { return static_cast<int>(std::count(s.begin(), s.end(), ',')); }

struct FirstPassResult {
    std::vector<std::string> lines;
    double standardMax;
};

FirstPassResult runFirstPass(const Grid& g, std::vector<double> standard) {
    Matrix spectra(1, g.points, 100.0);
    ReportWriter graph;
    graph.openInMemory("graph file");
    const double m = firstPassCorrection(g, spectra, standard, graph);
    return {lines(graph.memory()), m};
}

TEST(CorrectionCurve, HeadingFormsAndFactorCounts) {
    {
        const Grid g = gridOf("301 400 1");
        const auto r = runFirstPass(g, standardLikeTable(g, 2.0));
        EXPECT_EQ(r.lines[1], "CORRECTION CURVE, from 310 to 400, Step  1 ");
        EXPECT_EQ(commaCount(r.lines[2]), 91);  // L = 9, U = 0
        EXPECT_EQ(r.lines[2].substr(0, 6), "1.004,");  // flat curve
    }
    {
        const Grid g = gridOf("310 420 2");
        const auto r = runFirstPass(g, standardLikeTable(g, 2.0));
        EXPECT_EQ(r.lines[1], "CORRECTION CURVE, from 310 to 400, Step  2 ");
        EXPECT_EQ(commaCount(r.lines[2]), 46);  // U = 10
        EXPECT_EQ(r.lines[2].substr(0, 6), "1.004,");  // four decimals, flat curve
    }
    {
        const Grid g = gridOf("315 395 1");
        const auto r = runFirstPass(g, standardLikeTable(g, 3.0));
        EXPECT_EQ(r.lines[1], "CORRECTION CURVE, from  315  to  395 , Step  1 ");
        EXPECT_EQ(commaCount(r.lines[2]), 81);  // table indices 6 to 86
    }
    {
        const Grid g = gridOf("312 398 2");
        const auto r = runFirstPass(g, standardLikeTable(g, 1.0));
        EXPECT_EQ(r.lines[1], "CORRECTION CURVE, from  312  to  398 , Step  2 ");
    }
    {
        const Grid g = gridOf("314 420 1");
        const auto r = runFirstPass(g, standardLikeTable(g, 1.0));
        EXPECT_EQ(r.lines[1], "CORRECTION CURVE, from  314  to 400, Step  1 ");
        EXPECT_EQ(commaCount(r.lines[2]), 87);
    }
}

TEST(CorrectionCurve, FlatForAStandardProportionalToTheTable) {
    const Grid g = gridOf("320 380 1");
    const auto r = runFirstPass(g, standardLikeTable(g, 5.0));
    std::string expected;
    for (int i = 0; i < 61; ++i) expected += "1.004,";
    EXPECT_EQ(r.lines[2], expected);
    EXPECT_EQ(r.lines[4], "NORMALIZED CORRECTED EXPERIMENTAL SPECTRA, from 320 to 380, Step  1 ");
    EXPECT_EQ(r.standardMax, 1.004 * 5.0);
}

TEST(CorrectionCurve, PointsOutsideTheTableBecomeZero) {
    // 300-399 at 1 nm: points below 310 nm have no factor and are 0 in the
    // corrected spectra; the normalized window still peaks at 1.
    const Grid g = gridOf("300 399 1");
    const auto r = runFirstPass(g, standardLikeTable(g, 1.0));
    EXPECT_EQ(commaCount(r.lines[2]), 90);
    EXPECT_EQ(commaCount(r.lines[5]), 61);
}

TEST(CorrectionCurve, ZeroInTheStandardIsADivisionByZero) {
    const Grid g = gridOf("320 380 1");
    std::vector<double> s = standardLikeTable(g, 1.0);
    s[30] = 0.0;
    try {
        runFirstPass(g, s);
        FAIL();
    } catch (const RunFailure& e) {
        EXPECT_STREQ(e.what(), "division by zero: the measured standard is 0 at 350 nm");
    }
}

TEST(TableIndex, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(tableIndex(2.5), 2);
    EXPECT_EQ(tableIndex(3.5), 4);
    EXPECT_EQ(tableIndex(3.25), 3);
    EXPECT_EQ(tableIndex(91.0), 91);
    EXPECT_THROW(tableIndex(101.0), RunFailure);
}

TEST(Normalization, LargestIsTenThousandAtTheFirstMaximum) {
    Spectra sp;
    Grid g = gridOf("320 380 1");
    Matrix window(2, 61, 50.0);
    window(0, 10) = 200.0;
    window(1, 20) = 200.0;  // tie: the first point found stays
    window(1, 5) = 0.0;
    std::vector<double> standard = standardLikeTable(g, 1.0);
    correctWindow(g, 1.004, window, standard, sp);
    normalizeWindow(sp);
    EXPECT_EQ(sp.nSpec, 2);
    EXPECT_EQ(sp.nPoints, 61);
    // After correction 330 nm carries the factor .654/.654*1.004.
    EXPECT_DOUBLE_EQ(sp.spectrumMax, 200.0 * 1.004);
    EXPECT_EQ(sp.lambdaMax, 330.0);
    EXPECT_EQ(sp.workSpectra(0, 10), 10000.0);
    EXPECT_EQ(sp.workSpectra(1, 20), 10000.0);
    EXPECT_EQ(sp.workSpectra(0, 0), 2500.0);
    EXPECT_EQ(sp.workSpectra(1, 5), 0.0);
    for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 61; ++j) EXPECT_EQ(sp.workSpectra(i, j), sp.expSpectra(i, j));
    }
}

TEST(Quencher, ActivitiesAndReportLines) {
    QuencherSeries q;
    q.type = 2;
    q.concentration = {0.0, 0.1, 0.2};
    setUpQuencher(q);
    EXPECT_EQ(q.ksvTrp, 3.19);
    EXPECT_EQ(q.activity[0], 0.0);
    EXPECT_NEAR(q.activity[1], 0.075992, 5e-7);
    ReportWriter result;
    ReportWriter graph;
    result.openInMemory("report");
    graph.openInMemory("graph");
    writeQuencherLines(q, result, graph);
    const std::vector<std::string> l = lines(result.memory());
    EXPECT_EQ(l[0], "Quencher Concentration, M:       0         .1            .2           ");
    EXPECT_EQ(l[1].substr(0, 50), "Quencher Chemical Activities, M: 0         .076   ");
    EXPECT_EQ(l.size(), 4u);
    EXPECT_EQ(graph.memory(), "\r\n");

    QuencherSeries one;
    one.type = 1;
    one.concentration = {0.0, 0.1, 0.2};
    setUpQuencher(one);
    EXPECT_EQ(one.activity, one.concentration);
    EXPECT_EQ(one.ksvTrp, 16.8);
    for (int type = 3; type <= 5; ++type) {
        QuencherSeries t;
        t.type = type;
        t.concentration = {0.0};
        setUpQuencher(t);
        EXPECT_EQ(t.activity[0], 0.0);
    }
}

TEST(Quencher, SeriesNeedsThreeSpectraAndTwoActivities) {
    QuencherSeries q;
    q.type = 1;
    q.concentration = {0.1, 0.1, 0.1};
    setUpQuencher(q);
    EXPECT_THROW(checkSeries(q), RunFailure);
    q.concentration = {0.0, 0.1};
    setUpQuencher(q);
    EXPECT_THROW(checkSeries(q), RunFailure);
    q.concentration = {0.0, 0.1, 0.1};
    setUpQuencher(q);
    EXPECT_NO_THROW(checkSeries(q));
}

}  // namespace
}  // namespace qf
