#include "classify/summary_report.h"
#include "driver/stages.h"
#include "prep/smoothing.h"

namespace qf {

void runSmoothingCycle(RunState& run) {
    StageState& stage = run.stage;
    stage.cycleDone(smoothingCycle(run.spectra, run.fit, stage.acceptanceRule(), stage.smoothingCycles() + 1));
}

void runSeriesStages(RunState& run, const StageRead& read) {
    StageState& stage = run.stage;
    while (!stage.done()) {
        read(run);
        if (stage.stage() == Stage::PhasePlane) {
            // Reported or absent, the component fits follow.
            runTarnoStage(run);
            stage.leavePhasePlane();
            continue;
        }
        if (runVelaStage(run) == StageEnd::EndRun) {
            stage.finish();
        } else {
            stage.nextStage();
        }
    }
    writeSummaryLegend(run);
}

void runSpectrumStages(RunState& run, const StageRead& read) {
    StageState& stage = run.stage;
    while (!stage.done()) {
        read(run);
        switch (runMonoVelaStage(run)) {
            case StageEnd::EndRun:
                stage.finish();
                break;
            case StageEnd::FallBack:
                stage.enterFallBack();
                break;
            case StageEnd::NextStage:
                stage.nextStage();
                break;
        }
    }
    writeSummaryLegend(run);
}

void writeSummaryLegend(RunState& run) { writeSummaryLegendLines(run.reports.summary); }

}  // namespace qf
