#pragma once
// The grid searches for one, two and three components: a coarse pass over
// fixed ranges, then passes over ranges refined around the best positions
// with a step divided after each pass. Loop values start at one end of the
// range, accumulate the step and are compared with the other end exactly.

#include <vector>

#include "decomp/candidate.h"
#include "decomp/decomp_variant.h"

namespace qf {

enum class SearchResult {
    Found,   // the best solution holds n components
    Absent,  // no candidate kept in the first pass (after the retry for three)
};

// Coarse step of the three-component search, and the finer coarse step it is
// repeated at when the first finds no third component.
inline constexpr double kThreeComponentStep = 8.1;
inline constexpr double kThreeComponentRetryStep = 2.7;

// One pass of a search, as a test or benchmark sees it.
struct SearchPassRecord {
    double step = 0.0;
    long evaluated = 0;  // candidates evaluated (ordered positions)
};

// Runs the search for n components on `problem` and offers every accepted
// candidate to the best solution. `threeCompStep` is the coarse step of the
// three-component search; its retry sets it to kThreeComponentRetryStep. When `passes` is given,
// every pass is recorded there.
SearchResult gridSearch(const FitProblem& problem, const SearchPlan& plan, int n, VelaBest& best,
                        double& threeCompStep, std::vector<SearchPassRecord>* passes = nullptr);

}  // namespace qf
