#include "prep/smoothing.h"

#include <cmath>

#include "textio/fpcheck.h"
#include "textio/rounding.h"

namespace qf {

namespace {

// Outlier correction: a point whose residual is at least 1.5 x fitRms and
// above 2 % is moved onto the theoretical value rounded to a whole number.
// The maximum search keeps the later point of equal values.
void correctOutliers(Spectra& spectra, const FitResiduals& fit, StageState& stage) {
    double m = 0.0;
    stage.cycleClean = 1;
    for (int i = 0; i < spectra.nSpec; ++i) {
        for (int j = 0; j < spectra.nPoints; ++j) {
            const double r = fit.residuals(i, j);
            if (std::fabs(r) >= 1.5 * fit.fitRms && std::fabs(r) > 2.0) {
                spectra.workSpectra(i, j) += sgn(r) * fix(std::fabs(100.0 * r) + 0.5);
                stage.cycleClean = 0;
            }
            const double v = spectra.workSpectra(i, j);
            if (v >= m) {
                m = v;
                spectra.lambdaMax = spectra.wavelength(j);
            }
        }
    }
    spectra.spectrumMax = m;
}

// Accepts a VELA stage: finalPass(N) := stageClean(N) := cycleClean for the
// current stage. Returns true when the rule ends at this stage's test.
bool acceptStage(int n, int current, StageState& stage) {
    if (current == n) stage.stageClean[static_cast<std::size_t>(n)] = stage.cycleClean;
    if (stage.stageClean[static_cast<std::size_t>(n)] == 1) {
        stage.finalPass[static_cast<std::size_t>(n)] = 1;
    }
    return current == n && stage.stageClean[static_cast<std::size_t>(n)] == 1;
}

}  // namespace

void smoothingCycle(Program program, Spectra& spectra, const FitResiduals& fit, StageState& stage) {
    const bool mono = program == Program::Monofit;
    stage.smoothingCycles += 1;
    stage.finalPass[1] = stage.finalPass[2] = stage.finalPass[3] = 0;
    correctOutliers(spectra, fit, stage);

    const int n = stage.runIndex;
    if (!mono && n == 0) {
        stage.velaFlag = stage.cycleClean;
        if (fit.tarnoMeanR > 0.99) {
            stage.velaFlag = 1;
        } else if (stage.smoothingCycles > 3) {
            stage.velaFlag = 1;
        }
    }
    const int cycleLimit = mono ? 10 : 5;
    if (stage.cycleClean == 0 && n > 0 && stage.smoothingCycles > cycleLimit) stage.cycleClean = 1;
    if (stage.cycleClean == 0 && n > 0 && fit.expRms < 0.2) stage.cycleClean = 1;
    if (!mono) {
        if (stage.velaFlag == 1) stage.tarnoFlag = 1;
        if (n == 0 && stage.velaFlag == 1) {
            fp::check("smoothing cycle");
            return;
        }
    }
    if (acceptStage(1, n, stage)) {
        fp::check("smoothing cycle");
        return;
    }
    if (n == 2) {
        stage.stageClean[2] = stage.cycleClean;
        // Fall-back of the single-spectrum analyser: at its third cycle the
        // two-component stage turns into a three-component one. The cycle ends
        // with the switch, so the next pass searches three components.
        if (mono && stage.fallbackActive && stage.smoothingCycles == 3) {
            stage.runIndex = 3;
            fp::check("smoothing cycle");
            return;
        }
    }
    if (acceptStage(2, n, stage)) {
        fp::check("smoothing cycle");
        return;
    }
    acceptStage(3, n, stage);
    fp::check("smoothing cycle");
}

}  // namespace qf
