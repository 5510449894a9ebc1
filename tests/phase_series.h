#pragma once
// Quenching series with a known truth for the phase-plane tests: two
// log-normal bands whose heights follow Stern-Volmer lines, on the
// wavelength scale, normalized to 10000 and kept as whole numbers.

#include <cmath>
#include <vector>

#include "band/band.h"
#include "prep/spectra.h"
#include "quench/quencher.h"

namespace qf::testing {

struct TwoBandTruth {
    double lambda1 = 331.0, lambda2 = 350.0;
    double height1 = 1.0, height2 = 1.0;
    double ksv1 = 2.0, ksv2 = 12.0;
    double noise = 0.0;  // relative, deterministic (0 = noise-free)
};

inline QuencherSeries phaseQuencher(int nSpec, double stepM = 0.05) {
    QuencherSeries q;
    q.type = 1;
    q.ksvTrp = 16.8;
    for (int i = 0; i < nSpec; ++i) {
        q.concentration.push_back(stepM * i);
        q.activity.push_back(stepM * i);
    }
    return q;
}

inline Spectra twoBandSeries(const TwoBandTruth& truth, const QuencherSeries& q, double step) {
    Spectra s;
    s.nSpec = static_cast<int>(q.activity.size());
    s.nPoints = static_cast<int>(60.0 / step) + 1;
    s.step = step;
    Matrix raw(s.nSpec, s.nPoints);
    double top = 0.0;
    unsigned long long seed = 12345;
    const auto jitter = [&seed] {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(seed >> 11) / 9007199254740992.0 - 0.5;
    };
    for (int i = 0; i < s.nSpec; ++i) {
        const double a1 = truth.height1 / (1.0 + truth.ksv1 * q.activity[static_cast<std::size_t>(i)]);
        const double a2 = truth.height2 / (1.0 + truth.ksv2 * q.activity[static_cast<std::size_t>(i)]);
        for (int j = 0; j < s.nPoints; ++j) {
            const double lambda = s.wavelength(j);
            const double v = (a1 * lognormalShape(truth.lambda1, lambda) +
                              a2 * lognormalShape(truth.lambda2, lambda)) *
                             (340.0 / lambda) * (340.0 / lambda);
            raw(i, j) = v * (1.0 + truth.noise * 2.0 * jitter());
            if (raw(i, j) > top) top = raw(i, j);
        }
    }
    s.workSpectra.resize(s.nSpec, s.nPoints);
    double best = -1.0;
    for (int i = 0; i < s.nSpec; ++i) {
        for (int j = 0; j < s.nPoints; ++j) {
            const double w = std::trunc(10000.0 * raw(i, j) / top + 0.5);
            s.workSpectra(i, j) = w;
            if (w > best) {
                best = w;
                s.lambdaMax = s.wavelength(j);
            }
        }
    }
    s.spectrumMax = best;
    s.expSpectra = s.workSpectra;
    return s;
}

}  // namespace qf::testing
