#pragma once
// The stages the run driver sequences. Each works on the run's state; the
// driver reads the data file at the head of every stage and moves on.

#include <functional>

#include "driver/run_state.h"

namespace qf {

enum class TarnoEnd {
    Reported,  // the reporting pass wrote the stage and the heading of VELA-I
    Absent,    // the stage failed: its absence lines and the heading of VELA-I
               // are written, the cause is a warning of the run
};

// Phase-plane stage: silent passes alternating with smoothing cycles until
// the acceptance rule ends it, then its reporting pass (which writes the
// heading of the first VELA stage). The reporting pass holds its lines until
// it has finished. A series the method cannot take (capacities) is refused
// with RunFailure before the first pass; any failure after that (a data
// condition of the method or an arithmetic failure) makes the stage absent.
// `afterReportingPass` runs when the reporting pass has computed and held
// its lines (a test seam for a failure at that point).
TarnoEnd runTarnoStage(RunState& run, const std::function<void()>& afterReportingPass = {});

// The lines of an absent phase-plane stage in the three reports, with the
// heading of VELA-I.
void writeTarnoAbsence(Reports& reports);

enum class StageEnd {
    NextStage,  // the stage reported (or found no solution): the next stage follows
    EndRun,     // no three-component solution: write the legend and end
    FallBack,   // single spectrum: no third component found at the finer coarse
                // step for the first time in the run (fallbackUsed still false);
                // the driver enters the fall-back and reads the data again
};

// One smoothing cycle of the current stage; its decision goes to the stage
// state.
void runSmoothingCycle(RunState& run);

// VELA stage N = run.stage.components() of the quenching series: silent
// passes alternating with smoothing cycles (and the three-component step
// reset after each cycle of stage 3), then the reporting pass, which ends
// with the heading of the next stage (none after stage 3). Expects freshly
// read spectra and a freshly entered stage. Returns NextStage after the
// reporting pass or after absence in stage 1 or 2 (absence lines written, no
// heading), EndRun after absence in stage 3.
StageEnd runVelaStage(RunState& run);

// Stage N of the single-spectrum analyser, same shape. The fall-back's
// switch to three components may happen inside the call (see
// StageState::cycleDone). Returns NextStage (reported, or absent in stage 1
// or 2 with the absence lines written), FallBack (nothing written) or EndRun
// (no three-component solution after the fall-back was used:
// "THREE-COMPONENT SOLUTION IS ABSENT!" written to the results report).
StageEnd runMonoVelaStage(RunState& run);

// The stage loops of the two analysers, from the stage in run.stage to the
// end of the run, closed by the summary legend. `read` fills the spectra at
// the head of every stage (the analysis read of the data file).
using StageRead = std::function<void(RunState&)>;
void runSeriesStages(RunState& run, const StageRead& read);
void runSpectrumStages(RunState& run, const StageRead& read);

// Summary legend that closes the summary report.
void writeSummaryLegend(RunState& run);

}  // namespace qf
