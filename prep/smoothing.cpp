#include "prep/smoothing.h"

#include <cmath>

#include "textio/checked.h"
#include "textio/fpcheck.h"
#include "textio/rounding.h"

namespace qf {

namespace {

// Outlier correction: a point whose residual is at least 1.5 x fitRms and
// above 2 % is moved onto the theoretical value rounded to a whole number.
// The maximum search keeps the later point of equal values. Returns true
// when nothing was corrected.
bool correctOutliers(Spectra& spectra, const FitResiduals& fit) {
    double m = 0.0;
    bool clean = true;
    for (int i = 0; i < spectra.nSpec; ++i) {
        for (int j = 0; j < spectra.nPoints; ++j) {
            const double r = fit.residuals(i, j);
            if (std::fabs(r) >= fp::mul(1.5, fit.fitRms) && std::fabs(r) > 2.0) {
                spectra.workSpectra(i, j) =
                    fp::add(spectra.workSpectra(i, j), sgn(r) * fix(std::fabs(fp::mul(100.0, r)) + 0.5));
                clean = false;
            }
            const double v = spectra.workSpectra(i, j);
            if (v >= m) {
                m = v;
                spectra.lambdaMax = spectra.wavelength(j);
            }
        }
    }
    spectra.spectrumMax = m;
    return clean;
}

bool accepted(AcceptanceRule rule, bool clean, const FitResiduals& fit, int cycle) {
    if (clean) return true;
    switch (rule) {
        case AcceptanceRule::PhasePlane:
            return fit.tarnoMeanR > kAcceptedMeanR || cycle > kPhasePlaneCycleCap;
        case AcceptanceRule::SeriesFits:
            return cycle > kSeriesCycleLimit || fit.expRms < kAcceptedExpRms;
        case AcceptanceRule::SpectrumFits:
            return cycle > kSpectrumCycleLimit || fit.expRms < kAcceptedExpRms;
    }
    return false;
}

}  // namespace

CycleDecision smoothingCycle(Spectra& spectra, const FitResiduals& fit, AcceptanceRule rule, int cycle) {
    const bool clean = correctOutliers(spectra, fit);
    const CycleDecision decision =
        accepted(rule, clean, fit, cycle) ? CycleDecision::ReportingPass : CycleDecision::SilentPass;
    fp::check("smoothing cycle");
    return decision;
}

}  // namespace qf
