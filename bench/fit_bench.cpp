// Speed of the global fit: everything `trpfit fit` computes for one data
// file (N = 1, 2, 3, bootstrap intervals, leave-one-spectrum-out stability,
// the verdict), for a 30-spectrum series at 1 nm and for a single spectrum.
// The targets: at most 2 s for the series and 0.5 s for the single
// spectrum on the 2-core build machine. Wall-clock time is what counts, as
// the bootstrap uses both cores.

#include <benchmark/benchmark.h>

#include <string>

#include "fit/global_fit.h"
#include "tools/synthetic_data.h"

namespace {

qf::synth::SeriesSpec simulated(int components) {
    qf::synth::SeriesSpec s;
    for (int i = 0; i < 30; ++i) s.concentrations.push_back(0.02 * i);
    const qf::synth::Component bands[3] = {{318.0, 3000.0, 2.0}, {334.0, 5000.0, 8.0}, {350.0, 4000.0, 20.0}};
    for (int i = 0; i < components; ++i) s.components.push_back(bands[i + (components == 1 ? 1 : 0)]);
    s.noise = 0.01;
    s.noiseKind = qf::synth::NoiseKind::Gaussian;
    s.standardNoise = 0.003;
    s.seed = 5;
    return s;
}

void run(benchmark::State& state, const std::string& text) {
    for (auto _ : state) {
        const qf::fit::FitOutcome out = qf::fit::fitDataText("bench.dat", text);
        if (!out.fit) {
            state.SkipWithError(out.failure.c_str());
            return;
        }
        benchmark::DoNotOptimize(out.fit->chosen);
    }
}

void BM_FitSeries(benchmark::State& state) {
    run(state, qf::synth::seriesFile(simulated(static_cast<int>(state.range(0)))));
}

void BM_FitSingleSpectrum(benchmark::State& state) {
    run(state, qf::synth::singleSpectrumFile(simulated(static_cast<int>(state.range(0)))));
}

}  // namespace

// Argument: the number of components in the simulated file.
BENCHMARK(BM_FitSeries)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_FitSingleSpectrum)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

BENCHMARK_MAIN();
