// Phase-plane stage on a 30-spectrum series at 1 nm (61 window points): one
// pass computed straight from the band model (the reference), one pass as
// the stage runs it, and the whole stage.

#include <benchmark/benchmark.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <string>
#include <tuple>

#include "../tests/phase_series.h"
#include "driver/run_state.h"
#include "driver/stages.h"
#include "driver/phase_pass.h"
#include "phase/contributions.h"
#include "phase/parallel.h"
#include "phase/position_search.h"
#include "textio/fpcheck.h"

namespace {

using namespace qf;

struct Series {
    QuencherSeries quencher = testing::phaseQuencher(30, 0.02);
    Spectra spectra;
    Series() {
        testing::TwoBandTruth truth;
        truth.noise = 0.003;
        spectra = testing::twoBandSeries(truth, quencher, 1.0);
        // Three outliers in the data, for the smoothing cycles to correct.
        for (const auto& [i, j, dv] : {std::tuple{4, 20, 600.0}, {11, 35, -500.0}, {23, 50, 400.0}}) {
            spectra.workSpectra(i, j) += dv;
            spectra.expSpectra(i, j) += dv;
        }
    }
};

const Series& series() {
    static const Series s;
    return s;
}

void silentPass(const Spectra& s, const QuencherSeries& q, TarnoState& tarno, int threads,
                TarnoMethod method) {
    FitResiduals fit;
    tarno.haveWavenumberSpectra = false;
    tarnoPass({s, q, fit, 0, tarno, nullptr, threads, method});
}

bool identical(const TarnoState& a, const TarnoState& b) {
    const auto same = [](double x, double y) {
        return std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(y);
    };
    bool ok = same(a.positions.tarnoMeanR, b.positions.tarnoMeanR) && same(a.tarnoRms, b.tarnoRms) &&
              a.shares.size() == b.shares.size();
    for (std::size_t c = 0; c < 2 && ok; ++c) {
        ok = ok && same(a.positions.component[c].lambdaM, b.positions.component[c].lambdaM) &&
             same(a.positions.component[c].DL, b.positions.component[c].DL) &&
             same(a.sternVolmer[c].ksv, b.sternVolmer[c].ksv);
        for (std::size_t i = 0; i < a.shares.size(); ++i) {
            ok = ok && same(a.shares[i].amp[c], b.shares[i].amp[c]) &&
                 same(a.shares[i].sdAmp[c], b.shares[i].sdAmp[c]) &&
                 same(a.shares[i].percent[c], b.shares[i].percent[c]);
        }
    }
    return ok;
}

// Starts a run on the series with its three reports kept in memory.
void startRun(RunState& run, const Series& s) {
    run.reports.result.openInMemory("report file");
    run.reports.graph.openInMemory("graph file");
    run.reports.summary.openInMemory("summary file");
    run.spectra = s.spectra;
    run.quencher = s.quencher;
}

// The stage as the run driver runs it, with the pass method of the benchmark.
int runStage(const Series& s, TarnoMethod method, int threads, std::string& graph) {
    RunState run;
    startRun(run, s);
    for (;;) {
        const bool reporting = run.stage.reportingPassDue();
        tarnoPass({run.spectra, run.quencher, run.fit, run.stage.smoothingCycles(), run.tarno,
                   reporting ? &run.reports : nullptr, threads, method});
        if (reporting) break;
        runSmoothingCycle(run);
    }
    graph = run.reports.graph.memory();
    return run.tarno.passes;
}

void BM_TarnoPass(benchmark::State& state, TarnoMethod method, int threads) {
    const Series& s = series();
    TarnoState tarno;
    for (auto _ : state) {
        silentPass(s.spectra, s.quencher, tarno, threads, method);
        benchmark::DoNotOptimize(tarno.positions);
    }
}

void BM_TarnoStage(benchmark::State& state, TarnoMethod method, int threads) {
    const Series& s = series();
    int passes = 0;
    std::string graph;
    for (auto _ : state) {
        passes = runStage(s, method, threads, graph);
        benchmark::DoNotOptimize(graph.size());
    }
    state.counters["passes"] = passes;
}

// The driver's own entry, for the record.
void BM_RunTarnoStage(benchmark::State& state) {
    const Series& s = series();
    for (auto _ : state) {
        RunState run;
        startRun(run, s);
        runTarnoStage(run);
        benchmark::DoNotOptimize(run.reports.graph.memory().size());
    }
}

BENCHMARK_CAPTURE(BM_TarnoPass, direct_1thread, TarnoMethod::Direct, 1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_TarnoPass, fast_1thread, TarnoMethod::Fast, 1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_TarnoPass, fast_2threads, TarnoMethod::Fast, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_TarnoStage, direct_1thread, TarnoMethod::Direct, 1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_TarnoStage, fast_2threads, TarnoMethod::Fast, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RunTarnoStage)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    fp::clear();
    {
        const Series& s = series();
        TarnoState fast, direct;
        silentPass(s.spectra, s.quencher, fast, phaseThreads(), TarnoMethod::Fast);
        silentPass(s.spectra, s.quencher, direct, 1, TarnoMethod::Direct);
        std::string fastGraph, directGraph;
        const int passes = runStage(s, TarnoMethod::Fast, phaseThreads(), fastGraph);
        runStage(s, TarnoMethod::Direct, 1, directGraph);
        std::printf("30 spectra, 61 window points: positions %.4f and %.4f nm, tarnoMeanR %.3f, "
                    "%d passes in the stage\n",
                    fast.positions.component[0].lambdaM, fast.positions.component[1].lambdaM,
                    fast.positions.tarnoMeanR, passes);
        std::printf("fast pass bit-identical to the direct pass: %s; stage reports identical: %s\n",
                    identical(fast, direct) ? "yes" : "NO", fastGraph == directGraph ? "yes" : "NO");
        const Matrix F = wavenumberSpectra(s.spectra);
        SearchCounters plain, counters;
        searchPositionsDirect(F, s.spectra.step, nullptr, &plain);
        searchPositions(F, s.spectra.step, phaseThreads(), nullptr, &counters);
        std::printf("crossing-function values: %lld in the direct search; the fast search took %lld "
                    "of them from the band model, tabulating %lld trial positions over its workers\n",
                    plain.crossingEvaluations, counters.exactEvaluations, counters.trialPositions);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
