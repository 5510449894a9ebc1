// Coverage and verdict of the global fit on simulated files with a known
// truth, and (with --legacy) the legacy programs' answers on the same files.
// Prints the table after the timing: per program and component count, the
// share of components whose 95 % intervals hold the true position, Ksv and
// contribution, positions within 1 nm, and the verdict on the number of
// components (true / wrong / undecided).
//
//   fit_coverage_bench [--files=N] [--seed=S] [--legacy] [--no-fit] [--misses]
//                      [--max-noise=L] [--max-standard-noise=L] [benchmark options]
//
// --files    simulated files (default 300; component counts 1, 2, 3 and the
//            two programs take turns, so 300 gives 50 per row)
// --seed     seed of the first file (default 1); file i has seed S + i
// --legacy   also run quenfit / monofit on every file
// --no-fit   leave the global fit out (the legacy table alone)
// --misses   list every file that missed a target, with its seed (also on
//            standard error as the run goes)
// --max-noise=L, --max-standard-noise=L
//            highest noise level of the spectra (default 0.02) and of the
//            standard's recording (default 0.01; 0 keeps the standard exact),
//            to see which error an interval misses

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "tools/fit_harness.h"

namespace {

struct Options {
    qf::fitcheck::HarnessOptions harness;
    bool legacy = false;
    bool fit = true;
    bool misses = false;
};

// Takes this program's options out of argv, leaving the benchmark's.
bool takeOptions(int& argc, char** argv, Options& o) {
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strncmp(a, "--files=", 8) == 0) {
            o.harness.files = std::atoi(a + 8);
            if (o.harness.files < 1) return false;
        } else if (std::strncmp(a, "--seed=", 7) == 0) {
            o.harness.firstSeed = std::strtoull(a + 7, nullptr, 10);
        } else if (std::strncmp(a, "--max-noise=", 12) == 0) {
            o.harness.cases.maxNoise = std::atof(a + 12);
            if (!(o.harness.cases.maxNoise >= 0.002)) return false;
        } else if (std::strncmp(a, "--max-standard-noise=", 21) == 0) {
            o.harness.cases.maxStandardNoise = std::atof(a + 21);
            if (!(o.harness.cases.maxStandardNoise >= 0.0)) return false;
        } else if (std::strcmp(a, "--legacy") == 0) {
            o.legacy = true;
        } else if (std::strcmp(a, "--no-fit") == 0) {
            o.fit = false;
        } else if (std::strcmp(a, "--misses") == 0) {
            o.misses = true;
            o.harness.log = &std::cerr;
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    return o.fit || o.legacy;
}

Options gOptions;
qf::fitcheck::CoverageTable gTable;

void BM_Coverage(benchmark::State& state) {
    for (auto _ : state) {
        gTable = qf::fitcheck::runHarness(gOptions.harness,
                                          gOptions.fit ? qf::fitcheck::Analysis(qf::fitcheck::globalFitEstimate)
                                                       : nullptr,
                                          gOptions.legacy ? qf::fitcheck::LegacyAnalysis(qf::fitcheck::legacyEstimate)
                                                          : nullptr);
    }
    const double files = gOptions.harness.files;
    state.counters["files"] = files;
    if (gOptions.fit) state.counters["fit_s_per_file"] = gTable.seconds / files;
    if (gOptions.legacy) state.counters["legacy_s_per_file"] = gTable.legacySeconds / files;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::printf("usage: fit_coverage_bench [--files=N] [--seed=S] [--legacy] [--no-fit] [--misses] "
                    "[benchmark options]\n"
                    "Runs the global fit on N simulated files (default 300) and prints the coverage and verdict\n"
                    "table per program and component count.\n"
                    "  --files=N  simulated files; component counts and programs take turns\n"
                    "  --seed=S   seed of the first file (default 1)\n"
                    "  --legacy   also run quenfit / monofit on every file\n"
                    "  --no-fit   leave the global fit out\n"
                    "  --misses   list every file that missed a target, with its seed\n"
                    "  --max-noise=L           highest noise level of the spectra (default 0.02, at least 0.002)\n"
                    "  --max-standard-noise=L  highest noise level of the standard (default 0.01; 0: exact)\n");
        return 0;
    }
    if (!takeOptions(argc, argv, gOptions)) {
        std::cerr << "usage: fit_coverage_bench [--files=N] [--seed=S] [--legacy] [--no-fit] [--misses] "
                     "[--max-noise=L] [--max-standard-noise=L] [benchmark options]\n";
        return 2;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RegisterBenchmark("coverage", BM_Coverage)->Iterations(1)->Unit(benchmark::kSecond);
    benchmark::RunSpecifiedBenchmarks();
    std::printf("\n%s", qf::fitcheck::formatTable(gTable).c_str());
    if (gOptions.misses) {
        std::printf("\nFiles that missed a target (%zu):\n", gTable.misses.size());
        for (const std::string& line : gTable.misses) std::printf("%s\n", line.c_str());
    }
    return 0;
}
