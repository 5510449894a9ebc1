#include "decomp/error_estimate.h"

#include <cmath>

#include "textio/checked.h"
#include "textio/rounding.h"

namespace qf {

namespace {

// Walks component c in direction `sign` and returns the offset at which the
// walk ended; the candidate's amplitudes are those of that last evaluation.
double walk(const FitProblem& problem, int n, int c, double sign, VelaBest& best) {
    Candidate& candidate = best.candidate;
    const auto cc = static_cast<std::size_t>(c);
    double offset = 0.5 * sign;
    for (;;) {
        candidate.trialMaxima[cc] = best.bestMaxima[cc] + offset;
        evaluateCandidate(problem, n, candidate);
        const bool departed =
            fp::div(std::fabs(fp::sub(best.bestCriterion, candidate.criterion)), best.bestCriterion) > 0.01;
        if (departed || std::fabs(offset) >= kMaxWalkOffset) return offset;
        offset = offset + 0.5 * sign;
    }
}

}  // namespace

void estimateErrors(const FitProblem& problem, int n, VelaBest& best) {
    Candidate& candidate = best.candidate;
    for (int k = 0; k < n; ++k) {
        const auto kk = static_cast<std::size_t>(k);
        best.maxPositionError[kk] = 0.0;
        candidate.trialMaxima[kk] = best.bestMaxima[kk];
    }
    for (int k = 0; k < n; ++k) {
        for (int i = 0; i < problem.nSpec; ++i) best.amplitudeError(k, i) = 0.0;
    }
    for (int c = 0; c < n; ++c) {
        const auto cc = static_cast<std::size_t>(c);
        for (const double sign : {-1.0, 1.0}) {
            const double offset = walk(problem, n, c, sign, best);
            best.maxPositionError[cc] = best.maxPositionError[cc] + std::fabs(offset);
            for (int i = 0; i < problem.nSpec; ++i) {
                best.amplitudeError(c, i) = fp::add(
                    best.amplitudeError(c, i),
                    fp::div(std::fabs(fp::sub(candidate.amplitudes(c, i), best.bestAmplitudes(c, i))),
                            best.bestAmplitudes(c, i)));
            }
        }
        best.maxPositionError[cc] = 0.5 * fix(best.maxPositionError[cc] + 0.5);
        for (int i = 0; i < problem.nSpec; ++i) {
            best.amplitudeError(c, i) = fix(fp::mul(100.0, best.amplitudeError(c, i)) / 2.0 + 0.5);
        }
        candidate.trialMaxima[cc] = best.bestMaxima[cc];
    }
}

}  // namespace qf
