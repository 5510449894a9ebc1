#pragma once
// The spectra of the 320-380 nm normalization window on which every stage
// works. Indices are 0-based in code: spectrum i = 0..nSpec-1, window point
// j = 0..nPoints-1 at wavelength 320 + j * step.

#include "textio/matrix.h"

namespace qf {

// Wavelength grid of the data file.
struct Grid {
    double first = 0.0;  // nm
    double last = 0.0;   // nm
    double step = 0.0;   // nm
    int points = 0;        // P: grid points from first to last
    int windowPoints = 0;  // W = nPoints: points from 320 to 380 nm
    int before = 0;        // B: grid points before 320 nm
    int after = 0;         // A: grid points after 380 nm
};

struct Spectra {
    int nSpec = 0;
    int nPoints = 0;
    double step = 0.0;
    Matrix workSpectra;  // corrected in place by the smoothing cycles
    Matrix expSpectra;   // as read, corrected and normalized
    double lambdaMax = 0.0;
    double spectrumMax = 0.0;

    // 320 + (j - 1) * step for the 1-based point j = index + 1.
    double wavelength(int index) const { return 320.0 + static_cast<double>(index) * step; }
};

}  // namespace qf
