// Fuzz target: the global fit on a data file of any content. The file is
// read by the programs' own reader (either program, as line 2 decides) and,
// when they accept it, fitted with 1-3 components; a short bootstrap keeps
// one input fast. Any escaping exception, crash or sanitizer report is a
// finding, and so is a fit that breaks its own promises: a value outside its
// interval, a share outside 0-100 %, a Ksv on a single spectrum, a verdict
// that names no count.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fit/global_fit.h"

namespace {

#define require(condition) requireThat((condition), #condition)

void requireThat(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "global fit broke its promise: %s\n", what);
    std::abort();
}

// A finite estimate with an ordered interval (NaN bounds only when no
// interval was drawn). A percentile interval of a few bootstrap rounds need
// not hold the estimate itself, so that is not asked.
void checkEstimate(const qf::fit::Estimate& e) {
    require(std::isfinite(e.value));
    if (std::isnan(e.low) || std::isnan(e.high)) return;
    require(std::isfinite(e.low) && std::isfinite(e.high) && e.low <= e.high);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(bytes), size);
    qf::fit::FitOptions options;
    options.bootstrapRounds = 4;
    options.leaveOneOut = false;
    const qf::fit::FitOutcome outcome = qf::fit::fitDataText("fuzz.dat", text, std::nullopt, options);
    if (!outcome.fit) {
        require(!outcome.failure.empty());
        return 0;
    }
    const qf::fit::GlobalFit& fit = *outcome.fit;
    const bool series = fit.program == qf::Program::Quenfit;
    for (const qf::fit::ModelFit& model : fit.models) {
        for (const qf::fit::ComponentFit& c : model.component) {
            checkEstimate(c.position);
            checkEstimate(c.share);
            // Shares are ratios of areas: 0-100 % up to the rounding of a sum.
            require(c.share.value >= -1e-9 && c.share.value <= 100.0 + 1e-9);
            require(c.ksv.has_value() == series);
            // A component without amplitude has no Stern-Volmer constant to
            // speak of; the tables leave it empty.
            if (c.ksv && !(c.share.value == 0.0 && !std::isfinite(c.ksv->value))) checkEstimate(*c.ksv);
        }
    }
    require(fit.chosen != 0 || (fit.undecidedLow >= 1 && fit.undecidedLow <= 2));
    require(!fit.reason.empty());
    return 0;
}
