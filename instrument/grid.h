#pragma once
// Putting exported spectra on the one wavelength grid of a data file.
//
// The grid runs from the first to the last whole nm that every spectrum
// covers at 1 nm, clipped to the number of grid points the program reads and
// always holding 320-380 nm; or it is given as FIRST:LAST:STEP. A value at a
// grid wavelength is the export's own where the export has that wavelength
// (within 0.001 nm), else the straight line between its two neighbours; a
// grid never reaches beyond a spectrum.

#include <string>
#include <vector>

#include "instrument/export.h"

namespace qf::instrument {

inline constexpr double kSameWavelength = 0.001;  // nm

// A spectrum with its samples in increasing wavelength, and where it came from.
struct OrderedSpectrum {
    std::string file;  // for messages
    std::string name;
    std::vector<Sample> samples;
};

// Puts the samples in increasing wavelength (an export may run downward).
// Wavelengths that do not run strictly one way are refused with the file,
// the line and the wavelengths.
OrderedSpectrum orderSpectrum(const std::string& file, const ExportSpectrum& spectrum);

struct WavelengthGrid {
    double first = 0.0;
    double last = 0.0;
    double step = 1.0;
    int points = 0;
    double at(int k) const { return first + static_cast<double>(k) * step; }
};

// "FIRST:LAST:STEP" as the user gives it; false when it is not three numbers.
bool parseGridText(const std::string& text, WavelengthGrid& grid);

// The grid for these spectra: `requested` when given (points > 0), checked
// against the programs' rules and the spectra's coverage; else the whole-nm
// grid described above. `maxPoints` is the program's limit of grid points.
WavelengthGrid chooseGrid(const std::vector<const OrderedSpectrum*>& spectra, int maxPoints,
                          const WavelengthGrid* requested);

// The spectrum's values at the grid wavelengths. A grid wavelength that
// needs an unusable sample (a word, an empty field, a saturation mark) is
// refused with that sample's file and line. `interpolated` is set when any
// value lies between two samples.
std::vector<double> valuesOnGrid(const OrderedSpectrum& spectrum, const WavelengthGrid& grid,
                                 bool& interpolated);

// The usual distance of neighbouring samples (nm), for the summary line.
double typicalStep(const OrderedSpectrum& spectrum);

// Number text that reads back to the same double (shortest form, as
// std::to_chars writes it).
std::string exactText(double value);

// The same text made with printf and strtod, for a C++ library without
// std::to_chars for double; exactText uses it there.
std::string portableExactText(double value);

}  // namespace qf::instrument
