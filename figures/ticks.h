#pragma once
// Axis scales with readable ticks: steps of 1, 2 or 5 times a power of ten,
// the axis ends on ticks, and every tick label has the same number of
// decimals (as many as the step needs).

#include <string>
#include <vector>

namespace qf::figures {

struct TickScale {
    double low = 0;   // axis start: the first tick
    double high = 1;  // axis end: the last tick
    double step = 1;
    int decimals = 0;  // decimals of every tick label
    std::vector<double> ticks;
    std::vector<std::string> labels;
};

// Ticks for data from `low` to `high` (either order) with at most about
// `maxIntervals` intervals (at least 2). A range of one value is widened
// around it; ends that are not finite (or
// whose distance is not) give the range 0..1.
TickScale chooseTicks(double low, double high, int maxIntervals = 6);

}  // namespace qf::figures
