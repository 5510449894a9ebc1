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
    NextStage,  // the stage reported (or found no solution): go on with runIndex + 1
    EndRun,     // no three-component solution: write the legend and end
    FallBack,   // single spectrum: no third component found at the coarse step 2.7
                // for the first time in the run (run.stage.fallbackUsed still false);
                // the driver marks the fall-back and reads the data again for a
                // second two-component stage
};

// VELA stage N = run.stage.runIndex of the quenching series: silent passes
// alternating with smoothing cycles (and the threeCompStep reset after each
// cycle of stage 3), then the reporting pass, which ends with the heading of
// the next stage (none after stage 3). Expects freshly read spectra; leaves
// runIndex and smoothingCycles alone. Returns NextStage after the reporting
// pass or after absence in stage 1 or 2 (absence lines written, no heading),
// EndRun after absence in stage 3.
StageEnd runVelaStage(RunState& run);

// Stage N = run.stage.runIndex of the single-spectrum analyser, same shape.
// The reporting pass runs only when finalPass(N) and stageClean(N) are both
// 1 after a cycle; with finalPass(N) = 1 alone the stage ends unreported.
// The fall-back switch of a smoothing cycle may raise runIndex from 2 to 3
// inside the call: the following passes fit three components, and the
// driver's runIndex + 1 then ends the run. Returns NextStage (reported, ended
// unreported, or absent in stage 1 or 2 with the absence lines written),
// FallBack (nothing written, no flag changed: the driver sets runIndex := 2,
// fallbackActive and fallbackUsed := true, stageClean(2) := finalPass(2) := 0,
// smoothingCycles := 0, and reads the data again, heading included), or
// EndRun (no three-component solution after the fall-back was used:
// "THREE-COMPONENT SOLUTION IS ABSENT!" written to the results report).
StageEnd runMonoVelaStage(RunState& run);

// Summary legend that closes the summary report.
void writeSummaryLegend(RunState& run);

}  // namespace qf
