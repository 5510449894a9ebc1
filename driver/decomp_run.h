#pragma once
// The view of a run that the VELA passes work on.

#include "driver/decomp_pass.h"
#include "driver/run_state.h"

namespace qf {

inline VelaRun velaRunOf(RunState& run) {
    const bool series = run.program == Program::Quenfit;
    return VelaRun{velaVariant(run.program), run.spectra, series ? &run.quencher : nullptr,
                   run.stage,                run.fit,     run.vela,
                   run.reports};
}

}  // namespace qf
