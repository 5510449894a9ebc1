#pragma once
// Instrument correction and normalization. The built-in standard spectrum
// table (the expected emission of the standard, 310-400 nm at 1 nm) divided
// by the measured standard (scaled to its own maximum) gives a factor per
// grid wavelength; every spectrum is multiplied by it and the corrected
// spectra are normalized to their common maximum.

#include <array>
#include <vector>

#include "prep/spectra.h"
#include "textio/matrix.h"
#include "textio/report_writer.h"

namespace qf {

// The table in 101 places: index t = wavelength - 309 for 310..400 nm
// (places 0 and 92..100 hold 0).
const std::array<double, 101>& standardSpectrumTable();

// Table index from a real index value: rounded to the nearest whole number,
// halves to the even neighbour. A value outside the table is a failure.
int tableIndex(double t);

// First pass over the whole grid: writes the correction curve and the
// normalized corrected spectra of the window to the graph file. Returns M,
// the largest value of the measured standard, which every analysis read uses.
double firstPassCorrection(const Grid& grid, Matrix spectra, const std::vector<double>& standard,
                           ReportWriter& graph);

// Analysis read: corrects the window of every spectrum by the factor of its
// own wavelength (into both workSpectra and expSpectra).
void correctWindow(const Grid& grid, double standardMax, const Matrix& window,
                   const std::vector<double>& standard, Spectra& spectra);

// Normalizes workSpectra and expSpectra to a largest value of 10000 held as
// whole numbers; sets lambdaMax and spectrumMax (ties keep the first point).
void normalizeWindow(Spectra& spectra);

}  // namespace qf
