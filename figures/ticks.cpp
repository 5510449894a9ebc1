#include "figures/ticks.h"

#include <algorithm>
#include <cmath>

#include "figures/number_text.h"

namespace qf::figures {

namespace {

// Relative slack for quotients that are whole numbers on paper but land a
// few ulps off in binary (0.3 / 0.1).
constexpr double kSlack = 1e-9;

// Steps m * 10^e with m = 1, 2, 5, walked upwards.
struct Step {
    int mantissa = 1;
    int exponent = 0;
    double value() const { return mantissa * powerOfTen(exponent); }
    void next() {
        if (mantissa == 1) {
            mantissa = 2;
        } else if (mantissa == 2) {
            mantissa = 5;
        } else {
            mantissa = 1;
            ++exponent;
        }
    }
};

}  // namespace

TickScale chooseTicks(double low, double high, int maxIntervals) {
    if (!std::isfinite(low) || !std::isfinite(high) || !std::isfinite(high - low)) {
        low = 0;
        high = 1;
    }
    if (high < low) std::swap(low, high);
    // A range of one value, or one too narrow to tell from its ends (the
    // ticks would need more than 15 digits), is widened around its middle.
    const double magnitude = std::max(std::fabs(low), std::fabs(high));
    if (high - low <= magnitude * 1e-12) {
        const double middle = low + (high - low) / 2;
        const double pad = magnitude == 0 ? 1.0 : magnitude * 0.1;
        low = middle - pad;
        high = middle + pad;
    }
    maxIntervals = std::max(maxIntervals, 2);

    // Start one decade below the plain quotient and walk up to the first
    // step whose ticks, with both ends rounded out, need few enough intervals.
    const double raw = (high - low) / maxIntervals;
    Step step{1, static_cast<int>(std::floor(std::log10(raw))) - 1};
    long long kLow = 0;
    long long kHigh = 0;
    for (;;) {
        const double s = step.value();
        kLow = static_cast<long long>(std::floor(low / s + kSlack));
        kHigh = static_cast<long long>(std::ceil(high / s - kSlack));
        if (kHigh - kLow <= maxIntervals) break;
        step.next();
    }

    TickScale scale;
    scale.step = step.value();
    scale.decimals = std::max(0, -step.exponent);
    for (long long k = kLow; k <= kHigh; ++k) {
        // A whole number of units of the last decimal, scaled once: 0.3 is
        // 3 / 10, not 3 * 0.1.
        const double units = static_cast<double>(k * step.mantissa);
        const double value = step.exponent < 0 ? units / powerOfTen(-step.exponent)
                                               : units * powerOfTen(step.exponent);
        scale.ticks.push_back(value);
        scale.labels.push_back(formatFixed(value, scale.decimals));
    }
    scale.low = scale.ticks.front();
    scale.high = scale.ticks.back();
    return scale;
}

}  // namespace qf::figures
