#pragma once
// The rounding helpers of the reports. Fix truncates toward zero, Sgn gives
// -1, 0 or 1. R_d rounds halves up for positive numbers (and is not symmetric
// for negative ones); S_d rounds halves away from zero on both sides. Callers
// whose formula is written differently (0.1 * Fix(10 * x + 0.5), say) must
// write it out literally: the last bit of the result differs.

#include <cmath>

#include "textio/checked.h"

namespace qf {

inline double fix(double x) { return std::trunc(x); }

inline double sgn(double x) { return x > 0.0 ? 1.0 : (x < 0.0 ? -1.0 : 0.0); }

// 10^d for the small whole d the reports use, exact in double.
inline double powerOfTen(int d) {
    double p = 1.0;
    for (int i = 0; i < d; ++i) p *= 10.0;
    return p;
}

// R_d(x) = Fix(x * 10^d + 0.5) / 10^d
inline double roundTrunc(double x, int d) {
    const double p = powerOfTen(d);
    // Only the product can overflow; the sum and the quotient of a finite
    // product cannot, and carry an infinity without a new event.
    return fix(fp::mul(x, p) + 0.5) / p;
}

// S_d(x) = Sgn(x) * Fix(|x| * 10^d + 0.5) / 10^d
inline double roundSym(double x, int d) {
    const double p = powerOfTen(d);
    return sgn(x) * fix(fp::mul(std::fabs(x), p) + 0.5) / p;
}

}  // namespace qf
