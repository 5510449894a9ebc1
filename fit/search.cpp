#include "fit/search.h"

#include <algorithm>

namespace qf::fit {

namespace {

// A Stern-Volmer constant to start from: a middle quenching over the series.
double startingKsv(const Observations& obs) {
    const double amax = *std::max_element(obs.activity.begin(), obs.activity.end());
    return amax > 0.0 ? 1.0 / amax : 1.0;
}

Params withKsv(std::vector<double> pos, const Observations& obs, const std::vector<double>& ksv) {
    Params p;
    p.pos = std::move(pos);
    if (obs.series()) {
        p.ksv = ksv;
        p.ksv.resize(p.pos.size(), startingKsv(obs));
    }
    return p;
}

}  // namespace

std::vector<Params> startsFor(int n, const Observations& obs, const Solution* fewer,
                              const std::vector<double>& legacy, const std::vector<Params>& extra,
                              bool grid) {
    std::vector<Params> starts = extra;
    const double k0 = obs.series() ? startingKsv(obs) : 0.0;
    // Quenching patterns to try on a coarse grid: all alike, or one
    // component quenched more than the others.
    std::vector<std::vector<double>> ksvSets;
    if (obs.series()) {
        ksvSets.push_back(std::vector<double>(static_cast<std::size_t>(n), k0));
        if (n >= 2) {
            std::vector<double> rising, falling;
            for (int i = 0; i < n; ++i) {
                rising.push_back(k0 * 0.2 * (1.0 + 4.0 * i / (n - 1)));
                falling.push_back(k0 * 0.2 * (1.0 + 4.0 * (n - 1 - i) / (n - 1)));
            }
            ksvSets.push_back(rising);
            ksvSets.push_back(falling);
        }
    } else {
        ksvSets.push_back({});
    }
    std::vector<std::vector<double>> grids;
    if (!grid) {
    } else if (n == 1) {
        for (double p = 310.0; p <= 365.0; p += 11.0) grids.push_back({p});
    } else if (n == 2) {
        for (double a = 306.0; a <= 360.0; a += 9.0) {
            for (double b = a + 9.0; b <= 366.0; b += 9.0) grids.push_back({a, b});
        }
    } else {
        for (double a = 306.0; a <= 360.0; a += 12.0) {
            for (double b = a + 12.0; b <= 366.0; b += 12.0) {
                for (double c = b + 12.0; c <= 372.0; c += 12.0) grids.push_back({a, b, c});
            }
        }
    }
    for (const auto& g : grids) {
        for (const auto& k : ksvSets) starts.push_back(withKsv(g, obs, k));
    }
    if (fewer != nullptr) {
        // The fit with one component fewer and one more component put
        // beside, between or beyond its components.
        const std::vector<double>& pos = fewer->params.pos;
        std::vector<double> places = {308.0, 320.0, 332.0, 344.0, 356.0, 368.0};
        for (double x : pos) {
            places.push_back(x - 6.0);
            places.push_back(x + 6.0);
        }
        for (double x : places) {
            for (double kMul : {0.3, 1.0, 3.0}) {
                Params p = fewer->params;
                p.pos.push_back(x);
                if (obs.series()) p.ksv.push_back(k0 * kMul);
                starts.push_back(p);
                if (!obs.series()) break;
            }
        }
    }
    if (static_cast<int>(legacy.size()) == n) {
        for (const auto& k : ksvSets) starts.push_back(withKsv(legacy, obs, k));
    }
    return starts;
}

Solution searchBest(const Problem& problem, const std::vector<Params>& starts) {
    std::vector<Solution> quick;
    quick.reserve(starts.size());
    for (const Params& s : starts) quick.push_back(problem.solve(s, 6));
    std::sort(quick.begin(), quick.end(),
              [](const Solution& a, const Solution& b) { return a.q < b.q; });
    Solution best = quick.front();
    best.q = -1.0;
    const std::size_t polish = std::min<std::size_t>(quick.size(), 4);
    for (std::size_t i = 0; i < polish; ++i) {
        Solution s = problem.solve(quick[i].params, 200);
        if (best.q < 0.0 || s.q < best.q) best = s;
    }
    return best;
}

}  // namespace qf::fit
