#include "decomp/grid_search.h"

namespace qf {

namespace {

using Axes = std::array<SearchAxis, 3>;

// Visits lower, lower + s, ... while the value has not passed upper (or the
// same from upper downward for a descending axis).
template <class Body>
void sweep(const SearchAxis& axis, double s, Body&& body) {
    if (axis.descending) {
        const double down = -s;
        for (double v = axis.upper; v >= axis.lower; v += down) body(v);
    } else {
        for (double v = axis.lower; v <= axis.upper; v += s) body(v);
    }
}

struct PassRunner {
    const FitProblem& problem;
    int n;
    VelaBest& best;
    long evaluated = 0;

    void offer(double l1, double l2, double l3) {
        Candidate& c = best.candidate;
        c.trialMaxima[0] = l1;
        if (n >= 2) c.trialMaxima[1] = l2;
        if (n >= 3) c.trialMaxima[2] = l3;
        ++evaluated;
        evaluateCandidate(problem, n, c);
        if (c.criterion > 0.0) keepIfBetter(c, n, problem.nSpec, best);
    }

    void run(const Axes& axes, double s) {
        if (n == 1) {
            sweep(axes[0], s, [&](double l1) { offer(l1, 0.0, 0.0); });
        } else if (n == 2) {
            sweep(axes[0], s, [&](double l1) {
                sweep(axes[1], s, [&](double l2) {
                    if (l2 > l1) offer(l1, l2, 0.0);
                });
            });
        } else {
            sweep(axes[0], s, [&](double l1) {
                sweep(axes[1], s, [&](double l2) {
                    sweep(axes[2], s, [&](double l3) {
                        if (l1 < l2 && l2 < l3) offer(l1, l2, l3);
                    });
                });
            });
        }
    }
};

SearchAxis refinedAxis(const SearchAxis& coarse, double bestPosition, double s, RefineWidth width) {
    SearchAxis a = coarse;
    switch (width) {
        case RefineWidth::Step:
            a.lower = bestPosition - s;
            a.upper = bestPosition + s;
            break;
        case RefineWidth::StepAndThird:
            a.lower = bestPosition - s - s / 3.0;
            a.upper = bestPosition + s + s / 3.0;
            break;
        case RefineWidth::FourThirds:
            a.lower = bestPosition - s * 4.0 / 3.0;
            a.upper = bestPosition + s * 4.0 / 3.0;
            break;
        case RefineWidth::SevenFifths:
            a.lower = bestPosition - 7.0 * s / 5.0;
            a.upper = bestPosition + 7.0 * s / 5.0;
            break;
    }
    return a;
}

bool anyPositionUnset(const VelaBest& best, int n) {
    for (int k = 0; k < n; ++k) {
        if (best.bestMaxima[static_cast<std::size_t>(k)] == 0.0) return true;
    }
    return false;
}

}  // namespace

SearchResult gridSearch(const FitProblem& problem, const SearchPlan& plan, int n, VelaBest& best,
                        double& threeCompStep, std::vector<SearchPassRecord>* passes) {
    PassRunner runner{problem, n, best};
    const auto runPass = [&](const Axes& axes, double s) {
        runner.evaluated = 0;
        runner.run(axes, s);
        if (passes != nullptr) passes->push_back({s, runner.evaluated});
    };

    double s = plan.firstStep > 0.0 ? plan.firstStep : threeCompStep;
    Axes axes = plan.axes;
    runPass(axes, s);
    const auto lastIndex = static_cast<std::size_t>(n - 1);
    if (plan.retryAtFinerStep && best.bestMaxima[lastIndex] == 0.0 && threeCompStep == kThreeComponentStep) {
        threeCompStep = kThreeComponentRetryStep;
        s = threeCompStep;
        runPass(axes, s);
    }
    if (plan.retryAtFinerStep ? best.bestMaxima[lastIndex] == 0.0 : anyPositionUnset(best, n)) {
        return SearchResult::Absent;
    }
    while (!(s < plan.stopBelow)) {
        for (int k = 0; k < n; ++k) {
            const auto kk = static_cast<std::size_t>(k);
            axes[kk] = refinedAxis(plan.axes[kk], best.bestMaxima[kk], s, plan.width);
        }
        s = s / plan.divisor;
        runPass(axes, s);
    }
    return SearchResult::Found;
}

}  // namespace qf
