#pragma once
// Window spectra with a known truth for the stage tests: log-normal bands
// whose heights follow Stern-Volmer lines, on the wavelength scale,
// normalized to 10000 and kept as whole numbers, as the analysis read leaves
// the spectra of a data file.

#include <vector>

#include "band/band.h"
#include "prep/spectra.h"
#include "textio/rounding.h"

namespace qf::testing {

struct Band {
    double lambdaM;    // nm
    double amplitude;  // unquenched height on the wavenumber scale
    double ksv;        // 1/M
};

// One spectrum per quencher activity; `noise` is a relative, deterministic
// jitter of every value (0: noise-free).
inline Spectra bandSpectra(const std::vector<Band>& bands, const std::vector<double>& activities, double step,
                           double noise = 0.0) {
    Spectra s;
    s.nSpec = static_cast<int>(activities.size());
    s.step = step;
    s.nPoints = static_cast<int>(60.0 / step) + 1;
    s.workSpectra.resize(s.nSpec, s.nPoints);
    unsigned long long seed = 12345;
    const auto jitter = [&seed] {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(seed >> 11) / 9007199254740992.0 - 0.5;
    };
    Matrix raw(s.nSpec, s.nPoints);
    double g = 0.0;
    for (int i = 0; i < s.nSpec; ++i) {
        for (int j = 0; j < s.nPoints; ++j) {
            const double lambda = s.wavelength(j);
            double v = 0.0;
            for (const Band& b : bands) {
                const double a = b.amplitude / (1.0 + b.ksv * activities[static_cast<std::size_t>(i)]);
                v += a * lognormalShape(b.lambdaM, lambda);
            }
            const double r = 340.0 / lambda;
            raw(i, j) = v * r * r;
            if (noise != 0.0) raw(i, j) *= 1.0 + noise * 2.0 * jitter();
            if (raw(i, j) > g) {
                g = raw(i, j);
                s.lambdaMax = lambda;
            }
        }
    }
    s.spectrumMax = g;
    for (int i = 0; i < s.nSpec; ++i) {
        for (int j = 0; j < s.nPoints; ++j) s.workSpectra(i, j) = fix(raw(i, j) * 10000.0 / g + 0.5);
    }
    s.expSpectra = s.workSpectra;
    return s;
}

}  // namespace qf::testing
