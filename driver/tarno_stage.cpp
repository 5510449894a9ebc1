#include "driver/stages.h"
#include "phase/parallel.h"
#include "phase/tarno_pass.h"
#include "prep/smoothing.h"

namespace qf {

// Silent passes alternate with smoothing cycles until the acceptance rule
// sets the stage flags; then the reporting pass runs on the wavenumber-scale
// spectra of the pass before it and writes the stage's reports and the
// heading of the first VELA stage.
void runTarnoStage(RunState& run) {
    requireTarnoSeries(run.spectra, run.quencher);
    run.tarno = TarnoState{};
    const int threads = phaseThreads();
    for (;;) {
        const bool reporting = run.stage.tarnoFlag == 1;
        tarnoPass({run.spectra, run.quencher, run.fit, run.stage, run.tarno,
                   reporting ? &run.reports : nullptr, threads});
        if (reporting) return;
        smoothingCycle(Program::Quenfit, run.spectra, run.fit, run.stage);
        const bool accepted = run.stage.velaFlag == 1 && run.stage.tarnoFlag == 1;
        const bool open = run.stage.velaFlag == 0 && run.stage.tarnoFlag == 0;
        if (!accepted && !open) return;
    }
}

}  // namespace qf
