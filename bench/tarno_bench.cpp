// Phase-plane stage on a 30-spectrum series at 1 nm (61 window points): one
// pass computed straight from the band model (the reference), one pass as
// the stage runs it, and the whole stage.

#include <benchmark/benchmark.h>

#include <bit>
#include <cstdint>
#include <cstdio>

#include "../tests/phase_series.h"
#include "driver/run_state.h"
#include "driver/stages.h"
#include "phase/contributions.h"
#include "phase/parallel.h"
#include "phase/position_search.h"
#include "phase/tarno_pass.h"
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
    }
};

const Series& series() {
    static const Series s;
    return s;
}

// Positions and contributions, every band value from the model.
struct DirectPass {
    PhasePositions positions;
    std::vector<SpectrumShare> shares;
};

DirectPass directPass(const Spectra& s) {
    DirectPass out;
    const Matrix F = wavenumberSpectra(s);
    out.positions = searchPositionsDirect(F, s.step);
    const ComponentBands bands(out.positions, s);
    for (int i = 0; i < s.nSpec; ++i) out.shares.push_back(leverRuleDirect(F, i, s, bands));
    return out;
}

void silentPass(const Spectra& s, const QuencherSeries& q, TarnoState& tarno, int threads) {
    FitResiduals fit;
    StageState stage;
    tarno.haveWavenumberSpectra = false;
    tarnoPass({s, q, fit, stage, tarno, nullptr, threads});
}

bool identical(const DirectPass& a, const TarnoState& b) {
    const auto same = [](double x, double y) { return std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(y); };
    bool ok = a.positions.tarnoMeanR == b.positions.tarnoMeanR;
    for (std::size_t c = 0; c < 2; ++c) {
        ok = ok && same(a.positions.component[c].lambdaM, b.positions.component[c].lambdaM);
        for (std::size_t i = 0; i < a.shares.size(); ++i) {
            ok = ok && same(a.shares[i].amp[c], b.shares[i].amp[c]) &&
                 same(a.shares[i].percent[c], b.shares[i].percent[c]) &&
                 same(a.shares[i].sdAmp[c], b.shares[i].sdAmp[c]);
        }
    }
    return ok;
}

void BM_TarnoPassDirect(benchmark::State& state) {
    const Series& s = series();
    for (auto _ : state) benchmark::DoNotOptimize(directPass(s.spectra));
}

void BM_TarnoPass(benchmark::State& state) {
    const Series& s = series();
    TarnoState tarno;
    const int threads = static_cast<int>(state.range(0));
    for (auto _ : state) {
        silentPass(s.spectra, s.quencher, tarno, threads);
        benchmark::DoNotOptimize(tarno.positions);
    }
}

void BM_TarnoStage(benchmark::State& state) {
    const Series& s = series();
    int passes = 0;
    for (auto _ : state) {
        RunState run;
        run.reports.result.openInMemory("report file");
        run.reports.graph.openInMemory("graph file");
        run.reports.summary.openInMemory("summary file");
        run.spectra = s.spectra;
        run.quencher = s.quencher;
        runTarnoStage(run);
        passes = run.tarno.passes;
        benchmark::DoNotOptimize(run.reports.graph.memory().size());
    }
    state.counters["passes"] = passes;
}

BENCHMARK(BM_TarnoPassDirect)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_TarnoPass)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TarnoStage)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    fp::clear();
    {
        const Series& s = series();
        TarnoState tarno;
        silentPass(s.spectra, s.quencher, tarno, phaseThreads());
        const DirectPass direct = directPass(s.spectra);
        std::printf("30 spectra, 61 window points: positions %.4f and %.4f nm, tarnoMeanR %.3f; "
                    "stage pass bit-identical to the direct pass: %s\n",
                    tarno.positions.component[0].lambdaM, tarno.positions.component[1].lambdaM,
                    tarno.positions.tarnoMeanR, identical(direct, tarno) ? "yes" : "NO");
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
