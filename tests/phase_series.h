#pragma once
// Quenching series with a known truth for the phase-plane tests: two
// log-normal bands whose heights follow Stern-Volmer lines, on the
// wavelength scale, normalized to 10000 and kept as whole numbers.

#include <cmath>
#include <vector>

#include "band_series.h"
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
    return bandSpectra({{truth.lambda1, truth.height1, truth.ksv1}, {truth.lambda2, truth.height2, truth.ksv2}},
                       q.activity, step, truth.noise);
}

}  // namespace qf::testing
