#include "driver/stages.h"
#include "driver/decomp_run.h"

namespace qf {

// Silent passes alternate with smoothing cycles until the acceptance rule
// calls the reporting pass, which writes the stage.
StageEnd runVelaStage(RunState& run) {
    VelaRun vela = velaRunOf(run);
    const int n = run.stage.components();
    for (;;) {
        if (runVelaPass(vela, PassKind::Silent) == SearchResult::Absent) {
            writeAbsence(run.reports, n);
            return n == 3 ? StageEnd::EndRun : StageEnd::NextStage;
        }
        runSmoothingCycle(run);
        resetThreeCompStep(run.stage, run.vela);
        if (run.stage.reportingPassDue()) break;
    }
    // The reporting pass refines around the kept solution, so it cannot find
    // it absent.
    runVelaPass(vela, PassKind::Reporting);
    return StageEnd::NextStage;
}

}  // namespace qf
