#include "quench/quencher.h"

#include <array>
#include <cmath>

#include "textio/checked.h"
#include "textio/failure.h"
#include "textio/report_lines.h"
#include "textio/rounding.h"

namespace qf {

namespace {

struct QuencherType {
    double ksvTrp;
    bool polynomial;
    std::array<double, 6> k;
};

// Types 1 to 5: Ksv of tryptophan in solution and the coefficients of
// a = c - k1 c^2 + k2 c^3 - k3 c^4 + k4 c^5 - k5 c^6 + k6 c^7.
constexpr std::array<QuencherType, 5> kTypes{{
    {16.8, false, {}},
    {3.19, true, {4.001832, 21.29429, 61.56388, 94.29317, 72.28913, 21.82685}},
    {14.6, true, {3.791389, 21.47427, 63.66353, 99.20473, 77.12818, 23.57221}},
    {24.0, true, {3.936905, 21.2095, 61.54169, 94.0845, 71.8281, 21.57156}},
    {0.29, true, {3.804664, 20.38589, 57.98876, 86.92823, 65.06585, 23.14469}},
}};

double activityOf(const QuencherType& t, double concentration) {
    const auto& k = t.k;
    const fp::Real c = concentration;
    using fp::pow;
    return (c - k[0] * pow(c, 2) + k[1] * pow(c, 3) - k[2] * pow(c, 4) + k[3] * pow(c, 5) -
            k[4] * pow(c, 6) + k[5] * pow(c, 7))
        .value();
}

}  // namespace

void setUpQuencher(QuencherSeries& q) {
    const std::size_t n = q.concentration.size();
    if (q.activity.size() != n) q.activity.assign(n, 0.0);
    if (q.type < 1 || q.type > 5) return;
    const QuencherType& t = kTypes[static_cast<std::size_t>(q.type - 1)];
    q.ksvTrp = t.ksvTrp;
    for (std::size_t j = 0; j < n; ++j) {
        q.activity[j] = t.polynomial ? activityOf(t, q.concentration[j]) : q.concentration[j];
    }
}

void checkSeries(const QuencherSeries& q) {
    bool twoActivities = false;
    for (double a : q.activity) {
        if (a != q.activity.front()) twoActivities = true;
    }
    if (q.activity.size() < 3 || !twoActivities) {
        fail("a quenching series needs at least three spectra with at least two different "
             "quencher activities");
    }
}

void writeQuencherLines(const QuencherSeries& q, ReportWriter& result, ReportWriter& graph) {
    // Each number is rounded as it is written: an overflow stops the run
    // before the number it spoilt.
    const auto rounded = [](const std::vector<double>& values) {
        return [&values](int x) { return roundSym(values[static_cast<std::size_t>(x)], 4); };
    };
    writeQuencherLine(result, QuencherLabel::Concentration, static_cast<int>(q.concentration.size()),
                      rounded(q.concentration));
    writeQuencherLine(result, QuencherLabel::Activity, static_cast<int>(q.activity.size()), rounded(q.activity));
    graph.endLine();
    result.endLine();
    result.endLine();
}

}  // namespace qf
