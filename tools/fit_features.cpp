// The global fit's figures per simulated file, one line each, for choosing
// the verdict's thresholds on one set of files and checking them on another:
// the true count, the F-tests, and for the fits of two and three components
// their positions, intervals, shares and leave-one-out shifts.
//
// Usage: fit_features [--files=N] [--seed=S]   (the harness's files)
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fit/global_fit.h"
#include "tools/fit_harness.h"

int main(int argc, char** argv) {
    qf::fitcheck::HarnessOptions options;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--files=", 8) == 0) {
            options.files = std::atoi(argv[i] + 8);
        } else if (std::strncmp(argv[i], "--seed=", 7) == 0) {
            options.firstSeed = std::strtoull(argv[i] + 7, nullptr, 10);
        } else if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("usage: fit_features [--files=N] [--seed=S]\n"
                        "Prints one line of the global fit's figures per simulated file of the harness.\n");
            return 0;
        } else {
            std::fprintf(stderr, "usage: fit_features [--files=N] [--seed=S]\n");
            return 2;
        }
    }
    for (int i = 0; i < options.files; ++i) {
        const qf::synth::SimulatedCase c = qf::fitcheck::harnessCase(options, i);
        const qf::Program program = c.truth.series ? qf::Program::Quenfit : qf::Program::Monofit;
        const qf::fit::FitOutcome out = qf::fit::fitDataText("seed.dat", c.text, program);
        std::printf("seed %llu series %d true %zu", static_cast<unsigned long long>(c.seed), c.truth.series ? 1 : 0,
                    c.truth.positions.size());
        std::printf(" noise %.5f std %.5f", c.truth.noise, c.truth.standardNoise);
        if (!out.fit) {
            std::printf(" failed\n");
            continue;
        }
        const qf::fit::GlobalFit& g = *out.fit;
        std::printf(" chosen %d low %d", g.chosen, g.undecidedLow);
        for (const qf::fit::ModelFit& m : g.models) {
            std::printf(" | N %d rss %.6g dof %d p %.6g loo %.4g", m.components, m.rss, m.dof,
                        m.pVsNext.value_or(-1.0), m.leaveOneOutShift.value_or(-1.0));
            for (const qf::fit::ComponentFit& cf : m.component) {
                std::printf(" c %.3f %.3f %.3f %.3f %.3f %.3f", cf.position.value, cf.position.low,
                            cf.position.high, cf.share.value, cf.share.low, cf.share.high);
            }
        }
        std::printf(" | truth");
        for (std::size_t k = 0; k < c.truth.positions.size(); ++k) {
            std::printf(" %.3f %.2f", c.truth.positions[k], c.truth.sharePercent[k]);
        }
        std::printf(" | reason %s\n", g.reason.c_str());
        std::fflush(stdout);
    }
    return 0;
}
