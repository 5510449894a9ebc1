// The results report into stages: quencher lines, then per stage its
// heading, Tables 1 to 3, the discriminant and the closing rule, or an
// absence line.

#include "results/report_assembler.h"
#include "results/stage_sequence.h"

namespace qf::results {

namespace {

Stage& current(EventCursor& in, std::vector<StageLines>& stages, std::string_view what) {
    if (stages.empty()) in.fail(std::string(what) + " before any stage heading");
    return stages.back().stage;
}

// The stage that a table or an absence line belongs to: the current one, or
// the one after it that has no heading of its own.
Stage& stageAfterAbsence(EventCursor& in, std::vector<StageLines>& stages, std::string_view what, int absenceOf) {
    const Stage& before = current(in, stages, what);
    const auto next = before.outcome == Outcome::Absent ? headinglessSuccessor(before.kind) : std::nullopt;
    if (next && (absenceOf == 0 || absenceOf == stageComponents(*next))) {
        newStage(stages, *next, in.lineNumber());
        stages.back().headingless = true;
    }
    return stages.back().stage;
}

// Fixed lines after a table title (nothing: an empty line); false when the
// report ends among them.
bool expectLines(EventCursor& in, std::initializer_list<std::optional<FixedLine>> lines) {
    for (const std::optional<FixedLine>& l : lines) {
        const bool ok = l ? in.expect(*l, "\"" + fixedLineText(*l) + "\"") : in.expectEmpty("an empty line");
        if (!ok) return false;
    }
    return true;
}
constexpr std::nullopt_t kEmpty = std::nullopt;

bool next(const EventCursor& in, EventKind kind) { return !in.atEnd() && in.peek().kind == kind; }

void readTable1(EventCursor& in, Stage& s) {
    while (next(in, EventKind::Table1Row)) {
        const Event& e = in.take();
        if (e.table1.component != static_cast<int>(s.table1.size()) + 1) {
            in.fail("expected the row of component " + std::to_string(s.table1.size() + 1));
        }
        s.table1.push_back(e.table1);
    }
    s.components = static_cast<int>(s.table1.size());
}

// Groups of one row per component, the first with the concentration
// (a series) and Atotal; empty lines between the groups.
void readTable2(EventCursor& in, Stage& s, bool withCq) {
    while (!in.atEnd()) {
        const Event& e = in.peek();
        if (e.kind == EventKind::Empty) {
            in.take();
            continue;
        }
        if (e.kind != EventKind::Table2Row) return;
        if (e.atotal && e.cq.has_value() == withCq) {
            in.take();
            if (e.table2.component != 1) in.fail("expected the first component of a spectrum");
            SpectrumContributions group;
            group.spectrum = static_cast<int>(s.table2.size()) + 1;
            group.cq = e.cq;
            group.atotal = *e.atotal;
            group.components.push_back(e.table2);
            s.table2.push_back(std::move(group));
        } else if (!e.atotal && !e.cq && !s.table2.empty()) {
            in.take();
            SpectrumContributions& group = s.table2.back();
            const int k = static_cast<int>(group.components.size()) + 1;
            if (e.table2.component != k) in.fail("expected the row of component " + std::to_string(k));
            group.components.push_back(e.table2);
        } else {
            return;
        }
    }
}

void readTable3(EventCursor& in, Stage& s) {
    while (next(in, EventKind::Table3Row)) {
        const Event& e = in.take();
        if (e.table3.component != static_cast<int>(s.table3.size()) + 1) {
            in.fail("expected the row of component " + std::to_string(s.table3.size() + 1));
        }
        // The phase-plane table prints the component number as text.
        if (e.numberAsText != (s.kind == StageKind::Tarno)) in.fail("the line does not have the layout of a row of Table 3");
        s.table3.push_back(e.table3);
    }
}

int absenceComponents(const Event& e) {
    if (e.kind != EventKind::Fixed) return 0;
    for (int n = 1; n <= 3; ++n) {
        if (e.fixed == absenceLine(n)) return n;
    }
    return 0;
}

// Returns false when the report ends inside the fixed lines of a table.
bool readFixed(EventCursor& in, const Event& e, Place& place, ResultRead& r) {
    const FixedLine f = e.fixed;
    if (f == FixedLine::Table1Title || f == FixedLine::Table1TitleTarno) {
        Stage& s = stageAfterAbsence(in, r.stages, "Table 1", 0);
        if (s.outcome == Outcome::Reported) in.fail("a second Table 1 in " + stageName(s.kind));
        if (s.outcome == Outcome::Absent) in.fail("Table 1 after the absence line of " + stageName(s.kind));
        s.outcome = Outcome::Reported;
        place.enter("Table 1 of " + stageName(s.kind));
        if (!expectLines(in, {FixedLine::Table1Explanation, kEmpty, FixedLine::Table1Heading})) return false;
        readTable1(in, s);
        return true;
    }
    if (f == FixedLine::Table2Title || f == FixedLine::Table2TitleTarno) {
        Stage& s = current(in, r.stages, "Table 2");
        if (s.table1.empty() || !s.table2.empty()) in.fail("Table 2 out of place in " + stageName(s.kind));
        place.enter("Table 2 of " + stageName(s.kind));
        const bool mono = isMonoKind(s.kind);
        const bool ok =
            f == FixedLine::Table2TitleTarno
                ? expectLines(in, {FixedLine::Table2TarnoExplanation1, FixedLine::Table2TarnoExplanation2, kEmpty,
                                   FixedLine::Table2Heading})
            : mono ? expectLines(in, {FixedLine::Table2MonoExplanation, FixedLine::Table2AreaExplanation, kEmpty,
                                      FixedLine::Table2HeadingMono})
                   : expectLines(in, {FixedLine::Table2SeriesExplanation, FixedLine::Table2AreaExplanation, kEmpty,
                                      FixedLine::Table2Heading});
        if (!ok) return false;
        readTable2(in, s, !mono);
        return true;
    }
    if (f == FixedLine::Table3Title) {
        Stage& s = current(in, r.stages, "Table 3");
        if (s.table2.empty() || !s.table3.empty()) in.fail("Table 3 out of place in " + stageName(s.kind));
        place.enter("Table 3 of " + stageName(s.kind));
        if (!expectLines(in, {FixedLine::Table3Explanation1, FixedLine::Table3Explanation2, kEmpty,
                              FixedLine::Table3Heading})) {
            return false;
        }
        readTable3(in, s);
        return true;
    }
    if (const int n = absenceComponents(e)) {
        Stage& s = stageAfterAbsence(in, r.stages, "an absence line", n);
        if (s.outcome != Outcome::Nothing || n != searchedComponents(s)) in.fail("an absence line out of place");
        s.outcome = Outcome::Absent;
        place.close("the absence line of " + stageName(s.kind));
        return true;
    }
    in.fail("cannot place this line in the results report");
}

void readBody(EventCursor& in, Place& place, ResultRead& r) {
    if (!readTitleAndDate(in, r.title, r.date)) return;
    place.enter("the title");
    while (!in.atEnd()) {
        const Event& e = in.take();
        switch (e.kind) {
            case EventKind::Empty:
                break;
            case EventKind::StageHeading:
                newStage(r.stages, e.stage, e.line);
                place.close("the heading of " + stageName(e.stage));
                break;
            case EventKind::Quencher:
                if (e.quencher != QuencherLabel::Concentration || r.quencherLines || !r.stages.empty()) {
                    in.fail("quencher lines out of place");
                }
                r.concentrations = e.values;
                place.enter("the quencher lines");
                if (in.atEnd()) return;
                if (const Event& a = in.take(); a.kind == EventKind::Quencher && a.quencher == QuencherLabel::Activity) {
                    r.activities = a.values;
                    r.quencherLines = true;
                } else {
                    in.fail("expected \"" + std::string(quencherLabelText(QuencherLabel::Activity)) + "\"");
                }
                break;
            case EventKind::Fixed:
                if (!readFixed(in, e, place, r)) return;
                break;
            case EventKind::Goodness: {
                Stage& s = current(in, r.stages, "a discriminant");
                s.discriminant = e.number;
                place.enter("the discriminant of " + stageName(s.kind));
                break;
            }
            case EventKind::Rule: {
                if (!(e.ruleChar == '-' && e.ruleLength == 77) && !(e.ruleChar == '=' && e.ruleLength == 69)) {
                    in.fail("cannot place this line in the results report");
                }
                Stage& s = current(in, r.stages, "a closing rule");
                if (!s.discriminant && s.outcome != Outcome::Absent) in.fail("a closing rule without a discriminant before it");
                if (s.discriminant && emptyLineAfterRule(s.kind)) {
                    place.enter("the closing rule of " + stageName(s.kind));
                    if (!in.expectEmpty("an empty line after the closing rule")) return;
                }
                place.close("the end of " + stageName(s.kind));
                break;
            }
            case EventKind::Unplaced:
                in.fail("");
            default:
                in.fail("cannot place this line in the results report");
        }
    }
}

}  // namespace

ResultRead assembleResult(const LexedReport& report, Place& place) {
    return readAsFarAsItGoes<ResultRead>(report, place, readBody);
}

}  // namespace qf::results
