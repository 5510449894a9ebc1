#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "driver/run_state.h"
#include "driver/stages.h"
#include "phase/position_search.h"
#include "driver/phase_pass.h"
#include "phase_series.h"
#include "textio/failure.h"
#include "textio/fpcheck.h"
#include "textio/number_text.h"

namespace qf {
namespace {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) break;
        out.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    EXPECT_EQ(start, text.size()) << "text must end with CR LF";
    return out;
}

std::size_t indexOf(const std::vector<std::string>& v, const std::string& prefix, std::size_t from = 0) {
    for (std::size_t i = from; i < v.size(); ++i) {
        if (v[i].rfind(prefix, 0) == 0) return i;
    }
    ADD_FAILURE() << "no line starting with " << prefix;
    return v.size();
}

std::string pad(int columnNow, int column) { return std::string(static_cast<std::size_t>(column - columnNow), ' '); }

struct SeriesRun {
    RunState run;
    SeriesRun(int nSpec, double step) {
        run.reports.result.openInMemory("report file");
        run.reports.graph.openInMemory("graph file");
        run.reports.summary.openInMemory("summary file");
        run.quencher = testing::phaseQuencher(nSpec);
        run.spectra = testing::twoBandSeries(testing::TwoBandTruth{}, run.quencher, step);
        run.grid.step = step;
        run.grid.windowPoints = run.spectra.nPoints;
        fp::clear();
    }
};

// The stage run once on a six-spectrum series; one test per report block.
class AcceptedSeries : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        series_ = new SeriesRun(6, 2.0);
        runTarnoStage(series_->run);
    }
    static void TearDownTestSuite() {
        delete series_;
        series_ = nullptr;
    }
    static const RunState& run() { return series_->run; }
    static std::vector<std::string> result() { return lines(run().reports.result.memory()); }
    static std::vector<std::string> graph() { return lines(run().reports.graph.memory()); }
    static const PhaseComponent& first() { return run().tarno.positions.component[0]; }
    static inline SeriesRun* series_ = nullptr;
    const std::string heading_ = std::string(39, ' ') + "SUBPROGRAMM TARNO";
};

TEST_F(AcceptedSeries, StageEndsAfterOneCycleAndTheReportingPass) {
    EXPECT_TRUE(run().stage.reportingPassDue());
    EXPECT_EQ(run().stage.smoothingCycles(), 1);
    EXPECT_EQ(run().tarno.passes, 2);
    EXPECT_GT(run().fit.tarnoMeanR, 0.99);
    EXPECT_EQ(run().fit.residuals.rows(), 6);
    EXPECT_EQ(run().fit.residuals.cols(), 31);
}

TEST_F(AcceptedSeries, ResultHeadingAndTable1) {
    const auto res = result();
    ASSERT_GE(res.size(), 3u);
    EXPECT_EQ(res[0], "");
    EXPECT_EQ(res[1], heading_);
    EXPECT_EQ(res[2], "T A B L E  1");  // two blanks in the phase-plane tables
    const std::size_t t1 = indexOf(res, "N comp.");
    EXPECT_EQ(res[t1], "N comp." + pad(8, 19) + "L (nm)" + pad(25, 29) + "DL" + pad(31, 44) + "V (1/cm)" +
                           pad(52, 54) + "DV");
    EXPECT_EQ(res[t1 + 1].substr(0, 17 + numberText(first().L).size() + 2),
              " 1 " + pad(4, 18) + " " + numberText(first().L) + " ");
    EXPECT_EQ(res[t1 + 3], "");
}

TEST_F(AcceptedSeries, Table2RowsOfBothComponents) {
    const auto res = result();
    const std::size_t t2 = indexOf(res, "T A B L E  2");
    const std::size_t body = indexOf(res, "Cq", t2) + 1;
    for (int i = 0; i < 6; ++i) {
        const std::string& row1 = res[body + 3 * static_cast<std::size_t>(i)];
        const std::string& row2 = res[body + 3 * static_cast<std::size_t>(i) + 1];
        EXPECT_EQ(row1.substr(8, 1), "1") << row1;
        const std::string s2 = numberText(run().tarno.shares[static_cast<std::size_t>(i)].percent[1]);
        EXPECT_EQ(row2.substr(0, 19 + s2.size() + 2), pad(1, 9) + "2" + pad(10, 20) + " " + s2 + " ");
        EXPECT_EQ(res[body + 3 * static_cast<std::size_t>(i) + 2], "");
    }
    const std::size_t t3 = indexOf(res, "T A B L E 3");
    EXPECT_GT(t3, body);
    EXPECT_EQ(res[t3 + 5].substr(0, 5), pad(1, 5) + "1");  // the label is bare text
}

