#include "tools/synthetic_data.h"

#include <cmath>
#include <cstdio>

#include "band/band.h"
#include "prep/correction.h"

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

std::vector<double> recordedSpectrum(const SeriesSpec& s, double concentration, Noise& noise) {
    std::vector<double> values;
    const int p = pointCount(s);
    for (int k = 0; k < p; ++k) {
        const double lambda = s.first + k * s.step;
        double wavenumberScale = 0.0;
        for (const Component& c : s.components) {
            const double a = c.amplitude / (1.0 + c.ksv * concentration);
            wavenumberScale += a * lognormalShape(c.lambdaM, lambda);
        }
        // Back to intensity per wavelength interval, relative to 340 nm.
        const double ratio = 340.0 / lambda;
        double v = wavenumberScale * ratio * ratio * sensitivity(lambda, s.instrument);
        v *= 1.0 + s.noise * noise.next();
        values.push_back(v);
    }
    return values;
}

std::vector<double> measuredStandard(const SeriesSpec& s) {
    std::vector<double> values;
    const int p = pointCount(s);
    for (int k = 0; k < p; ++k) {
        const double lambda = s.first + k * s.step;
        values.push_back(1000.0 * standardEmission(lambda) * sensitivity(lambda, s.instrument));
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
    for (double c : s.concentrations) appendRow(out, recordedSpectrum(s, c, noise), 1, s.valuesPerLine);
    appendRow(out, measuredStandard(s), 3, s.valuesPerLine);
    return out;
}

std::string singleSpectrumFile(const SeriesSpec& s) {
    std::string out = s.title + "\r\n" + gridText(s) + "\r\n";
    Noise noise(s.seed);
    const double c = s.concentrations.empty() ? 0.0 : s.concentrations.front();
    appendRow(out, recordedSpectrum(s, c, noise), 1, s.valuesPerLine);
    appendRow(out, measuredStandard(s), 3, s.valuesPerLine);
    return out;
}

}  // namespace qf::synth
