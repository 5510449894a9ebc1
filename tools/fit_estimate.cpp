// The global fit's answer for a simulated file, in the harness's terms.
#include "fit/global_fit.h"
#include "tools/fit_harness.h"

namespace qf::fitcheck {

namespace {

Interval interval(const fit::Estimate& e) { return {e.value, e.low, e.high}; }

}  // namespace

Estimate globalFitEstimate(const synth::SimulatedCase& c) {
    Estimate out;
    const Program program = c.truth.series ? Program::Quenfit : Program::Monofit;
    const fit::FitOutcome outcome =
        fit::fitDataText("seed-" + std::to_string(c.seed) + ".dat", c.text, program);
    if (!outcome.fit) {
        out.failure = outcome.failure.empty() ? "no fit" : outcome.failure;
        return out;
    }
    const fit::GlobalFit& g = *outcome.fit;
    for (const fit::ModelFit& m : g.models) {
        ModelEstimate me;
        me.components = m.components;
        for (const fit::ComponentFit& cf : m.component) {
            ComponentEstimate ce;
            ce.position = interval(cf.position);
            if (cf.ksv) ce.ksv = interval(*cf.ksv);
            ce.share = interval(cf.share);
            me.estimates.push_back(ce);
        }
        out.models.push_back(me);
    }
    out.verdict.chosen = g.chosen;
    out.verdict.low = g.undecidedLow;
    return out;
}

}  // namespace qf::fitcheck
