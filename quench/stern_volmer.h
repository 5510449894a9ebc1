#pragma once
// Stern-Volmer regression F0/F = Ksv * [Q] + Bi, shared by the candidate
// evaluation of the component fits, the phase-plane stage and the reports.
// The slope is kept to 0.01 before the intercept is computed from it.

#include <span>

#include "textio/checked.h"

namespace qf {

struct SternVolmerSums {
    double sx = 0.0, sy = 0.0, sxy = 0.0, sxx = 0.0, syy = 0.0;

    void accumulate(double x, double y) {
        sy = fp::add(sy, y);
        sx = fp::add(sx, x);
        sxy = fp::add(sxy, fp::mul(x, y));
        sxx = fp::add(sxx, fp::mul(x, x));
        syy = fp::add(syy, fp::mul(y, y));
    }
};

// Ksv in % of Ksv(Trp), to 0.1.
double ksvRelative(double ksv, double ksvTrp);

struct SternVolmerLine {
    double ksv = 0.0;        // 1/M, kept to 0.01
    double ksvSd = 0.0;      // 1/M, kept to 0.01
    double intercept = 0.0;  // Bi, unrounded
    double r = 0.0;          // |correlation|, kept to 0.001
    double ssRes = 0.0;      // residual sum of squares about the line
};

// Fits the line through the points (x[i], y[i]) whose sums are in `sums`.
SternVolmerLine fitSternVolmer(const SternVolmerSums& sums, std::span<const double> x,
                               std::span<const double> y);

// Convenience: reset, accumulate every point in order, fit.
SternVolmerLine sternVolmerLine(std::span<const double> x, std::span<const double> y);

// Root-mean-square residual relative to the line's value at the last point.
double relativeDeviation(const SternVolmerLine& line, std::span<const double> x);

}  // namespace qf
