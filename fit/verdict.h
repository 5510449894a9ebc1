#pragma once
// Comparison of the fits with 1, 2 and 3 components: information criteria,
// Akaike weights, the F-test of N against N + 1 and the verdict.

#include <array>
#include <vector>

#include "fit/global_fit.h"

namespace qf::fit {

// What the verdict needs of one fit besides its ModelFit.
struct Support {
    std::vector<double> amplitude;  // fitted amplitudes
    std::vector<double> shift;      // leave-one-out shift per component (empty: not computed)
};

// Fills rss, dof, aicc, bic, akaike weights and p of every model from their
// weighted sums of squares; `observations` is the number of data points.
void compareModels(GlobalFit& fit, int observations);

// The verdict: walks up from one component while N + 1 components fit
// clearly better and are all supported; stops at N when they do not fit
// better; cannot tell between N and N + 1 otherwise.
void decide(GlobalFit& fit, const std::array<Support, 3>& support);

}  // namespace qf::fit