TEST_F(AcceptedSeries, ResultEndsWithTheDiscriminantAndTheNextHeading) {
    const auto res = result();
    const std::size_t gof = indexOf(res, "  GOODNESS-of-FIT CRITERIA, DISCRIMINANT: ");
    EXPECT_EQ(res[gof], "  GOODNESS-of-FIT CRITERIA, DISCRIMINANT:  " + numberText(run().tarno.tarnoDiscriminant) + " ");
    EXPECT_EQ(res[gof + 2], std::string(77, '-'));
    EXPECT_EQ(res[gof + 3], "");
    EXPECT_EQ(res[gof + 4], std::string(39, ' ') + "SUBPROGRAMM VELA-I");
    EXPECT_EQ(res.size(), gof + 5);
}

TEST_F(AcceptedSeries, GraphSmoothedSpectraAndTheirDifferences) {
    const auto g = graph();
    EXPECT_EQ(g[0], heading_);
    EXPECT_EQ(g[1], "SMOOTHED NORMALIZED CORRECTED EXPERIMENTAL SPECTRA, from 320 to 380, Step  2 ");
    const std::size_t diff = indexOf(g, "DIFERENCE BETWEEN");
    EXPECT_EQ(diff, 2u + 6u + 1u);
    std::string zeros;
    for (int j = 0; j < 31; ++j) zeros += "0,";
    EXPECT_EQ(g[diff + 1], zeros);
}

TEST_F(AcceptedSeries, GraphSternVolmerResidualsAndCurves) {
    const auto g = graph();
    const std::size_t sv = indexOf(g, "DATA for STERN-VOLMER PLOT");
    EXPECT_EQ(g[sv + 3], "0,.05,.1,.15,.2,.25,");  // activities to 0.001
    EXPECT_EQ(g[sv + 4].substr(0, 2), "1,");       // F0/F of the first spectrum
    const std::size_t resid = indexOf(g, "RESIDUALS, % (Diference");
    EXPECT_EQ(resid, sv + 3 + 5 + 1);  // abscissa, 2 points and 2 lines, an empty line
    const std::size_t theo = indexOf(g, "THEORETICAL SPECTRA, from 305 to 400, Step 1nm");
    EXPECT_EQ(theo, resid + 1 + 6 + 1);
    const std::size_t comps = indexOf(g, "COMPONENTS FOR THE FIRST THEORETICAL SPECTRUM");
    EXPECT_EQ(comps, theo + 1 + 6 + 1);
    for (std::size_t c = 1; c <= 2; ++c) {
        EXPECT_EQ(std::count(g[comps + c].begin(), g[comps + c].end(), ','), 96);
    }
}

TEST_F(AcceptedSeries, GraphEndsWithTheDiscriminantAndTheNextHeading) {
    const auto g = graph();
    const std::size_t comps = indexOf(g, "COMPONENTS FOR THE FIRST THEORETICAL SPECTRUM");
    EXPECT_EQ(g[comps + 3], "");
    EXPECT_EQ(g[comps + 4], "DISCRIMINANT =  " + numberText(run().tarno.tarnoDiscriminant) + " ");
    EXPECT_EQ(g[comps + 6], std::string(77, '-'));
    EXPECT_EQ(g[comps + 7], std::string(39, ' ') + "SUBPROGRAMM VELA-I");
    EXPECT_EQ(g.size(), comps + 8);
}

TEST_F(AcceptedSeries, SummaryBlock) {
    const auto sum = lines(run().reports.summary.memory());
    ASSERT_EQ(sum.size(), 5u);
    EXPECT_EQ(sum[0].substr(0, 8), "PROGRAMM");
    EXPECT_EQ(sum[1], std::string(79, '-'));
    EXPECT_EQ(sum[2].substr(0, 5), "TARNO");
    EXPECT_EQ(sum[2].substr(20, 3), " 0 ");  // Nsc - 1
    EXPECT_NE(sum[2].find(" " + numberText(first().L) + " +/- " + numberText(first().DL) + " "), std::string::npos);
    EXPECT_EQ(sum[3].substr(0, 27), std::string(25, ' ') + " 2");
    EXPECT_EQ(sum[4], std::string(79, '-'));
}

