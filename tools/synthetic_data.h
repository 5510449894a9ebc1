#pragma once
// Synthetic data files with a known truth: spectra built from log-normal
// bands, quenched along Stern-Volmer lines, multiplied by an instrument
// sensitivity, with the instrument's recording of the standard spectrum.
// Used for the bundled examples and for recovery tests.

#include <cstdint>
#include <string>
#include <vector>

namespace qf::synth {

struct Component {
    double lambdaM;    // band maximum (nm)
    double amplitude;  // unquenched height on the wavenumber scale
    double ksv;        // Stern-Volmer constant (1/M)
};

struct SeriesSpec {
    std::string title = "Synthetic quenching series";
    int quencherType = 1;
    std::vector<double> concentrations;  // M, one per spectrum
    double first = 300.0, last = 399.0, step = 1.0;
    std::vector<Component> components;
    double noise = 0.0;  // relative noise of each intensity (e.g. 0.002)
    bool instrument = true;  // apply an instrument sensitivity (else flat)
    std::uint64_t seed = 1;
    int valuesPerLine = 10;
};

// Text of a quenching-series data file.
std::string seriesFile(const SeriesSpec& series);

// Text of a single-spectrum data file (the first concentration is used,
// quencher terms ignored).
std::string singleSpectrumFile(const SeriesSpec& series);

}  // namespace qf::synth
