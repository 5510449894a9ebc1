#include "fit/verdict.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "fit/stats.h"

namespace qf::fit {

namespace {

// N + 1 components fit better beyond doubt below this p; they do not fit
// better above kNotBetter; in between the data cannot tell.
constexpr double kClearlyBetter = 0.001;
constexpr double kNotBetter = 0.05;
// A component whose share may be this small (%) is not shown to exist.
constexpr double kSmallestShare = 1.0;
// Two components that do not fit significantly better than one may still
// hide a third band: a single spectrum always can (on simulated files its
// three-band spectra were judged two in nine of ten), a series when the
// three-component fit keeps every band in the window with at least this
// share (%) and this distance (nm) from its neighbour.
constexpr double kHiddenShare = 10.0;
constexpr double kHiddenSeparation = 3.0;
// A position that moves more than this (nm), and more than its own
// interval is wide, when one spectrum is left out is not stable.
constexpr double kStableShift = 2.0;

std::string number(double v, int digits) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*g", digits, v);
    return buf;
}

std::string pText(double p) {
    if (p < 1e-4) return "p < 0.0001";
    return "p = " + number(p, 2);
}

// Why N components are not all supported, or empty when they are.
std::string unsupported(const ModelFit& m, const Support& s) {
    for (std::size_t i = 0; i < m.component.size(); ++i) {
        const ComponentFit& c = m.component[i];
        const std::string which = "component " + std::to_string(i + 1) + " of " +
                                  std::to_string(m.components);
        if (s.amplitude[i] <= 0.0) return which + " has no intensity";
        if (std::isfinite(c.share.low) && c.share.low < kSmallestShare) {
            return which + " may have a share of " + number(std::max(c.share.low, 0.0), 2) + " %";
        }
        if (i < s.shift.size()) {
            const double width = c.position.high - c.position.low;
            if (s.shift[i] > kStableShift && !(s.shift[i] <= width)) {
                return which + " moves by " + number(s.shift[i], 2) +
                       " nm when one spectrum is left out";
            }
        }
    }
    return {};
}

// Why a third band may be hidden behind two that fit as well as three, or
// empty when the three-component fit does not make it a real possibility.
std::string hiddenThird(const GlobalFit& fit) {
    if (fit.program == Program::Monofit) {
        return "one spectrum cannot rule out a third band beside or between the two";
    }
    const ModelFit& three = fit.models[2];
    double previous = -1e300;
    for (const ComponentFit& c : three.component) {
        const double p = c.position.value;
        if (!(c.share.value >= kHiddenShare)) return {};
        if (atPositionLimit(p)) return {};
        if (p - previous < kHiddenSeparation) return {};
        previous = p;
    }
    return "the fit with three components gives each band at least " + number(kHiddenShare, 3) +
           " % of the spectrum";
}

}  // namespace

void compareModels(GlobalFit& fit, int observations) {
    const double n = observations;
    double bestAicc = std::numeric_limits<double>::infinity();
    for (ModelFit& m : fit.models) {
        const double k = m.parameters;  // with the noise scale
        const double q = std::max(m.rss, 1e-300);
        const double lnl = n * std::log(q / n);
        m.aicc = lnl + 2.0 * k + (n - k - 1.0 > 0.0 ? 2.0 * k * (k + 1.0) / (n - k - 1.0) : 0.0);
        m.bic = lnl + k * std::log(n);
        bestAicc = std::min(bestAicc, m.aicc);
    }
    double total = 0.0;
    for (ModelFit& m : fit.models) total += std::exp(-0.5 * (m.aicc - bestAicc));
    for (ModelFit& m : fit.models) m.akaikeWeight = std::exp(-0.5 * (m.aicc - bestAicc)) / total;
    for (std::size_t i = 0; i + 1 < fit.models.size(); ++i) {
        const ModelFit& a = fit.models[i];
        const ModelFit& b = fit.models[i + 1];
        const double d1 = a.dof - b.dof;
        const double d2 = b.dof;
        if (d1 <= 0.0 || d2 <= 0.0) continue;  // no residual left to test with
        if (!(b.rss > 0.0)) {
            fit.models[i].pVsNext = a.rss > b.rss ? 0.0 : 1.0;
            continue;
        }
        const double f = std::max(a.rss - b.rss, 0.0) / d1 / (b.rss / d2);
        fit.models[i].pVsNext = fUpperTail(f, d1, d2);
    }
}

