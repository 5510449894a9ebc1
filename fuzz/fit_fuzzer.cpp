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
#include <cstdlib>
#include <string>

#include "fit/global_fit.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

// An estimate whose interval holds its value (NaN bounds only when no
// interval was drawn).
void checkEstimate(const qf::fit::Estimate& e) {
    require(std::isfinite(e.value));
    if (std::isnan(e.low) || std::isnan(e.high)) return;
    require(e.low <= e.value && e.value <= e.high);
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
            require(c.share.value >= 0.0 && c.share.value <= 100.0);
            require(c.ksv.has_value() == series);
            if (c.ksv) checkEstimate(*c.ksv);
        }
    }
    require(fit.chosen != 0 || (fit.undecidedLow >= 1 && fit.undecidedLow <= 2));
    require(!fit.reason.empty());
    return 0;
}
