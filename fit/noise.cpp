#include "fit/noise.h"

#include <algorithm>
#include <cmath>

namespace qf::fit {

namespace {

std::size_t at(int k, int j, int nPoints) {
    return static_cast<std::size_t>(k) * static_cast<std::size_t>(nPoints) +
           static_cast<std::size_t>(j);
}

// Weighted least squares e ~ a x1 + b x2 with a, b >= 0.
void fitTwoNonNegative(const std::vector<double>& e, const std::vector<double>& x1,
                       const std::vector<double>& x2, const std::vector<double>& w, double& a,
                       double& b) {
    double s11 = 0, s12 = 0, s22 = 0, s1e = 0, s2e = 0;
    for (std::size_t i = 0; i < e.size(); ++i) {
        s11 += w[i] * x1[i] * x1[i];
        s12 += w[i] * x1[i] * x2[i];
        s22 += w[i] * x2[i] * x2[i];
        s1e += w[i] * x1[i] * e[i];
        s2e += w[i] * x2[i] * e[i];
    }
    const double det = s11 * s22 - s12 * s12;
    if (det > 0.0) {
        a = (s1e * s22 - s2e * s12) / det;
        b = (s2e * s11 - s1e * s12) / det;
        if (a >= 0.0 && b >= 0.0) return;
    }
    // One of the two at 0: the better of the single-term fits.
    const double aOnly = s11 > 0.0 ? std::max(s1e / s11, 0.0) : 0.0;
    const double bOnly = s22 > 0.0 ? std::max(s2e / s22, 0.0) : 0.0;
    const double gainA = aOnly * s1e;  // reduction of the weighted sum of squares, doubled
    const double gainB = bOnly * s2e;
    if (gainA >= gainB) {
        a = aOnly;
        b = 0.0;
    } else {
        a = 0.0;
        b = bOnly;
    }
}

}  // namespace

NoiseModel estimateNoise(const Observations& obs, const std::vector<double>& mu, int parameters) {
    const int np = obs.nPoints;
    const int ns = obs.nSpec;
    const std::size_t size = static_cast<std::size_t>(obs.size());
    NoiseModel noise;
    std::vector<double> r(size);
    for (std::size_t i = 0; i < size; ++i) r[i] = obs.y[i] - mu[i];
    const bool shared = ns >= 3;
    // Residual degrees of freedom lost to the fit (and to the shared errors).
    const double used = parameters + (shared ? np : 0);
    const double inflate = static_cast<double>(size) / std::max(1.0, static_cast<double>(size) - used);

    std::vector<double> x1(size), x2(size), e2(size), w(size, 1.0), delta(static_cast<std::size_t>(np), 0.0);
    for (int k = 0; k < ns; ++k) {
        for (int j = 0; j < np; ++j) {
            const std::size_t i = at(k, j, np);
            const double m = std::max(mu[i], 0.0);
            x1[i] = m * obs.countingShape[static_cast<std::size_t>(j)];
            x2[i] = m * m;
        }
    }
    // Start: counting noise of the overall size of the residuals.
    double sr = 0.0, sx = 0.0;
    for (std::size_t i = 0; i < size; ++i) {
        sr += r[i] * r[i];
        sx += x1[i];
    }
    noise.poisson = sx > 0.0 ? sr / sx : 0.0;
    for (int round = 0; round < 5; ++round) {
        std::vector<double> v(size);
        for (std::size_t i = 0; i < size; ++i) {
            v[i] = noise.quantization + noise.poisson * x1[i] + noise.relative * noise.relative * x2[i];
        }
        // The shared part from the per-wavelength estimates d_j, whose
        // variance is s2 + 1/info_j: each wavelength weighted by the inverse
        // variance of d_j^2, so the wings, where the spectra are weak, do
        // not drown the estimate in their noise.
        const double s2Before = noise.sharedRelative * noise.sharedRelative;
        double sharedSum = 0.0;
        double weightSum = 0.0;
        for (int j = 0; j < np && shared; ++j) {
            double num = 0.0, info = 0.0;
            for (int k = 0; k < ns; ++k) {
                const std::size_t i = at(k, j, np);
                const double m = std::max(mu[i], 0.0);
                num += m * r[i] / v[i];
                info += m * m / v[i];
            }
            if (info <= 0.0) continue;
            const double d = num / info;
            delta[static_cast<std::size_t>(j)] = d;
            const double spread = s2Before + 1.0 / info;
            const double weight = 1.0 / (spread * spread);
            sharedSum += weight * (d * d - 1.0 / info);
            weightSum += weight;
        }
        if (shared && weightSum > 0.0) {
            const double s2 = sharedSum / weightSum * static_cast<double>(np) /
                              std::max(1.0, static_cast<double>(np) - parameters / static_cast<double>(ns));
            noise.sharedRelative = std::sqrt(std::max(0.0, s2));
        }
        for (int k = 0; k < ns; ++k) {
            for (int j = 0; j < np; ++j) {
                const std::size_t i = at(k, j, np);
                const double eps = r[i] - std::max(mu[i], 0.0) * delta[static_cast<std::size_t>(j)];
                e2[i] = eps * eps * inflate - noise.quantization;
                w[i] = 1.0 / (v[i] * v[i]);
            }
        }
        double a = 0.0, b = 0.0;
        fitTwoNonNegative(e2, x1, x2, w, a, b);
        noise.poisson = a;
        noise.relative = std::sqrt(b);
    }
    return noise;
}

std::vector<double> simulate(const Observations& obs, const NoiseModel& noise,
                             const std::vector<double>& mu, std::mt19937_64& rng) {
    std::normal_distribution<double> z(0.0, 1.0);
    const int np = obs.nPoints;
    std::vector<double> y(mu.size());
    std::vector<double> shared(static_cast<std::size_t>(np));
    for (double& d : shared) d = noise.sharedRelative * z(rng);
    for (int k = 0; k < obs.nSpec; ++k) {
        for (int j = 0; j < np; ++j) {
            const std::size_t i = at(k, j, np);
            const double m = mu[i];
            const double sd = std::sqrt(independentVariance(noise, m, obs.countingShape[static_cast<std::size_t>(j)]));
            y[i] = m * (1.0 + shared[static_cast<std::size_t>(j)]) + sd * z(rng);
        }
    }
    return y;
}

}  // namespace qf::fit
