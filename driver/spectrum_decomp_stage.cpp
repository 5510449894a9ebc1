#include "classify/summary_report.h"
#include "driver/stages.h"
#include "driver/decomp_run.h"
#include "textio/report_lines.h"

namespace qf {

namespace {

// No solution in the first pass of a stage.
StageEnd monoAbsence(RunState& run, int n) {
    if (n == 3) {
        if (!run.stage.fallbackUsed()) return StageEnd::FallBack;
        writeFixedLine(run.reports.result, absenceLine(n));
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
        // The fall-back's switch may turn the two-component stage into the
        // three-component one between two passes.
        const int n = run.stage.components();
        if (runVelaPass(vela, PassKind::Silent) == SearchResult::Absent) return monoAbsence(run, n);
        runSmoothingCycle(run);
        resetThreeCompStep(run.stage, run.vela);
        if (run.stage.reportingPassDue()) {
            runVelaPass(vela, PassKind::Reporting);
            return StageEnd::NextStage;
        }
    }
}

}  // namespace qf
