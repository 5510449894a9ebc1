#pragma once
// The order in which quenfit and monofit write their stages, with the
// quirks of the legacy program that the reports keep. Everything the reader
// knows about the sequence of stages is stated here.
//
// quenfit: TARNO, VELA-I, VELA-II, VELA-III. monofit: VELA-MONO-I,
// VELA-MONO-II, VELA-MONO-III.
//
//  * quenfit writes a component fit's heading at the end of the reporting
//    pass of the stage before it. A fit without a solution (VELA-I or
//    VELA-II) has no reporting pass, so the fit after it has no heading of
//    its own: its absence line or its Table 1 follows the closing rule of
//    the absent one, and its graph sections stand under the absent one's
//    heading (which itself writes nothing to the graph report).
//  * A phase-plane stage without a solution writes its own heading and then
//    that of VELA-I, in the results and the graph report alike.
//  * monofit whose three-component search finds nothing falls back once:
//    it prints the VELA-MONO-II heading a second time, and that second
//    stage fits three components. A three-component search that fails
//    after the fall-back writes its absence line to the results report
//    only.
//  * A component fit's results end with its closing rule and an empty line;
//    the phase-plane stage's end with the rule alone.

#include <optional>

#include "results/report_model.h"

namespace qf::results {

bool isMonoKind(StageKind kind);

// The stage that follows `absent` without a heading of its own (quenfit's
// VELA-II after VELA-I, VELA-III after VELA-II), or nothing.
std::optional<StageKind> headinglessSuccessor(StageKind absent);

// Whether a stage without a solution must have its absence line in the
// summary too (monofit's last three-component search writes it to the
// results report only, so a monofit absence need not).
bool absenceInSummary(StageKind kind);

// Whether the stage's results end with an empty line after the closing rule.
bool emptyLineAfterRule(StageKind kind);

// The stage a summary block stands for, from its method and component
// count (a component fit is quenfit's unless the program is monofit).
StageKind stageOfBlock(const SummaryBlock& block, std::optional<Program> program);

}  // namespace qf::results
