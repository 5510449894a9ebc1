// The graph report into the first pass and the stages: the sections under
// each stage heading, every one a heading and its rows of values.

#include <algorithm>

#include "results/report_assembler.h"
#include "textio/grid.h"

namespace qf::results {

namespace {

Stage& current(EventCursor& in, std::vector<StageLines>& stages, std::string_view what) {
    if (stages.empty()) in.fail(std::string(what) + " before any stage heading");
    return stages.back().stage;
}

std::vector<double> grid(double first, double step, std::size_t count) {
    std::vector<double> out(count);
    for (std::size_t j = 0; j < count; ++j) out[j] = first + static_cast<double>(j) * step;
    return out;
}

// Rows until a line that is not a row; the grid is laid over the longest.
void readRows(EventCursor& in, CurveSet& set, double first, double step) {
    std::size_t longest = 0;
    while (!in.atEnd() && in.peek().kind == EventKind::Values) {
        set.values.push_back(in.take().values);
        longest = std::max(longest, set.values.back().size());
    }
    set.wavelengthsNm = grid(first, step, longest);
}

void readStepSection(EventCursor& in, const Event& e, Place& place, GraphRead& g) {
    FirstPass& fp = g.firstPass;
    if (e.step == StepTitle::Normalized) {
        if (!fp.hasCorrection || fp.hasNormalized) in.fail("normalized spectra out of place");
        fp.hasNormalized = true;
        place.enter("the normalized corrected spectra");
        readRows(in, fp.normalized, kWindowFirstNm, e.stepNm);
        return;
    }
    const bool smoothed = e.step != StepTitle::Difference && e.step != StepTitle::Residuals;
    const char* what = smoothed ? "smoothed spectra" : e.step == StepTitle::Difference ? "smoothing differences" : "residuals";
    Stage& s = current(in, g.stages, what);
    place.enter("the " + std::string(what) + " of " + stageName(s.kind));
    CurveSet& set = smoothed ? s.smoothed : e.step == StepTitle::Difference ? s.smoothedDifference : s.residuals;
    readRows(in, set, kWindowFirstNm, e.stepNm);
}

// Returns false when the report ends inside the lines of a section heading.
bool readFixedSection(EventCursor& in, const Event& e, Place& place, GraphRead& g) {
    if (e.fixed == FixedLine::SternVolmerTitle) {
        Stage& s = current(in, g.stages, "Stern-Volmer data");
        place.enter("the Stern-Volmer data of " + stageName(s.kind));
        if (!in.expect(FixedLine::SternVolmerAbscissa, "\"" + fixedLineText(FixedLine::SternVolmerAbscissa) + "\"") ||
            !in.expect(FixedLine::SternVolmerOrdinate, "\"" + fixedLineText(FixedLine::SternVolmerOrdinate) + "\"")) {
            return false;
        }
        CurveSet rows;
        readRows(in, rows, 0, 0);
        SternVolmerPlot& p = s.sternVolmer;
        p.present = true;
        if (!rows.values.empty()) p.activities = rows.values[0];
        // Points of every component, then the lines of every component.
        const std::size_t n = rows.values.size() / 2;
        for (std::size_t r = 1; r < rows.values.size(); ++r) (r <= n ? p.points : p.lines).push_back(rows.values[r]);
        return true;
    }
    if (e.fixed == FixedLine::TheoreticalTitle) {
        Stage& s = current(in, g.stages, "theoretical spectra");
        place.enter("the theoretical spectra of " + stageName(s.kind));
        readRows(in, s.theoretical, 305, 1);
        return true;
    }
    if (e.fixed == FixedLine::ComponentsTitle) {
        Stage& s = current(in, g.stages, "component curves");
        place.enter("the components of the first spectrum of " + stageName(s.kind));
        readRows(in, s.firstSpectrumComponents, 305, 1);
        return true;
    }
    in.fail("cannot place this line in the graph report");
}

void readBody(EventCursor& in, Place& place, GraphRead& g) {
    if (!readTitleAndDate(in, g.title, g.date)) return;
    place.enter("the first pass");
    FirstPass& fp = g.firstPass;
    while (!in.atEnd()) {
        const Event& e = in.take();
        switch (e.kind) {
            case EventKind::Empty:
                // monofit ends its first pass with one more empty line.
                if (fp.hasNormalized && g.stages.empty() && !in.atEnd() && in.peek().kind == EventKind::Empty) {
                    in.take();
                    g.monoBlankAfterFirstPass = true;
                }
                break;
            case EventKind::StageHeading:
                newStage(g.stages, e.stage, e.line);
                place.close("the heading of " + stageName(e.stage));
                break;
            case EventKind::ExperimentalHeading:
                if (g.firstPassSeen || !g.stages.empty()) in.fail("a second first pass");
                g.firstPassSeen = true;
                fp.firstNm = e.experimental.firstNm;
                fp.lastNm = e.experimental.lastNm;
                fp.stepNm = e.experimental.stepNm;
                place.enter("the spectra as read");
                readRows(in, fp.asRead, fp.firstNm, fp.stepNm);
                break;
            case EventKind::CorrectionHeading:
                if (!g.firstPassSeen || fp.hasCorrection) in.fail("a correction curve out of place");
                place.enter("the correction curve");
                fp.hasCorrection = true;
                fp.correctionFromNm = e.correction.fromNm.value_or(310);
                fp.correctionToNm = e.correction.toNm.value_or(400);
                readRows(in, fp.correction, fp.correctionFromNm, e.correction.stepNm);
                break;
            case EventKind::StepHeading:
                readStepSection(in, e, place, g);
                break;
            case EventKind::Fixed:
                if (!readFixedSection(in, e, place, g)) return;
                break;
            case EventKind::GraphDiscriminant: {
                Stage& s = current(in, g.stages, "a discriminant");
                s.graphDiscriminant = e.number;
                place.enter("the discriminant of " + stageName(s.kind));
                break;
            }
            case EventKind::Rule: {
                if (e.ruleChar != '-' || (e.ruleLength != 77 && e.ruleLength != 79)) {
                    in.fail("cannot place this line in the graph report");
                }
                Stage& s = current(in, g.stages, "a closing rule");
                if (!s.graphDiscriminant) in.fail("a closing rule without a discriminant before it");
                place.close("the end of " + stageName(s.kind));
                break;
            }
            case EventKind::Values:
                in.fail("a row of values outside any section");
            case EventKind::Unplaced:
                in.fail("");
            default:
                in.fail("cannot place this line in the graph report");
        }
    }
}

}  // namespace

GraphRead assembleGraph(const LexedReport& report, Place& place) {
    return readAsFarAsItGoes<GraphRead>(report, place, readBody);
}

}  // namespace qf::results
