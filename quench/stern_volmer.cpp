#include "quench/stern_volmer.h"

#include <cmath>

#include "textio/rounding.h"

namespace qf {

SternVolmerLine fitSternVolmer(const SternVolmerSums& s, std::span<const double> x,
                               std::span<const double> y) {
    const double n = static_cast<double>(x.size());
    SternVolmerLine line;
    const double cx = s.sxx - s.sx * s.sx / n;
    line.ksv = 0.01 * fix(100.0 * (n * s.sxy - s.sx * s.sy) / (n * cx) + 0.5);
    line.intercept = (s.sy - line.ksv * s.sx) / n;
    double ss = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double d = y[i] - line.ksv * x[i] - line.intercept;
        ss += d * d;
    }
    line.ssRes = ss;
    line.ksvSd = 0.01 * fix(100.0 * std::sqrt(ss / ((n - 2.0) * cx)) + 0.5);
    line.r = fix(1000.0 * std::fabs((s.sxy - s.sx * s.sy / n) /
                                    std::sqrt(std::fabs((s.sxx - s.sx * s.sx / n) *
                                                        (s.syy - s.sy * s.sy / n)))) +
                 0.5) /
             1000.0;
    return line;
}

SternVolmerLine sternVolmerLine(std::span<const double> x, std::span<const double> y) {
    SternVolmerSums sums;
    for (std::size_t i = 0; i < x.size(); ++i) sums.accumulate(x[i], y[i]);
    return fitSternVolmer(sums, x, y);
}

double relativeDeviation(const SternVolmerLine& line, std::span<const double> x) {
    const double n = static_cast<double>(x.size());
    return std::sqrt(line.ssRes / n) / (line.ksv * x.back() + line.intercept);
}

double ksvRelative(double ksv, double ksvTrp) { return 0.1 * fix(1000.0 * ksv / ksvTrp + 0.5); }

}  // namespace qf
