#pragma once
// The smoothing cycle: between two passes of a stage, every point of the
// working spectra whose residual is large is moved onto the fitted value,
// the spectrum maximum is found again, and the acceptance rule decides
// whether the stage's next pass is another silent pass or its reporting pass.

#include "prep/fit_residuals.h"
#include "prep/spectra.h"

namespace qf {

// Which acceptance rule a stage follows.
enum class AcceptanceRule {
    PhasePlane,    // accepted when clean, when tarnoMeanR > 0.99 or after the third cycle
    SeriesFits,    // component fits of a series: clean, expRms < 0.2, or after the fifth cycle
    SpectrumFits,  // component fits of a single spectrum: the same after the tenth cycle
};

inline constexpr double kAcceptedMeanR = 0.99;      // phase-plane correlation that ends the cycles
inline constexpr int kPhasePlaneCycleCap = 3;       // cycles after which the phase-plane stage reports
inline constexpr double kAcceptedExpRms = 0.2;      // experimental RMS below which a fit stage reports
inline constexpr int kSeriesCycleLimit = 5;         // cycles after which a series fit stage reports
inline constexpr int kSpectrumCycleLimit = 10;      // the same for a single spectrum

enum class CycleDecision {
    SilentPass,     // the stage runs another silent pass
    ReportingPass,  // the stage's next pass is its reporting pass
};

// Runs smoothing cycle number `cycle` (1 for the first of a stage). Reads
// fit.residuals, fit.fitRms, fit.tarnoMeanR and fit.expRms; updates the
// working spectra, lambdaMax and spectrumMax; returns the rule's decision.
CycleDecision smoothingCycle(Spectra& spectra, const FitResiduals& fit, AcceptanceRule rule, int cycle);

}  // namespace qf
