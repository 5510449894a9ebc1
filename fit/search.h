#pragma once
// Starting points of the fits and the search from many of them: a coarse
// grid of positions, the fit with one component fewer with one added, and
// the legacy's own positions when known. Every start gets a short
// iteration; the best few are iterated to convergence.

#include <vector>

#include "fit/model.h"

namespace qf::fit {

// Starts for `n` components. `fewer` is the fit with n - 1 components
// (empty for n = 1); `legacy` the legacy's positions for n (may be empty).
// `grid` adds the coarse grid of positions (the first search of a file).
std::vector<Params> startsFor(int n, const Observations& obs, const Solution* fewer,
                              const std::vector<double>& legacy, const std::vector<Params>& extra,
                              bool grid);

// The best solution from the starts.
Solution searchBest(const Problem& problem, const std::vector<Params>& starts);

}  // namespace qf::fit
