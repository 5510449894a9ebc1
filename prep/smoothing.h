#pragma once
// The smoothing cycle: between two passes of a stage, every point of the
// working spectra whose residual is large is moved onto the fitted value,
// the spectrum maximum is found again, and the acceptance rule decides
// whether the stage's next pass is another silent pass or its reporting pass.

#include "prep/spectra.h"
#include "prep/stage_state.h"

namespace qf {

// Runs one smoothing cycle for the stage stage.runIndex. Reads
// fit.residuals, fit.fitRms, fit.tarnoMeanR and fit.expRms; updates the
// working spectra, lambdaMax, spectrumMax and the stage flags.
void smoothingCycle(Program program, Spectra& spectra, const FitResiduals& fit, StageState& stage);

}  // namespace qf
