// The global fit on simulated files with a known truth: noise-free series
// give back their positions and Stern-Volmer constants, a single spectrum
// never gets a Stern-Volmer constant, and the spectra it fits are the ones
// the programs' own analysis read prepares.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "driver/read_stage.h"
#include "driver/run_state.h"
#include "fit/global_fit.h"
#include "fit/prepared.h"
#include "support/test_support.h"
#include "tools/synthetic_data.h"

namespace {

using qf::Program;
namespace fit = qf::fit;
namespace synth = qf::synth;

synth::SeriesSpec seriesOf(std::vector<synth::Component> components, int type = 1) {
    synth::SeriesSpec s;
    s.quencherType = type;
    // Thirty spectra as a typical series: the programs hold the normalized
    // spectra as whole numbers, and that rounding (1 in 10000) is all the
    // noise a noise-free file has.
    for (int i = 0; i < 30; ++i) s.concentrations.push_back(0.02 * i);
    s.components = std::move(components);
    return s;
}

fit::FitOptions quick() {
    fit::FitOptions o;
    o.bootstrapRounds = 40;
    return o;
}

TEST(FitRecovery, NoiseFreeSeriesGivesBackPositionsAndKsvOfEveryComponent) {
    struct Case {
        std::vector<synth::Component> bands;
        int type;
    };
    const std::vector<Case> cases = {
        {{{338.0, 6000.0, 7.0}}, 1},
        {{{321.0, 4000.0, 2.5}, {343.0, 5000.0, 11.0}}, 1},
        // Activities differ from the concentrations for the other types.
        {{{330.0, 5000.0, 1.5}, {350.0, 3000.0, 9.0}}, 3},
        {{{316.0, 3000.0, 1.0}, {331.0, 4000.0, 5.0}, {349.0, 4000.0, 16.0}}, 1},
    };
    for (const Case& c : cases) {
        const synth::SeriesSpec sim = seriesOf(c.bands, c.type);
        const fit::FitOutcome out = fit::fitDataText("series.dat", synth::seriesFile(sim), std::nullopt, quick());
        ASSERT_TRUE(out.fit) << out.failure;
        const std::size_t n = c.bands.size();
        const fit::ModelFit& m = out.fit->models[n - 1];
        ASSERT_EQ(m.component.size(), n);
        for (std::size_t i = 0; i < n; ++i) {
            SCOPED_TRACE("component " + std::to_string(i + 1) + " of " + std::to_string(n));
            EXPECT_NEAR(m.component[i].position.value, c.bands[i].lambdaM, 0.01);
            ASSERT_TRUE(m.component[i].ksv);
            EXPECT_NEAR(m.component[i].ksv->value, c.bands[i].ksv, 0.001 * c.bands[i].ksv);
            EXPECT_LE(m.component[i].position.low, m.component[i].position.value);
            EXPECT_GE(m.component[i].position.high, m.component[i].position.value);
        }
    }
}

TEST(FitRecovery, SingleSpectrumHasNoKsvAndSharesAddUpToHundred) {
    synth::SeriesSpec sim = seriesOf({{324.0, 4000.0, 0.0}, {346.0, 6000.0, 0.0}});
    sim.noise = 0.003;
    const fit::FitOutcome out = fit::fitDataText("single.dat", synth::singleSpectrumFile(sim), std::nullopt, quick());
    ASSERT_TRUE(out.fit) << out.failure;
    EXPECT_EQ(out.fit->program, Program::Monofit);
    EXPECT_TRUE(out.fit->activity.empty());
    for (const fit::ModelFit& m : out.fit->models) {
        double total = 0.0;
        for (const fit::ComponentFit& c : m.component) {
            EXPECT_FALSE(c.ksv);
            total += c.share.value;
        }
        EXPECT_NEAR(total, 100.0, 1e-6);
    }
    const fit::ModelFit& two = out.fit->models[1];
    EXPECT_NEAR(two.component[0].position.value, 324.0, 1.0);
    EXPECT_NEAR(two.component[1].position.value, 346.0, 1.0);
    // The same file read as a series is refused as the series program refuses it.
    const fit::FitOutcome asSeries =
        fit::fitDataText("single.dat", synth::singleSpectrumFile(sim), Program::Quenfit, quick());
    EXPECT_FALSE(asSeries.fit);
    EXPECT_EQ(asSeries.failure.rfind("quenfit: single.dat", 0), 0u) << asSeries.failure;
}

TEST(FitRecovery, ClearTwoComponentSeriesIsJudgedTwoAndClassedByThePeak) {
    synth::SeriesSpec sim = seriesOf({{322.0, 5000.0, 2.0}, {348.0, 5000.0, 14.0}});
    sim.noise = 0.004;
    const fit::FitOutcome out = fit::fitDataText("series.dat", synth::seriesFile(sim), std::nullopt, quick());
    ASSERT_TRUE(out.fit) << out.failure;
    const fit::GlobalFit& g = *out.fit;
    EXPECT_EQ(g.chosen, 2) << g.reason;
    EXPECT_EQ(g.models[1].verdict, fit::Verdict::Chosen);
    EXPECT_EQ(g.models[0].verdict, fit::Verdict::Rejected);
    EXPECT_LT(*g.models[0].pVsNext, 1e-6);
    double weights = 0.0;
    for (const fit::ModelFit& m : g.models) weights += m.akaikeWeight;
    EXPECT_NEAR(weights, 1.0, 1e-12);
    // The peak on the wavelength scale lies below the band maximum; the
    // class follows the peak as the programs print it (348 nm -> L 344.7).
    const fit::ComponentFit& red = g.models[1].component[1];
    EXPECT_LT(red.peak.value, red.position.value);
    EXPECT_EQ(red.spectralClass, qf::SpectralClass::II);
    ASSERT_TRUE(g.models[1].leaveOneOutShift);
    EXPECT_LT(*g.models[1].leaveOneOutShift, 0.5);
}

TEST(FitRecovery, FitsTheSpectraThatTheProgramsAnalysisReadPrepares) {
    synth::SeriesSpec sim = seriesOf({{330.0, 5000.0, 3.0}, {350.0, 3000.0, 9.0}}, 2);
    sim.noise = 0.01;
    const std::string text = synth::seriesFile(sim);
    qf::testing::ScratchDir dir;
    qf::testing::writeFile(dir.file("series.dat"), text);
    qf::RunState run;
    run.program = Program::Quenfit;
    run.dataPath = dir.file("series.dat");
    run.reports.result.openInMemory("report file");
    run.reports.graph.openInMemory("graph file");
    run.reports.summary.openInMemory("summary file");
    run.stage = qf::StageState(Program::Quenfit);
    qf::firstPass(run);
    qf::analysisRead(run);
    const fit::PreparedData mine = fit::prepareData(run.dataPath, text, Program::Quenfit);
    ASSERT_EQ(mine.spectra.nSpec, run.spectra.nSpec);
    ASSERT_EQ(mine.spectra.nPoints, run.spectra.nPoints);
    EXPECT_EQ(mine.spectra.lambdaMax, run.spectra.lambdaMax);
    for (int k = 0; k < run.spectra.nSpec; ++k) {
        for (int j = 0; j < run.spectra.nPoints; ++j) {
            ASSERT_EQ(mine.spectra.workSpectra(k, j), run.spectra.workSpectra(k, j)) << k << "," << j;
        }
    }
    EXPECT_EQ(mine.activity, run.quencher.activity);
    EXPECT_EQ(mine.ksvTrp, run.quencher.ksvTrp);
}

TEST(FitRecovery, SameSeedSameIntervals) {
    synth::SeriesSpec sim = seriesOf({{325.0, 5000.0, 2.0}, {345.0, 5000.0, 10.0}});
    sim.noise = 0.01;
    const std::string text = synth::seriesFile(sim);
    const fit::FitOutcome a = fit::fitDataText("s.dat", text, std::nullopt, quick());
    const fit::FitOutcome b = fit::fitDataText("s.dat", text, std::nullopt, quick());
    ASSERT_TRUE(a.fit && b.fit);
    for (std::size_t n = 0; n < 3; ++n) {
        for (std::size_t i = 0; i <= n; ++i) {
            EXPECT_EQ(a.fit->models[n].component[i].position.low, b.fit->models[n].component[i].position.low);
            EXPECT_EQ(a.fit->models[n].component[i].share.high, b.fit->models[n].component[i].share.high);
        }
    }
}

}  // namespace
