#include "decomp/candidate.h"

#include <cmath>

#include "band/band.h"
#include "quench/stern_volmer.h"
#include "textio/checked.h"

namespace qf {

using fp::Real;

namespace {

using Square = std::array<std::array<double, 3>, 3>;
using Shapes = std::array<std::array<double, kMaxFitPoints>, kMaxComponents>;

// Component shapes at the window wavelengths; false when a band cannot be
// evaluated there or at 5 nm below its position (where the peak search of
// the reports starts).
bool componentShapes(const FitProblem& problem, int n, const Candidate& candidate, Shapes& shapes) {
    for (int k = 0; k < n; ++k) {
        const double lambdaM = candidate.trialMaxima[static_cast<std::size_t>(k)];
        const BandShape band = bandShape(lambdaM);
        if (!bandDefinedAt(band, lambdaM - 5.0)) return false;
        auto& row = shapes[static_cast<std::size_t>(k)];
        for (int j = 0; j < problem.nPoints; ++j) {
            const double lambda = problem.wavelengths[static_cast<std::size_t>(j)];
            if (!bandDefinedAt(band, lambda)) return false;
            row[static_cast<std::size_t>(j)] = lognormalShape(band, lambda);
        }
    }
    return true;
}

Square gramMatrix(const Shapes& shapes, int n, int nPoints) {
    Square m{};
    for (int k = 0; k < n; ++k) {
        for (int l = 0; l < n; ++l) {
            double sum = 0.0;
            for (int j = 0; j < nPoints; ++j) {
                sum += shapes[static_cast<std::size_t>(k)][static_cast<std::size_t>(j)] *
                       shapes[static_cast<std::size_t>(l)][static_cast<std::size_t>(j)];
            }
            m[static_cast<std::size_t>(k)][static_cast<std::size_t>(l)] = sum;
        }
    }
    return m;
}

// Least-squares amplitudes of every spectrum by Cramer's rule.
void solveAmplitudes(const FitProblem& problem, int n, const Shapes& shapes, const Square& gram,
                     double d, Candidate& candidate) {
    const Matrix& w = *problem.wavenumberSpectra;
    for (int i = 0; i < problem.nSpec; ++i) {
        std::array<double, 3> b{};
        for (int k = 0; k < n; ++k) {
            const auto& shape = shapes[static_cast<std::size_t>(k)];
            const auto projection = [&](auto sum) {
                for (int j = 0; j < problem.nPoints; ++j) sum += decltype(sum)(w(i, j)) * shape[static_cast<std::size_t>(j)];
                return fp::valueOf(sum);
            };
            double sum = projection(0.0);
            if (!std::isfinite(sum)) [[unlikely]] sum = projection(Real(0.0));
            b[static_cast<std::size_t>(k)] = sum;
        }
        for (int c = 0; c < n; ++c) {
            Square replaced = gram;
            for (int r = 0; r < n; ++r) {
                replaced[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] =
                    b[static_cast<std::size_t>(r)];
            }
            candidate.amplitudes(c, i) = fp::div(gramDeterminant(replaced, n), d);
        }
    }
}

bool amplitudesPositive(const Candidate& candidate, int n, int nSpec) {
    for (int k = 0; k < n; ++k) {
        for (int i = 0; i < nSpec; ++i) {
            if (candidate.amplitudes(k, i) <= 0.0) return false;
        }
    }
    return true;
}

// Stern-Volmer line of every component through (activity, F0/F); false when
// a line is implausible (later components are then not examined).
bool sternVolmerLines(const FitProblem& problem, int n, Candidate& candidate) {
    std::array<double, kMaxVelaSpectra> y{};
    const std::span<const double> x = problem.activity.first(static_cast<std::size_t>(problem.nSpec));
    for (int k = 0; k < n; ++k) {
        for (int i = 0; i < problem.nSpec; ++i) {
            y[static_cast<std::size_t>(i)] = fp::div(candidate.amplitudes(k, 0), candidate.amplitudes(k, i));
        }
        const std::span<const double> ys(y.data(), static_cast<std::size_t>(problem.nSpec));
        const SternVolmerLine line = sternVolmerLine(x, ys);
        const auto kk = static_cast<std::size_t>(k);
        candidate.ksv[kk] = line.ksv;
        candidate.ksvSd[kk] = line.ksvSd;
        candidate.svIntercept[kk] = line.intercept;
        candidate.svR[kk] = line.r;
        candidate.svRelDev[kk] = relativeDeviation(line, x);
        if (line.ksv < -0.1 || std::fabs(line.intercept - 1.0) > 1.0) return false;
    }
    Real sum = 0.0;
    for (int k = 0; k < n; ++k) sum += candidate.svRelDev[static_cast<std::size_t>(k)];
    candidate.svPenalty = (sum / static_cast<double>(n)).value();
    return true;
}

// Sum of |model - spectrum| over every point, in plain (R = double) or
// checked (R = Real) arithmetic.
template <class R>
double misfitIn(const FitProblem& problem, int n, const Shapes& shapes, const Candidate& candidate) {
    using std::fabs;
    const Matrix& w = *problem.wavenumberSpectra;
    R total = 0.0;
    for (int i = 0; i < problem.nSpec; ++i) {
        for (int j = 0; j < problem.nPoints; ++j) {
            R model = 0.0;
            for (int k = 0; k < n; ++k) {
                model += R(candidate.amplitudes(k, i)) *
                         shapes[static_cast<std::size_t>(k)][static_cast<std::size_t>(j)];
            }
            total += fabs(model - w(i, j));
        }
    }
    return fp::valueOf(total);
}

[[gnu::noinline, gnu::cold]] double checkedMisfit(const FitProblem& problem, int n, const Shapes& shapes,
                                                  const Candidate& candidate) {
    return misfitIn<Real>(problem, n, shapes, candidate);
}

double totalMisfit(const FitProblem& problem, int n, const Shapes& shapes, const Candidate& candidate) {
    const double total = misfitIn<double>(problem, n, shapes, candidate);
    if (std::isfinite(total)) [[likely]] return total;
    return checkedMisfit(problem, n, shapes, candidate);
}

}  // namespace

namespace {

template <class R>
double determinantIn(const Square& matrix, int n) {
    const auto m = [&matrix](std::size_t r, std::size_t c) { return R(matrix[r][c]); };
    if (n == 2) return fp::valueOf(m(0, 0) * m(1, 1) - m(0, 1) * m(1, 0));
    return fp::valueOf(m(0, 0) * m(1, 1) * m(2, 2) + m(0, 1) * m(1, 2) * m(2, 0) +
                       m(0, 2) * m(1, 0) * m(2, 1) - m(0, 2) * m(1, 1) * m(2, 0) -
                       m(0, 1) * m(1, 0) * m(2, 2) - m(0, 0) * m(1, 2) * m(2, 1));
}

[[gnu::noinline, gnu::cold]] double checkedDeterminant(const Square& matrix, int n) {
    return determinantIn<Real>(matrix, n);
}

}  // namespace

double gramDeterminant(const Square& matrix, int n) {
    if (n == 1) return matrix[0][0];
    // The column of right-hand sides that Cramer's rule puts in can hold
    // any size: a result that is not finite is computed again, checked.
    const double d = determinantIn<double>(matrix, n);
    if (std::isfinite(d)) [[likely]] return d;
    return checkedDeterminant(matrix, n);
}

void evaluateCandidate(const FitProblem& problem, int n, Candidate& candidate) {
    candidate.criterion = 0.0;
    candidate.svPenalty = 0.0;
    Shapes shapes;
    if (!componentShapes(problem, n, candidate, shapes)) return;
    const Square gram = gramMatrix(shapes, n, problem.nPoints);
    const double d = gramDeterminant(gram, n);
    if (d == 0.0) return;
    solveAmplitudes(problem, n, shapes, gram, d, candidate);
    if (!amplitudesPositive(candidate, n, problem.nSpec)) return;
    if (problem.sternVolmer()) {
        if (!sternVolmerLines(problem, n, candidate)) return;
        candidate.criterion = fp::mul(totalMisfit(problem, n, shapes, candidate), 1.0 + candidate.svPenalty);
    } else {
        candidate.criterion = totalMisfit(problem, n, shapes, candidate);
    }
}

bool keepIfBetter(const Candidate& candidate, int n, int nSpec, VelaBest& best) {
    if (!(candidate.criterion < best.bestCriterion)) return false;
    for (int k = 0; k < n; ++k) {
        const auto kk = static_cast<std::size_t>(k);
        best.bestMaxima[kk] = candidate.trialMaxima[kk];
        best.bestKsv[kk] = candidate.ksv[kk];
        best.bestKsvSd[kk] = candidate.ksvSd[kk];
        best.bestSvR[kk] = candidate.svR[kk];
        best.bestSvIntercept[kk] = candidate.svIntercept[kk];
        for (int i = 0; i < nSpec; ++i) best.bestAmplitudes(k, i) = candidate.amplitudes(k, i);
    }
    best.bestCriterion = candidate.criterion;
    best.bestSvPenalty = candidate.svPenalty;
    return true;
}

}  // namespace qf
