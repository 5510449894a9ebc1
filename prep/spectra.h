#pragma once
// The spectra of the 320-380 nm normalization window on which every stage
// works. Indices are 0-based in code: spectrum i = 0..nSpec-1, window point
// j = 0..nPoints-1 at wavelength 320 + j * step.

#include "textio/grid.h"
#include "textio/matrix.h"

namespace qf {

struct Spectra {
    int nSpec = 0;
    int nPoints = 0;
    double step = 0.0;
    Matrix workSpectra;  // corrected in place by the smoothing cycles
    Matrix expSpectra;   // as read, corrected and normalized
    double lambdaMax = 0.0;
    double spectrumMax = 0.0;

    // 320 + (j - 1) * step for the 1-based point j = index + 1.
    double wavelength(int index) const { return kWindowFirstNm + static_cast<double>(index) * step; }
};

// The working spectra on the wavenumber scale:
// workSpectra * (lambda / lambdaMax)^2.
Matrix wavenumberSpectra(const Spectra& spectra);

}  // namespace qf
