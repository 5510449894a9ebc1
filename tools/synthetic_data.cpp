#include "tools/synthetic_data.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "band/band.h"
#include "prep/correction.h"
#include "quench/quencher.h"

namespace qf::synth {

namespace {

// A smooth, plausible photomultiplier/monochromator sensitivity.
double sensitivity(double lambda, bool instrument) {
    if (!instrument) return 1.0;
    const double x = (lambda - 345.0) / 70.0;
    return 0.55 + 0.45 * std::exp(-x * x) + 0.002 * (lambda - 300.0);
}

// Expected emission of the standard: the built-in table where it is
// defined, a smooth continuation below 310 and above 400 nm.
double standardEmission(double lambda) {
    const auto& table = standardSpectrumTable();
    if (lambda < 310.0) return table[1] * std::pow(0.9, 310.0 - lambda);
    if (lambda > 400.0) return table[91] * std::pow(0.97, lambda - 400.0);
    const double t = lambda - 309.0;
    const int lo = static_cast<int>(std::floor(t));
    const double w = t - lo;
    const double hi = lo + 1 <= 91 ? table[static_cast<std::size_t>(lo + 1)] : table[91];
    return table[static_cast<std::size_t>(lo)] * (1.0 - w) + hi * w;
}

class Noise {
public:
    explicit Noise(std::uint64_t seed) : state_(seed * 6364136223846793005ULL + 1442695040888963407ULL) {}
    // Uniform in [-1, 1).
    double next() {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state_ >> 11) / 4503599627370496.0 - 1.0;
    }
    // Standard normal, by the Box-Muller transform of two uniform draws.
    double gaussian() {
        const double u1 = 1.0 - 0.5 * (next() + 1.0);  // in (0, 1]
        const double u2 = 0.5 * (next() + 1.0);
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
    }

private:
    std::uint64_t state_;
};

std::string number(double v, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

int pointCount(const SeriesSpec& s) {
    return static_cast<int>(std::lround((s.last - s.first) / s.step)) + 1;
}

void appendRow(std::string& out, const std::vector<double>& values, int decimals, int perLine) {
    for (std::size_t k = 0; k < values.size(); ++k) {
        out += number(values[k], decimals);
        const bool lineEnd = perLine > 0 && (k + 1) % static_cast<std::size_t>(perLine) == 0;
        out += (lineEnd || k + 1 == values.size()) ? "\r\n" : " ";
    }
}

// `value` with one draw of the noise of kind `kind` and level `level`
// (relative to `peak` for the normal kinds).
double withNoise(double value, NoiseKind kind, double level, double peak, Noise& noise) {
    switch (kind) {
        case NoiseKind::Uniform:
            return value * (1.0 + level * noise.next());
        case NoiseKind::Gaussian:
            return value + level * peak * noise.gaussian();
        case NoiseKind::Poisson:
            return value + level * std::sqrt(std::max(value, 0.0) * peak) * noise.gaussian();
    }
    return value;
}

std::vector<double> recordedSpectrum(const SeriesSpec& s, double activity, double peak, Noise& noise) {
    std::vector<double> values;
    const int p = pointCount(s);
    for (int k = 0; k < p; ++k) {
        const double lambda = s.first + k * s.step;
        values.push_back(withNoise(expectedIntensity(s, activity, lambda), s.noiseKind, s.noise, peak, noise));
    }
    return values;
}

// The standard draws from a stream of its own, so that a file with an exact
// standard has the same spectra as one with a noisy standard.
std::vector<double> measuredStandard(const SeriesSpec& s) {
    std::vector<double> values;
    const int p = pointCount(s);
    double peak = 0.0;
    for (int k = 0; k < p; ++k) peak = std::max(peak, expectedStandard(s, s.first + k * s.step));
    Noise noise(s.seed ^ 0x9e3779b97f4a7c15ULL);
    for (int k = 0; k < p; ++k) {
        const double v = expectedStandard(s, s.first + k * s.step);
        values.push_back(s.standardNoise > 0.0 ? withNoise(v, s.noiseKind, s.standardNoise, peak, noise) : v);
    }
    return values;
}

std::string gridText(const SeriesSpec& s) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "%g %g %g", s.first, s.last, s.step);
    return buf;
}

}  // namespace

std::string seriesFile(const SeriesSpec& s) {
    std::string out = s.title + "\r\n";
    out += std::to_string(s.quencherType) + " " + std::to_string(s.concentrations.size()) + " " +
           gridText(s) + "\r\n";
    for (std::size_t i = 0; i < s.concentrations.size(); ++i) {
        out += number(s.concentrations[i], 3);
        out += i + 1 == s.concentrations.size() ? "\r\n" : " ";
    }
    Noise noise(s.seed);
    const double peak = peakIntensity(s);
    for (double a : activities(s.quencherType, s.concentrations)) {
        appendRow(out, recordedSpectrum(s, a, peak, noise), 1, s.valuesPerLine);
    }
    appendRow(out, measuredStandard(s), 3, s.valuesPerLine);
    return out;
}

std::string singleSpectrumFile(const SeriesSpec& s) {
    std::string out = s.title + "\r\n" + gridText(s) + "\r\n";
    Noise noise(s.seed);
    const double a = s.concentrations.empty() ? 0.0 : activities(s.quencherType, s.concentrations).front();
    appendRow(out, recordedSpectrum(s, a, peakIntensity(s, true), noise), 1, s.valuesPerLine);
    appendRow(out, measuredStandard(s), 3, s.valuesPerLine);
    return out;
}

std::vector<double> activities(int quencherType, const std::vector<double>& concentrations) {
    if (quencherType < 1 || quencherType > 5) return concentrations;
    QuencherSeries q;
    q.type = quencherType;
    q.concentration = concentrations;
    setUpQuencher(q);
    return q.activity;
}

double expectedIntensity(const SeriesSpec& s, double activity, double lambda) {
    double wavenumberScale = 0.0;
    for (const Component& c : s.components) {
        const double a = c.amplitude / (1.0 + c.ksv * activity);
        wavenumberScale += a * lognormalShape(c.lambdaM, lambda);
    }
    // Back to intensity per wavelength interval, relative to 340 nm.
    const double ratio = 340.0 / lambda;
    return wavenumberScale * ratio * ratio * sensitivity(lambda, s.instrument);
}

double expectedStandard(const SeriesSpec& s, double lambda) {
    return 1000.0 * standardEmission(lambda) * sensitivity(lambda, s.instrument);
}

double peakIntensity(const SeriesSpec& s, bool singleSpectrum) {
    std::vector<double> a = activities(s.quencherType, s.concentrations);
    if (a.empty()) a = {0.0};
    if (singleSpectrum) a.resize(1);
    double peak = 0.0;
    const int p = pointCount(s);
    for (double activity : a) {
        for (int k = 0; k < p; ++k) peak = std::max(peak, expectedIntensity(s, activity, s.first + k * s.step));
    }
    return peak;
}

}  // namespace qf::synth
