#pragma once
// Distribution functions the model comparison needs.

namespace qf::fit {

// Regularized incomplete beta function I_x(a, b), a, b > 0, 0 <= x <= 1.
double incompleteBeta(double a, double b, double x);

// Upper tail P(F > f) of the F distribution with d1 and d2 degrees of freedom.
double fUpperTail(double f, double d1, double d2);

}  // namespace qf::fit