TEST(TarnoStage, ReportingPassKeepsThePreviousWavenumberSpectra) {
    SeriesRun r(6, 2.0);
    const Matrix before = wavenumberSpectra(r.run.spectra);
    TarnoPassContext silent{r.run.spectra, r.run.quencher, r.run.fit, 0, r.run.tarno, nullptr, 2};
    tarnoPass(silent);
    const PhasePositions first = r.run.tarno.positions;
    // A cycle corrects a point; the reporting pass prints it but keeps F.
    r.run.spectra.workSpectra(2, 5) += 300.0;
    TarnoPassContext reporting = silent;
    reporting.reports = &r.run.reports;
    tarnoPass(reporting);
    EXPECT_EQ(r.run.tarno.positions.component[0].lambdaM, first.component[0].lambdaM);
    EXPECT_EQ(r.run.tarno.positions.component[1].lambdaM, first.component[1].lambdaM);
    EXPECT_EQ(r.run.tarno.wavenumberSpectra(2, 5), before(2, 5));
    const auto graph = lines(r.run.reports.graph.memory());
    const std::size_t diff = indexOf(graph, "DIFERENCE BETWEEN");
    EXPECT_EQ(graph[diff + 3].substr(0, 12), "0,0,0,0,0,3,");
    // A silent pass rescales again and sees the corrected point.
    tarnoPass(silent);
    EXPECT_NE(r.run.tarno.wavenumberSpectra(2, 5), before(2, 5));
}

TEST(TarnoStage, OutlierIsCorrectedBeforeTheReportingPass) {
    SeriesRun r(6, 2.0);
    r.run.spectra.workSpectra(3, 12) -= 400.0;
    r.run.spectra.expSpectra(3, 12) -= 400.0;
    runTarnoStage(r.run);
    EXPECT_GE(r.run.stage.smoothingCycles(), 1);
    const auto graph = lines(r.run.reports.graph.memory());
    const std::size_t diff = indexOf(graph, "DIFERENCE BETWEEN");
    // The corrected point shows its correction (about +4 %).
    std::stringstream row(graph[diff + 4]);
    std::string cell;
    for (int j = 0; j <= 12; ++j) std::getline(row, cell, ',');
    EXPECT_NEAR(std::stod(cell), 4.0, 0.5);
}

TEST(TarnoStage, FastPassWritesWhatTheDirectPassWrites) {
    std::string text[2];
    for (int m = 0; m < 2; ++m) {
        SeriesRun r(5, 3.0);
        r.run.spectra.workSpectra(2, 7) += 250.0;  // an outlier, so the residuals differ from 0
        TarnoPassContext pass{r.run.spectra, r.run.quencher, r.run.fit, 0, r.run.tarno,
                              &r.run.reports, m == 0 ? 1 : 2,
                              m == 0 ? TarnoMethod::Direct : TarnoMethod::Fast};
        tarnoPass(pass);
        text[m] = r.run.reports.result.memory() + r.run.reports.graph.memory() +
                  r.run.reports.summary.memory();
    }
    EXPECT_FALSE(text[0].empty());
    EXPECT_EQ(text[0], text[1]);
}

TEST(TarnoStage, CapacityFailuresWriteNothing) {
    for (int n : {31, 2}) {
        SeriesRun r(n, 2.0);
        try {
            runTarnoStage(r.run);
            FAIL() << n;
        } catch (const RunFailure& e) {
            EXPECT_NE(std::string(e.what()).find("spectra"), std::string::npos) << e.what();
        }
        EXPECT_EQ(r.run.reports.result.memory(), "");
        EXPECT_EQ(r.run.reports.graph.memory(), "");
        EXPECT_EQ(r.run.reports.summary.memory(), "");
    }
}

TEST(TarnoStage, ZeroReferenceValueMakesTheStageAbsent) {
    SeriesRun r(5, 2.0);
    r.run.spectra.workSpectra(1, 0) = 0.0;
    EXPECT_EQ(runTarnoStage(r.run), TarnoEnd::Absent);
    ASSERT_EQ(r.run.warnings.size(), 1u);
    EXPECT_NE(r.run.warnings[0].find("spectrum 2 has the value 0 at the reference point 320 nm"),
              std::string::npos)
        << r.run.warnings[0];
    EXPECT_EQ(lines(r.run.reports.graph.memory()).size(), 2u) << "the two headings alone";
    EXPECT_FALSE(fp::raised());
}

}  // namespace
}  // namespace qf
