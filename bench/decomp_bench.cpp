// Time of each VELA stage of quenfit on a 30-spectrum series recorded at
// 1 nm from 300 to 399 nm (the fits see the 61 points of 320-380 nm): two
// bands at 331 and 350 nm, quenched with Stern-Volmer constants 3 and 15 /M.

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "band/band.h"
#include "driver/run_state.h"
#include "driver/stages.h"
#include "textio/fpcheck.h"
#include "textio/rounding.h"

namespace {

using qf::RunState;

constexpr int kSpectra = 30;

// The window of the series as an analysis read leaves it: corrected,
// normalized to 10000, whole numbers.
void readSeries(RunState& run) {
    qf::Spectra& s = run.spectra;
    s.nSpec = kSpectra;
    s.step = 1.0;
    s.nPoints = 61;
    s.workSpectra.resize(kSpectra, 61);
    s.expSpectra.resize(kSpectra, 61);
    qf::Matrix raw(kSpectra, 61);
    double g = 0.0;
    for (int i = 0; i < kSpectra; ++i) {
        const double q = run.quencher.activity[static_cast<std::size_t>(i)];
        for (int j = 0; j < 61; ++j) {
            const double lambda = s.wavelength(j);
            const double v = 6000.0 / (1.0 + 3.0 * q) * qf::lognormalShape(331.0, lambda) +
                             5000.0 / (1.0 + 15.0 * q) * qf::lognormalShape(350.0, lambda);
            raw(i, j) = v * (340.0 / lambda) * (340.0 / lambda);
            if (raw(i, j) > g) {
                g = raw(i, j);
                s.lambdaMax = lambda;
            }
        }
    }
    s.spectrumMax = g;
    for (int i = 0; i < kSpectra; ++i) {
        for (int j = 0; j < 61; ++j) {
            s.workSpectra(i, j) = qf::fix(raw(i, j) * 10000.0 / g + 0.5);
            s.expSpectra(i, j) = s.workSpectra(i, j);
        }
    }
}

std::unique_ptr<RunState> newRun() {
    auto run = std::make_unique<RunState>();
    run->program = qf::Program::Quenfit;
    run->reports.result.openInMemory("report file");
    run->reports.graph.openInMemory("graph file");
    run->reports.summary.openInMemory("summary file");
    run->quencher.type = 1;
    for (int i = 0; i < kSpectra; ++i) {
        run->quencher.concentration.push_back(0.02 * i);
        run->quencher.activity.push_back(0.02 * i);
    }
    run->quencher.ksvTrp = 16.8;
    return run;
}

void velaStage(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto run = newRun();
        qf::fp::clear();
        readSeries(*run);
        run->stage.enterStage(static_cast<qf::Stage>(n));
        state.ResumeTiming();
        benchmark::DoNotOptimize(qf::runVelaStage(*run));
    }
}

}  // namespace

BENCHMARK(velaStage)->Name("VELA stage (N components)")->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
