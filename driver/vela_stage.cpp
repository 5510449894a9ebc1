#include "classify/summary_report.h"
#include "driver/stages.h"
#include "driver/vela_run.h"
#include "prep/smoothing.h"

namespace qf {

// Silent passes alternate with smoothing cycles until the acceptance rule
// sets finalPass(N); then the reporting pass writes the stage.
StageEnd runVelaStage(RunState& run) {
    VelaRun vela = velaRunOf(run);
    const int n = run.stage.runIndex;
    const auto stageIndex = static_cast<std::size_t>(n);
    for (;;) {
        if (runVelaPass(vela, PassKind::Silent) == SearchResult::Absent) {
            writeAbsence(run.reports, n);
            return n == 3 ? StageEnd::EndRun : StageEnd::NextStage;
        }
        smoothingCycle(Program::Quenfit, run.spectra, run.fit, run.stage);
        resetThreeCompStep(run.stage, run.vela);
        if (run.stage.finalPass[stageIndex] == 1) break;
    }
    // The reporting pass refines around the kept solution, so it cannot find
    // it absent.
    runVelaPass(vela, PassKind::Reporting);
    return StageEnd::NextStage;
}

void writeSummaryLegend(RunState& run) { writeSummaryLegendLines(run.reports.summary); }

}  // namespace qf
