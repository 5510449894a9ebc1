#include "fit/noise.h"

#include <algorithm>
#include <cmath>

namespace qf::fit {

namespace {

std::size_t at(int k, int j, int nPoints) {
    return static_cast<std::size_t>(k) * static_cast<std::size_t>(nPoints) +
           static_cast<std::size_t>(j);
}

// Weighted least squares e ~ sum_t c_t x_t with every c_t >= 0: the best
// of the unconstrained solutions on every subset of the terms that are
// non-negative.
std::vector<double> fitNonNegative(const std::vector<double>& e, const std::vector<std::vector<double>>& x,
                                   const std::vector<double>& w) {
    const std::size_t n = x.size();
    std::vector<std::vector<double>> g(n, std::vector<double>(n, 0.0));
    std::vector<double> b(n, 0.0);
    for (std::size_t i = 0; i < e.size(); ++i) {
        for (std::size_t r = 0; r < n; ++r) {
            b[r] += w[i] * x[r][i] * e[i];
            for (std::size_t c = 0; c < n; ++c) g[r][c] += w[i] * x[r][i] * x[c][i];
        }
    }
    std::vector<double> best(n, 0.0);
    double bestGain = 0.0;
    for (unsigned mask = 1; mask < (1u << n); ++mask) {
        std::vector<std::size_t> cols;
        for (std::size_t t = 0; t < n; ++t) {
            if ((mask >> t) & 1u) cols.push_back(t);
        }
        // Gaussian elimination on the subset's normal equations.
        const std::size_t m = cols.size();
        std::vector<std::vector<double>> a(m, std::vector<double>(m + 1));
        for (std::size_t r = 0; r < m; ++r) {
            for (std::size_t c = 0; c < m; ++c) a[r][c] = g[cols[r]][cols[c]];
            a[r][m] = b[cols[r]];
        }
        bool ok = true;
        for (std::size_t p = 0; p < m && ok; ++p) {
            if (!(std::abs(a[p][p]) > 1e-300)) {
                ok = false;
                break;
            }
            for (std::size_t r = 0; r < m; ++r) {
                if (r == p) continue;
                const double f = a[r][p] / a[p][p];
                for (std::size_t c = p; c <= m; ++c) a[r][c] -= f * a[p][c];
            }
        }
        if (!ok) continue;
        std::vector<double> coef(n, 0.0);
        double gain = 0.0;  // reduction of the weighted sum of squares
        for (std::size_t r = 0; r < m; ++r) {
            const double v = a[r][m] / a[r][r];
            if (v < 0.0) ok = false;
            coef[cols[r]] = v;
            gain += v * b[cols[r]];
        }
        if (ok && gain > bestGain) {
            bestGain = gain;
            best = coef;
        }
    }
    return best;
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

    std::vector<double> x0(size), x1(size), x2(size), x3(size), x4(size), e2(size), w(size, 1.0),
        delta(static_cast<std::size_t>(np), 0.0);
    for (int k = 0; k < ns; ++k) {
        for (int j = 0; j < np; ++j) {
            const std::size_t i = at(k, j, np);
            const double m = std::max(mu[i], 0.0);
            const double c = obs.countingShape[static_cast<std::size_t>(j)];
            const double u = obs.standardShape.empty() ? 1.0 : obs.standardShape[static_cast<std::size_t>(j)];
            x0[i] = c * c;
            x1[i] = m * c;
            x2[i] = m * m;
            x3[i] = m * m * u;
            x4[i] = m * m * u * u;
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
            v[i] = noise.quantization + noise.additive * x0[i] + noise.poisson * x1[i] +
                   noise.relative * noise.relative * x2[i];
            // A single spectrum's error of the standard adds to its own noise.
            if (!shared) v[i] += noise.sharedCounting * x3[i] + noise.sharedAdditive * x4[i];
        }
        // The shared part from the per-wavelength estimates d_j, whose
        // variance is s2 + 1/info_j: each wavelength weighted by the inverse
        // variance of d_j^2, so the wings, where the spectra are weak, do
        // not drown the estimate in their noise.
        std::vector<double> target, weight, one, u1, u2;
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
            const double spread = sharedVariance(noise, obs, j) + 1.0 / info;
            const double u = obs.standardShape.empty() ? 1.0 : obs.standardShape[static_cast<std::size_t>(j)];
            target.push_back(d * d - 1.0 / info);
            weight.push_back(1.0 / (spread * spread));
            one.push_back(1.0);
            u1.push_back(u);
            u2.push_back(u * u);
        }
        if (shared && !target.empty()) {
            // The fit takes up part of the shared error: a pattern common to
            // every spectrum is what the positions and amplitudes (two of the
            // three parameters of each component; the Ksv spread it over the
            // spectra) move the whole band shape by, so each of them costs
            // one wavelength's worth of shared degrees of freedom.
            const double shape = 2.0 * parameters / 3.0;
            const double dof = static_cast<double>(np) / std::max(1.0, static_cast<double>(np) - shape);
            for (double& t : target) t *= dof;
            const std::vector<double> c = fitNonNegative(target, {one, u1, u2}, weight);
            noise.sharedRelative = std::sqrt(c[0]);
            noise.sharedCounting = c[1];
            noise.sharedAdditive = c[2];
        }
        for (int k = 0; k < ns; ++k) {
            for (int j = 0; j < np; ++j) {
                const std::size_t i = at(k, j, np);
                const double eps = r[i] - std::max(mu[i], 0.0) * delta[static_cast<std::size_t>(j)];
                e2[i] = eps * eps * inflate - noise.quantization;
                w[i] = 1.0 / (v[i] * v[i]);
            }
        }
        if (shared) {
            const std::vector<double> c = fitNonNegative(e2, {x0, x1, x2}, w);
            noise.additive = c[0];
            noise.poisson = c[1];
            noise.relative = std::sqrt(c[2]);
        } else {
            // In a single spectrum the error of the standard's recording is
            // one more error per point, relative to the intensity and larger
            // where the standard is weak: its variance mu^2 (c u + a u^2) is
            // fitted beside the spectrum's own noise (its part that does not
            // depend on u cannot be told from `relative` and stays there).
            const std::vector<double> c = fitNonNegative(e2, {x0, x1, x2, x3, x4}, w);
            noise.additive = c[0];
            noise.poisson = c[1];
            noise.relative = std::sqrt(c[2]);
            noise.sharedCounting = c[3];
            noise.sharedAdditive = c[4];
        }
    }
    return noise;
}

std::vector<double> simulate(const Observations& obs, const NoiseModel& noise,
                             const std::vector<double>& mu, std::mt19937_64& rng) {
    std::normal_distribution<double> z(0.0, 1.0);
    const int np = obs.nPoints;
    std::vector<double> y(mu.size());
    std::vector<double> shared(static_cast<std::size_t>(np));
    for (int j = 0; j < np; ++j) shared[static_cast<std::size_t>(j)] = std::sqrt(sharedVariance(noise, obs, j)) * z(rng);
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
