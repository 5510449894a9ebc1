#include "classify/summary_report.h"
#include "driver/stages.h"
#include "driver/vela_run.h"
#include "prep/smoothing.h"

namespace qf {

namespace {

// No solution in the first pass of a stage.
StageEnd monoAbsence(RunState& run, int n) {
    if (n == 3) {
        if (!run.stage.fallbackUsed) return StageEnd::FallBack;
        run.reports.result.line("THREE-COMPONENT SOLUTION IS ABSENT!");
        return StageEnd::EndRun;
    }
    // The summary always has its column heading, also when the first stage
    // has nothing to report.
    if (n == 1) writeSummaryHeading(run.reports.summary);
    writeAbsence(run.reports, n);
    return StageEnd::NextStage;
}

}  // namespace

StageEnd runMonoVelaStage(RunState& run) {
    VelaRun vela = velaRunOf(run);
    for (;;) {
        // The fall-back switch of a smoothing cycle may turn the two-component
        // stage into a three-component one between two passes.
        const int n = run.stage.runIndex;
        if (runVelaPass(vela, PassKind::Silent) == SearchResult::Absent) return monoAbsence(run, n);
        smoothingCycle(Program::Monofit, run.spectra, run.fit, run.stage);
        resetThreeCompStep(run.stage, run.vela);
        const auto now = static_cast<std::size_t>(run.stage.runIndex);
        if (run.stage.finalPass[now] == 1) {
            if (run.stage.stageClean[now] == 1) runVelaPass(vela, PassKind::Reporting);
            return StageEnd::NextStage;
        }
    }
}

}  // namespace qf
