#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "driver/stages.h"
#include "textio/failure.h"
#include "decomp_fixture.h"

namespace qf::testing {
namespace {

// The single-spectrum stages from the stage in run.stage to the end, as the
// driver runs them; `prepare` fills the spectra at the head of each stage.
// Returns the stage of every head: a fall-back shows as a second 2.
std::vector<int> runMonoStages(RunState& run, const std::function<void(RunState&)>& prepare) {
    std::vector<int> heads;
    runSpectrumStages(run, [&](RunState& r) {
        heads.push_back(r.stage.components());
        prepare(r);
    });
    return heads;
}

// The summary row of the stage with `label` ("VELA - 3 "): Nsc, the cycles
// of the stage less one, stands in columns 21 to 23.
std::string nscOf(const std::string& summary, const std::string& label) {
    const std::size_t row = summary.find(label);
    return row == std::string::npos ? "" : summary.substr(row + 20, 3);
}

void expectNear(const VelaBest& v, const std::vector<Band>& truth, double tolerance) {
    for (std::size_t k = 0; k < truth.size(); ++k) {
        EXPECT_NEAR(v.bestMaxima[k], truth[k].lambdaM, tolerance) << "component " << k + 1;
    }
}

// Positions of the stage with as many components as the truth, within the
// printed DL. The reporting pass of stage N leaves stage N's solution.
TEST(MonofitRecovery, OneAndTwoBandsAtOneAndHalfNanometre) {
    for (double step : {1.0, 0.5}) {
        const std::vector<Band> one{{331.0, 8000.0, 0.0}};
        auto run = spectrumRun(one, step);
        fillSpectra(*run, one, {0.0}, step);
        EXPECT_EQ(runMonoVelaStage(*run), StageEnd::NextStage);
        EXPECT_LE(std::fabs(run->vela.bestMaxima[0] - 331.0), run->vela.maxPositionError[0]) << step;

        const std::vector<Band> two{{331.0, 6000.0, 0.0}, {350.0, 5000.0, 0.0}};
        auto run2 = spectrumRun(two, step);
        run2->stage.enterStage(Stage::TwoComponents);
        EXPECT_EQ(runMonoVelaStage(*run2), StageEnd::NextStage);
        for (int k = 0; k < 2; ++k) {
            EXPECT_LE(std::fabs(run2->vela.bestMaxima[static_cast<std::size_t>(k)] - two[static_cast<std::size_t>(k)].lambdaM),
                      run2->vela.maxPositionError[static_cast<std::size_t>(k)])
                << "step " << step << " component " << k + 1;
        }
    }
}

// Without a quenching series three bands are fitted to within the rounding
// of the normalized spectrum by more than one set of positions; the search
// ends in the basin its coarse pass picks. The fit itself must be good and
// the components ordered around the truth.
TEST(MonofitRecovery, ThreeBandsFitTheSpectrum) {
    const std::vector<Band> three{{316.0, 3000.0, 0.0}, {331.0, 6000.0, 0.0}, {350.0, 5000.0, 0.0}};
    auto run = spectrumRun(three, 1.0);
    const std::vector<int> heads = runMonoStages(*run, [&](RunState& r) { fillSpectra(r, three, {0.0}, 1.0); });
    EXPECT_EQ(heads, (std::vector<int>{1, 2, 3}));
    expectNear(run->vela, three, 10.0);
    EXPECT_LT(run->fit.fitRms, 0.05);
    const std::string& summary = run->reports.summary.memory();
    EXPECT_EQ(summary.rfind("PROGRAMM", 0), 0u);  // heading written by the first stage
    EXPECT_NE(summary.find("VELA - 3 "), std::string::npos);
    // Single-spectrum layout: the 69 "=" rule closes each stage's results.
    EXPECT_NE(run->reports.result.memory().find(std::string(69, '=') + "\r\n\r\n"), std::string::npos);
}

// A single band has no three-component solution: the run falls back to two
// components and switches to three at the third smoothing cycle.
TEST(MonofitFallBack, TwoComponentsThenThreeAtTheThirdCycle) {
    const std::vector<Band> one{{340.0, 8000.0, 0.0}};
    auto run = spectrumRun(one, 1.0);
    // Outliers of three sizes keep the cycles correcting for three cycles.
    auto addOutliers = [](RunState& r) {
        r.spectra.workSpectra(0, 30) += 4000.0;
        for (int j : {5, 12, 20, 38, 45, 50, 55, 58}) r.spectra.workSpectra(0, j) += 600.0;
        r.spectra.workSpectra(0, 25) += 250.0;
        for (int j = 0; j < r.spectra.nPoints; ++j) r.spectra.expSpectra(0, j) = r.spectra.workSpectra(0, j);
    };
    const std::vector<int> heads = runMonoStages(*run, [&](RunState& r) {
        fillSpectra(r, one, {0.0}, 1.0);
        addOutliers(r);
    });
    // The second two-component stage turned into a three-component one at
    // its third cycle; its smoothed spectrum has a three-component solution,
    // reported as stage 3 after one more cycle (Nsc 4 - 1).
    EXPECT_EQ(heads, (std::vector<int>{1, 2, 3, 2}));
    EXPECT_TRUE(run->stage.done());
    EXPECT_TRUE(run->stage.fallbackUsed());
    EXPECT_EQ(nscOf(run->reports.summary.memory(), "VELA - 3 "), " 3 ");
    const std::string& summary = run->reports.summary.memory();
    EXPECT_EQ(summary.find("VELA - 2 "), summary.rfind("VELA - 2 "));  // one two-component block
    EXPECT_NE(summary.find("VELA - 3 ", summary.find("VELA - 2 ")), std::string::npos);
    EXPECT_EQ(run->reports.result.memory().find("SOLUTION IS ABSENT"), std::string::npos);
}

// Nothing to fit: the absence lines of stages 1 and 2, the summary heading
// first; stage 3 falls back once to two components (absent again), then ends.
TEST(MonofitAbsence, EmptySpectrum) {
    auto run = spectrumRun({{340.0, 8000.0, 0.0}}, 1.0);
    const std::vector<int> heads = runMonoStages(*run, [](RunState& r) {
        r.spectra.workSpectra.resize(1, 61, 0.0);
        r.spectra.expSpectra.resize(1, 61, 0.0);
    });
    EXPECT_EQ(heads, (std::vector<int>{1, 2, 3, 2, 3}));
    const std::string rule79(79, '-');
    const std::string& summary = run->reports.summary.memory();
    const std::string two = "TWO-COMPONENT SOLUTION IS ABSENT!\r\n" + std::string(75, '-') + "\r\n";
    const std::size_t body = summary.find(rule79) + 81;
    EXPECT_EQ(summary.substr(body, summary.find("DISCR. - ") - body),
              "MONOCOMPONENT SOLUTION IS ABSENT!\r\n" + rule79 + "\r\n" + two + two);
    const std::string two77 = "TWO-COMPONENT SOLUTION IS ABSENT!\r\n" + std::string(77, '-') + "\r\n";
    EXPECT_EQ(run->reports.result.memory(), "MONOCOMPONENT SOLUTION IS ABSENT!\r\n" + std::string(77, '-') +
                                                "\r\n" + two77 + two77 + "THREE-COMPONENT SOLUTION IS ABSENT!\r\n");
}

TEST(MonofitCapacity, HundredFiftyWindowPointsAtMost) {
    auto run = spectrumRun({{340.0, 8000.0, 0.0}}, 1.0);
    run->spectra.nPoints = 151;
    run->spectra.workSpectra.resize(1, 151, 100.0);
    run->spectra.expSpectra.resize(1, 151, 100.0);
    EXPECT_THROW(runMonoVelaStage(*run), RunFailure);
}

}  // namespace
}  // namespace qf::testing
