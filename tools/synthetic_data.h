#pragma once
// Synthetic data files with a known truth: spectra built from log-normal
// bands, quenched along Stern-Volmer lines over the quencher's chemical
// activity, multiplied by an instrument sensitivity, with the instrument's
// recording of the standard spectrum. Used for the bundled examples, for
// recovery tests and for the coverage harness of the global fit.

#include <cstdint>
#include <string>
#include <vector>

namespace qf::synth {

struct Component {
    double lambdaM;    // band maximum (nm)
    double amplitude;  // unquenched height on the wavenumber scale
    double ksv;        // Stern-Volmer constant (1/M) against the activity
};

// How the recorded intensities scatter about their expected values.
enum class NoiseKind {
    // Each value times 1 + noise * u, u uniform in [-1, 1): the bundled
    // examples and the older tests.
    Uniform,
    // A normal error of standard deviation noise * peak, the same at every
    // intensity (read-out noise of a detector).
    Gaussian,
    // A normal error of standard deviation noise * sqrt(value * peak): the
    // variance is proportional to the intensity, as in photon counting, and
    // the relative error is `noise` at the peak.
    Poisson,
};

struct SeriesSpec {
    std::string title = "Synthetic quenching series";
    int quencherType = 1;
    std::vector<double> concentrations;  // M, one per spectrum
    double first = 300.0, last = 399.0, step = 1.0;
    std::vector<Component> components;
    double noise = 0.0;  // noise level of each intensity (e.g. 0.002), see NoiseKind
    NoiseKind noiseKind = NoiseKind::Uniform;
    // Noise level of the recording of the standard, of the same kind as the
    // spectra's and relative to the standard's own peak. The standard is
    // recorded once per file, so its error is shared by every spectrum at a
    // wavelength. 0 keeps the standard exact.
    double standardNoise = 0.0;
    bool instrument = true;  // apply an instrument sensitivity (else flat)
    std::uint64_t seed = 1;
    int valuesPerLine = 10;
};

// Text of a quenching-series data file.
std::string seriesFile(const SeriesSpec& series);

// Text of a single-spectrum data file (the first concentration is used,
// quencher terms ignored).
std::string singleSpectrumFile(const SeriesSpec& series);

// Chemical activities (M) of the concentrations for quencher types 1 to 5;
// the concentrations themselves for any other type.
std::vector<double> activities(int quencherType, const std::vector<double>& concentrations);

// The noise-free recorded intensity at wavelength `lambda` (nm) of a spectrum
// with quencher activity `activity`, before the file's rounding.
double expectedIntensity(const SeriesSpec& series, double activity, double lambda);

// The noise-free recording of the standard at wavelength `lambda` (nm).
double expectedStandard(const SeriesSpec& series, double lambda);

// Largest noise-free recorded intensity of the spectra of `series` on its grid
// (the scale of the Gaussian and Poisson-like noise).
double peakIntensity(const SeriesSpec& series, bool singleSpectrum = false);

}  // namespace qf::synth
