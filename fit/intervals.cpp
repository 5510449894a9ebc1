#include "fit/intervals.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <thread>

#include "band/band.h"
#include "fit/noise.h"

namespace qf::fit {

namespace {

// Linear interpolation between order statistics.
double quantile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    if (v.empty()) return std::nan("");
    const double h = p * static_cast<double>(v.size() - 1);
    const std::size_t lo = static_cast<std::size_t>(std::floor(h));
    const std::size_t hi = std::min(lo + 1, v.size() - 1);
    return v[lo] + (h - static_cast<double>(lo)) * (v[hi] - v[lo]);
}

std::uint64_t roundSeed(std::uint64_t seed, int round) {
    // SplitMix64 step: well-spread seeds for neighbouring rounds.
    std::uint64_t z = seed + 0x9E3779B97F4A7C15ULL * static_cast<std::uint64_t>(round + 1);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

}  // namespace

std::vector<double> sharesOf(const Solution& s) {
    std::vector<double> area;
    double total = 0.0;
    for (std::size_t i = 0; i < s.amp.size(); ++i) {
        area.push_back(s.amp[i] * areaFactor(s.params.pos[i]));
        total += area.back();
    }
    for (double& a : area) a = total > 0.0 ? 100.0 * a / total : 0.0;
    return area;
}

double exactPeak(double lambdaM) {
    const BandShape band = bandShape(lambdaM);
    auto g = [&band](double l) { return lognormalShape(band, l) / (l * l); };
    // Golden-section search: the peak lies a few nm below lambdaM.
    double a = lambdaM - 20.0, b = lambdaM;
    const double r = 0.5 * (std::sqrt(5.0) - 1.0);
    double c = b - r * (b - a), d = a + r * (b - a);
    double gc = g(c), gd = g(d);
    while (b - a > 1e-7) {
        if (gc > gd) {
            b = d;
            d = c;
            gd = gc;
            c = b - r * (b - a);
            gc = g(c);
        } else {
            a = c;
            c = d;
            gc = gd;
            d = a + r * (b - a);
            gd = g(d);
        }
    }
    return 0.5 * (a + b);
}

Bounds bootstrap(const Observations& obs, const Whitening& w, const NoiseModel& noise,
                 const Solution& fit, int rounds, std::uint64_t seed) {
    const int n = static_cast<int>(fit.params.pos.size());
    const std::size_t nr = static_cast<std::size_t>(std::max(rounds, 0));
    std::vector<std::vector<double>> pos(nr), ksv(nr), share(nr);
    Problem base(obs, w, n);
    const std::vector<double> mu = base.fitted(fit.params, fit.amp);
    auto work = [&](int first, int stride) {
        Problem problem(obs, w, n);
        for (int r = first; r < rounds; r += stride) {
            std::mt19937_64 rng(roundSeed(seed, r));
            problem.setData(simulate(obs, noise, mu, rng));
            // A fit of the right count converges in a few iterations; one
            // with a component too many drifts along a flat valley, and the
            // cap keeps that from costing more than the rest together.
            const Solution s = problem.solve(fit.params, 25, 1e-6);
            const std::size_t i = static_cast<std::size_t>(r);
            pos[i] = s.params.pos;
            ksv[i] = s.params.ksv;
            share[i] = sharesOf(s);
        }
    };
    const int threads = rounds >= 16 ? 2 : 1;
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t) pool.emplace_back(work, t, threads);
    work(0, threads);
    for (auto& t : pool) t.join();

    Bounds b;
    for (int c = 0; c < n; ++c) {
        std::vector<double> p, k, s;
        for (std::size_t r = 0; r < nr; ++r) {
            p.push_back(pos[r][static_cast<std::size_t>(c)]);
            if (!ksv[r].empty()) k.push_back(ksv[r][static_cast<std::size_t>(c)]);
            s.push_back(share[r][static_cast<std::size_t>(c)]);
        }
        b.posLow.push_back(quantile(p, 0.025));
        b.posHigh.push_back(quantile(p, 0.975));
        b.shareLow.push_back(quantile(s, 0.025));
        b.shareHigh.push_back(quantile(s, 0.975));
        if (!k.empty()) {
            b.ksvLow.push_back(quantile(k, 0.025));
            b.ksvHigh.push_back(quantile(k, 0.975));
        }
    }
    return b;
}

std::vector<double> leaveOneOutShifts(const Observations& obs, const NoiseModel& noise,
                        const std::vector<double>& muReference, const Solution& fit) {
    const int n = static_cast<int>(fit.params.pos.size());
    const int np = obs.nPoints;
    std::vector<double> shift(static_cast<std::size_t>(n), 0.0);
    for (int out = 0; out < obs.nSpec; ++out) {
        Observations sub = obs;
        sub.nSpec = obs.nSpec - 1;
        sub.y.clear();
        sub.activity.clear();
        std::vector<double> mu;
        for (int k = 0; k < obs.nSpec; ++k) {
            if (k == out) continue;
            sub.activity.push_back(obs.activity[static_cast<std::size_t>(k)]);
            for (int j = 0; j < np; ++j) {
                const std::size_t i = static_cast<std::size_t>(k * np + j);
                sub.y.push_back(obs.y[i]);
                mu.push_back(muReference[i]);
            }
        }
        const Whitening w = noiseWhitening(sub, noise, mu);
        const Problem problem(sub, w, n);
        const Solution s = problem.solve(fit.params, 25, 1e-7);
        for (int c = 0; c < n; ++c) {
            const std::size_t i = static_cast<std::size_t>(c);
            shift[i] = std::max(shift[i], std::abs(s.params.pos[i] - fit.params.pos[i]));
        }
    }
    return shift;
}

}  // namespace qf::fit
