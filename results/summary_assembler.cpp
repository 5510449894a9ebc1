// The summary report into its blocks: the column heading, one block per
// stage (a first line with the stage cells and the first component, further
// component lines, a closing rule) or an absence line, and the legend.

#include "results/report_assembler.h"

namespace qf::results {

namespace {

int absenceComponents(const Event& e) {
    for (int n = 1; n <= 3; ++n) {
        if (e.fixed == absenceLine(n)) return n;
    }
    return 0;
}

void readLegend(EventCursor& in, Place& place, SummaryRead& s) {
    place.enter("the legend");
    for (FixedLine l : {FixedLine::Legend2, FixedLine::Legend3, FixedLine::Legend4, FixedLine::Legend5,
                        FixedLine::Legend6}) {
        if (!in.expect(l, "the legend line \"" + fixedLineText(l).substr(0, fixedLineText(l).find(' ')) + "\"")) {
            return;
        }
    }
    if (!in.expectEmpty("the empty line that ends the legend")) return;
    s.legend = true;
    place.close("the legend");
}

void readFixed(EventCursor& in, const Event& e, Place& place, SummaryRead& s) {
    if (e.fixed == FixedLine::SummaryHeading) {
        if (s.heading || !s.blocks.empty()) in.fail("a second column heading");
        s.heading = true;
        place.enter("the column heading");
        if (in.atEnd()) return;
        const Event& rule = in.take();
        if (rule.kind != EventKind::Rule || rule.ruleChar != '-' || rule.ruleLength != 79) {
            in.fail("expected a line of 79 \"-\"");
        }
        place.close("the column heading");
        return;
    }
    // quenfit writes this row when the phase-plane stage finds no
    // two-component solution; the fits after it go on.
    if (e.fixed == FixedLine::SummaryTarnoAbsent) {
        SummaryBlock b;
        b.method = SummaryMethod::PhasePlane;
        b.components = 2;
        b.absent = true;
        s.blocks.push_back({std::move(b), e.line, Program::Quenfit});
        place.enter("the absence row of TARNO");
        return;
    }
    if (const int n = absenceComponents(e)) {
        SummaryBlock b;
        b.components = n;
        b.absent = true;
        s.blocks.push_back({std::move(b), e.line, std::nullopt});
        place.enter("the absence line of " + std::to_string(n) + " components");
        return;
    }
    if (e.fixed == FixedLine::Legend1) {
        readLegend(in, place, s);
        return;
    }
    in.fail("cannot place this line in the summary report");
}

void readBody(EventCursor& in, Place& place, SummaryRead& s) {
    if (!readTitleAndDate(in, s.title, s.date)) return;
    place.enter("the title");
    if (!in.expectEmpty("an empty line after the date")) return;
    place.close("the title");
    while (!in.atEnd()) {
        const Event& e = in.take();
        if (s.legend) in.fail("a line after the legend");
        switch (e.kind) {
            case EventKind::Fixed:
                readFixed(in, e, place, s);
                break;
            case EventKind::SummaryStageRow: {
                SummaryBlock b = e.block;
                b.rows.push_back(e.component);
                if (b.rows[0].component > b.components) in.fail("a component number out of order");
                const std::string label(summaryLabel(b.method, e.program));
                place.enter("the summary block of " + label +
                            (b.method == SummaryMethod::PhasePlane ? "" : " " + std::to_string(b.components)));
                s.blocks.push_back({std::move(b), e.line, e.program});
                break;
            }
            case EventKind::SummaryComponent: {
                if (s.blocks.empty() || place.closed) in.fail("cannot place this line in the summary report");
                SummaryBlock& b = s.blocks.back().block;
                if (b.absent) in.fail("a component line after an absence line");
                // A component whose position has no class gets no line, so the
                // numbers rise but may skip one.
                if (e.component.component <= b.rows.back().component || e.component.component > b.components) {
                    in.fail("a component number out of order");
                }
                b.rows.push_back(e.component);
                break;
            }
            case EventKind::Rule:
                if (e.ruleChar != '-' || (e.ruleLength != 79 && e.ruleLength != 75)) {
                    in.fail("cannot place this line in the summary report");
                }
                if (s.blocks.empty() || place.closed) in.fail("a rule without a block before it");
                place.close("the end of a summary block");
                break;
            case EventKind::Unplaced:
                in.fail("");
            default:
                in.fail("cannot place this line in the summary report");
        }
    }
}

}  // namespace

SummaryRead assembleSummary(const LexedReport& report, Place& place) {
    return readAsFarAsItGoes<SummaryRead>(report, place, readBody);
}

}  // namespace qf::results
