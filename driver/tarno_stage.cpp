#include "driver/stages.h"

namespace qf {

// Placeholder until the phase-plane stage is built: the stage is accepted at
// once and its reporting pass writes only the heading of the first VELA stage.
void runTarnoStage(RunState& run) {
    run.stage.velaFlag = 1;
    run.stage.tarnoFlag = 1;
    run.reports.graph.tab(40);
    run.reports.graph.printText("SUBPROGRAMM VELA-I", Sep::End);
    run.reports.result.endLine();
    run.reports.result.tab(40);
    run.reports.result.printText("SUBPROGRAMM VELA-I", Sep::End);
}

}  // namespace qf