void decide(GlobalFit& fit, const std::array<Support, 3>& support) {
    for (ModelFit& m : fit.models) m.verdict = Verdict::Rejected;
    fit.chosen = 0;
    fit.undecidedLow = 0;
    int n = 1;
    for (;;) {
        if (n == 3) {
            fit.chosen = 3;
            fit.reason = "three components fit clearly better than two (F-test " +
                         pText(fit.models[1].pVsNext.value_or(0.0)) + "), and each of them is supported";
            break;
        }
        const ModelFit& next = fit.models[static_cast<std::size_t>(n)];
        const std::string more = std::to_string(n + 1) + " components";
        const std::string fewer = n == 1 ? "one component" : std::to_string(n) + " components";
        if (!fit.models[static_cast<std::size_t>(n - 1)].pVsNext) {
            fit.undecidedLow = n;
            fit.reason = "too few points to fit " + more + " and test them against " + fewer;
            break;
        }
        const double p = *fit.models[static_cast<std::size_t>(n - 1)].pVsNext;
        if (p > kNotBetter) {
            const std::string hidden = n == 2 ? hiddenThird(fit) : std::string();
            if (!hidden.empty()) {
                fit.undecidedLow = n;
                fit.reason = more + " do not fit significantly better than " + fewer + " (F-test " +
                             pText(p) + "), but " + hidden;
                break;
            }
            fit.chosen = n;
            fit.reason = more + " do not fit significantly better than " + fewer + " (F-test " +
                         pText(p) + ")";
            break;
        }
        const std::string why = unsupported(next, support[static_cast<std::size_t>(n)]);
        if (p < kClearlyBetter && why.empty()) {
            ++n;
            continue;
        }
        // Two components that fit clearly better than one but are not
        // stable, while three fit clearly better than two: the unstable pair
        // is a sign of a band missing, not of one band. One is ruled out;
        // three are chosen when they are supported themselves.
        if (n == 1 && p < kClearlyBetter && fit.models[1].pVsNext &&
            *fit.models[1].pVsNext < kClearlyBetter) {
            const double p23 = *fit.models[1].pVsNext;
            const std::string whyThree = unsupported(fit.models[2], support[2]);
            if (whyThree.empty()) {
                fit.chosen = 3;
                fit.reason = "two components fit better than one (F-test " + pText(p) + ") but " + why +
                             "; three fit clearly better than two (F-test " + pText(p23) +
                             "), and each of them is supported";
            } else {
                fit.undecidedLow = 2;
                fit.reason = "two components fit better than one (F-test " + pText(p) + ") but " + why +
                             "; three fit clearly better than two (F-test " + pText(p23) + "), but " + whyThree;
            }
            break;
        }
        fit.undecidedLow = n;
        if (!why.empty()) {
            fit.reason = more + " fit better (F-test " + pText(p) + "), but " + why;
        } else {
            fit.reason = more + " fit better, but not clearly (F-test " + pText(p) + ")";
        }
        break;
    }
    if (fit.chosen > 0) {
        fit.models[static_cast<std::size_t>(fit.chosen - 1)].verdict = Verdict::Chosen;
    } else {
        fit.models[static_cast<std::size_t>(fit.undecidedLow - 1)].verdict = Verdict::Undecided;
        fit.models[static_cast<std::size_t>(fit.undecidedLow)].verdict = Verdict::Undecided;
    }
}

}  // namespace qf::fit
