#pragma once
// The stages the run driver sequences. Each works on the run's state; the
// driver reads the data file at the head of every stage and moves on.

#include "driver/run_state.h"

namespace qf {

// Phase-plane stage: silent passes alternating with smoothing cycles until
// the acceptance rule ends it, then its reporting pass (which writes the
// heading of the first VELA stage). Returns when the stage is left.
void runTarnoStage(RunState& run);

enum class StageEnd {
    NextStage,  // the stage reported (or found no solution): go on with runIndex + 1
    EndRun,     // no three-component solution: write the legend and end
};

// VELA stage N = run.stage.runIndex of the quenching series: silent passes
// alternating with smoothing cycles, then the reporting pass.
StageEnd runVelaStage(RunState& run);

// Summary legend that closes the summary report.
void writeSummaryLegend(RunState& run);

}  // namespace qf
