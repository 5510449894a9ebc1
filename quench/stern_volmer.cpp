#include "quench/stern_volmer.h"

#include "textio/checked.h"

namespace qf {

using fp::Real;

SternVolmerLine fitSternVolmer(const SternVolmerSums& sums, std::span<const double> x,
                               std::span<const double> y) {
    const Real n = static_cast<double>(x.size());
    const Real sx = sums.sx, sy = sums.sy, sxy = sums.sxy, sxx = sums.sxx, syy = sums.syy;
    SternVolmerLine line;
    const Real cx = sxx - sx * sx / n;
    const Real ksv = 0.01 * fix(100.0 * (n * sxy - sx * sy) / (n * cx) + 0.5);
    const Real intercept = (sy - ksv * sx) / n;
    Real ss = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const Real d = y[i] - ksv * x[i] - intercept;
        ss += d * d;
    }
    line.ksv = ksv.value();
    line.intercept = intercept.value();
    line.ssRes = ss.value();
    line.ksvSd = (0.01 * fix(100.0 * sqrt(ss / ((n - 2.0) * cx)) + 0.5)).value();
    line.r = (fix(1000.0 * fabs((sxy - sx * sy / n) /
                                sqrt(fabs((sxx - sx * sx / n) * (syy - sy * sy / n)))) +
                  0.5) /
              1000.0)
                 .value();
    return line;
}

SternVolmerLine sternVolmerLine(std::span<const double> x, std::span<const double> y) {
    SternVolmerSums sums;
    for (std::size_t i = 0; i < x.size(); ++i) sums.accumulate(x[i], y[i]);
    return fitSternVolmer(sums, x, y);
}

double relativeDeviation(const SternVolmerLine& line, std::span<const double> x) {
    const Real n = static_cast<double>(x.size());
    return (sqrt(Real(line.ssRes) / n) / (Real(line.ksv) * x.back() + line.intercept)).value();
}

double ksvRelative(double ksv, double ksvTrp) {
    return (0.1 * fix(1000.0 * Real(ksv) / ksvTrp + 0.5)).value();
}

}  // namespace qf
