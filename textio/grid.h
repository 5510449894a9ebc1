#pragma once
// The wavelength grid of a data file, as its parameter line gives it.

namespace qf {

// The window every stage works on and the fits are made in: the spectra
// are normalized, smoothed and decomposed from 320 to 380 nm.
inline constexpr double kWindowFirstNm = 320.0;
inline constexpr double kWindowLastNm = 380.0;

struct Grid {
    double first = 0.0;  // nm
    double last = 0.0;   // nm
    double step = 0.0;   // nm
    int points = 0;        // P: grid points from first to last
    int windowPoints = 0;  // W = nPoints: points from 320 to 380 nm
    int before = 0;        // B: grid points before 320 nm
    int after = 0;         // A: grid points after 380 nm
};

}  // namespace qf
