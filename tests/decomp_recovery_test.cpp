#include <gtest/gtest.h>

#include <cmath>

#include "driver/stages.h"
#include "textio/failure.h"
#include "decomp_fixture.h"

namespace qf::testing {
namespace {

// Runs stages 1..last through the stage transitions: fresh spectra for
// every stage.
void runStages(RunState& run, const std::vector<Band>& bands, int last, double step = 1.0) {
    for (run.stage.enterStage(Stage::OneComponent); run.stage.components() <= last; run.stage.nextStage()) {
        fillSpectra(run, bands, run.quencher.concentration, step);
        ASSERT_EQ(runVelaStage(run), StageEnd::NextStage) << "stage " << run.stage.components();
    }
}

void expectPositionsWithinDl(const VelaBest& v, const std::vector<Band>& truth) {
    for (std::size_t k = 0; k < truth.size(); ++k) {
        EXPECT_LE(std::fabs(v.bestMaxima[k] - truth[k].lambdaM), v.maxPositionError[k])
            << "component " << k + 1 << " at " << v.bestMaxima[k];
    }
}

TEST(VelaRecovery, OneBandGivesVelaIAtItsBand) {
    const std::vector<Band> truth{{340.0, 8000.0, 8.0}};
    auto run = seriesRun(truth, tenConcentrations());
    runStages(*run, truth, 1);
    expectPositionsWithinDl(run->vela, truth);
    EXPECT_NEAR(run->vela.bestKsv[0], 8.0, 0.05);
    EXPECT_NEAR(run->vela.bestSvIntercept[0], 1.0, 0.01);
    // The reporting pass ends with the heading of the next stage.
    const std::string& result = run->reports.result.memory();
    EXPECT_NE(result.find(std::string(39, ' ') + "SUBPROGRAMM VELA-II\r\n"), std::string::npos);
    EXPECT_EQ(run->reports.summary.memory().rfind("VELA- 1 ", 0), 0u);
}

TEST(VelaRecovery, TwoBandsWithTheirSternVolmerConstants) {
    const std::vector<Band> truth{{331.0, 6000.0, 3.0}, {350.0, 5000.0, 15.0}};
    auto run = seriesRun(truth, tenConcentrations());
    runStages(*run, truth, 2);
    expectPositionsWithinDl(run->vela, truth);
    EXPECT_NEAR(run->vela.bestKsv[0], 3.0, 0.1);
    EXPECT_NEAR(run->vela.bestKsv[1], 15.0, 0.1);
    EXPECT_GE(run->vela.bestSvR[1], 0.999);
}

TEST(VelaRecovery, ThreeBands) {
    const std::vector<Band> truth{{316.0, 3000.0, 1.0}, {331.0, 6000.0, 4.0}, {350.0, 5000.0, 15.0}};
    auto run = seriesRun(truth, tenConcentrations());
    runStages(*run, truth, 3);
    expectPositionsWithinDl(run->vela, truth);
    EXPECT_NEAR(run->vela.bestKsv[2], 15.0, 0.1);
    // Three stages, three blocks; the third has three component lines.
    const std::string& summary = run->reports.summary.memory();
    EXPECT_NE(summary.find("VELA- 3 "), std::string::npos);
    EXPECT_NE(summary.find("\r\n" + std::string(25, ' ') + " 3 "), std::string::npos);
}

TEST(VelaRecovery, FinerGridWithinCapacity) {
    const std::vector<Band> truth{{331.0, 6000.0, 3.0}, {350.0, 5000.0, 15.0}};
    auto run = seriesRun(truth, tenConcentrations(), 0.75);
    runStages(*run, truth, 2, 0.75);
    expectPositionsWithinDl(run->vela, truth);
    EXPECT_EQ(run->fit.residuals.cols(), 81);
}

// 121 window points (0.5 nm) exceed the 100 points the series fits hold:
// a clear failure, not a write beyond the arrays.
TEST(VelaRecovery, WindowBeyondCapacityIsRefused) {
    const std::vector<Band> truth{{331.0, 6000.0, 3.0}};
    auto run = seriesRun(truth, tenConcentrations(), 0.5);
    try {
        runVelaStage(*run);
        FAIL() << "no failure";
    } catch (const RunFailure& e) {
        EXPECT_NE(std::string(e.what()).find("121 window points"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(run->reports.result.memory().empty());
}

// The reports do not depend on anything but the data: a second run gives the
// same text, byte for byte.
TEST(VelaRecovery, ReportsAreReproducible) {
    const std::vector<Band> truth{{328.0, 6000.0, 2.0}, {347.0, 5000.0, 11.0}};
    auto first = seriesRun(truth, tenConcentrations());
    auto second = seriesRun(truth, tenConcentrations());
    runStages(*first, truth, 3);
    runStages(*second, truth, 3);
    EXPECT_EQ(first->reports.result.memory(), second->reports.result.memory());
    EXPECT_EQ(first->reports.graph.memory(), second->reports.graph.memory());
}

}  // namespace
}  // namespace qf::testing
