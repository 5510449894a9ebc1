// The three reports of a run: each is lexed into events (result_lexer,
// graph_lexer, summary_lexer) and assembled into its stages (result_,
// graph_, summary_assembler); here the three are joined into one model.

#include "results/report_reader.h"

#include <utility>

#include "results/report_assembler.h"
#include "results/report_events.h"
#include "results/stage_sequence.h"
#include "textio/file_text.h"

namespace qf::results {

namespace {

// ---------------------------------------------------------------- the run

void setProgram(RunReports& run, Program p, const std::string& path, int line) {
    if (!run.program) {
        run.program = p;
    } else if (run.program != p) {
        throw ReportError(path, line, "the reports mix quenfit and monofit");
    }
}

ReportEnd endOf(const LexedReport& report, const Place& place) {
    ReportEnd e;
    e.path = report.path;
    e.lines = report.lineCount;
    e.complete = place.closed && (report.events.empty() || !report.events.back().cut);
    e.where = place.where;
    return e;
}

void takeGraphPart(Stage& s, const Stage& gs) {
    s.smoothed = gs.smoothed;
    s.smoothedDifference = gs.smoothedDifference;
    s.sternVolmer = gs.sternVolmer;
    s.residuals = gs.residuals;
    s.theoretical = gs.theoretical;
    s.firstSpectrumComponents = gs.firstSpectrumComponents;
    s.graphDiscriminant = gs.graphDiscriminant;
}

// Result and graph stages have the same headings in the same order. A
// stage without its own heading (after a stage without a solution) takes
// the graph sections written under the heading of the absent stage, which
// itself writes nothing to the graph report. The longer list (a report cut
// later) gives the stages past the other's end.
std::vector<Stage> mergeStages(const ResultRead& r, const GraphRead& g, const ReportPaths& paths) {
    std::vector<Stage> out;
    std::size_t gi = 0;
    const StageLines* pending = nullptr;  // the graph heading of an absent stage
    for (const StageLines& rs : r.stages) {
        Stage s = rs.stage;
        if (rs.headingless) {
            if (pending != nullptr) takeGraphPart(s, pending->stage);
            pending = nullptr;
        } else if (gi < g.stages.size()) {
            const StageLines& gs = g.stages[gi++];
            if (gs.stage.kind != s.kind) {
                throw ReportError(paths.graph, gs.headingLine,
                                  "the heading of " + stageName(gs.stage.kind) +
                                      " stands where the results report has " + stageName(s.kind));
            }
            if (s.outcome != Outcome::Absent) {
                takeGraphPart(s, gs.stage);
            } else {
                pending = &gs;
            }
        }
        out.push_back(std::move(s));
    }
    for (; gi < g.stages.size(); ++gi) out.push_back(g.stages[gi].stage);
    return out;
}

// Each summary block belongs to the next stage that reported the same
// number of components or wrote the same absence line; a block of the
// stage at which the results report is cut belongs to that stage. A block
// with no such stage (the results report ends before it) gets a stage of
// its own, and the run is not complete.
bool attachSummary(RunReports& run, const SummaryRead& s) {
    std::size_t next = 0;
    bool allMatched = true;
    for (const SummaryBlockRead& entry : s.blocks) {
        const SummaryBlock& block = entry.block;
        std::size_t i = next;
        for (; i < run.stages.size(); ++i) {
            const Stage& st = run.stages[i];
            const bool last = i + 1 == run.stages.size();
            // An absence row labelled TARNO is the phase-plane stage's; the
            // bare absence lines are the component fits'.
            const bool match = !block.absent
                                   ? st.outcome == Outcome::Reported && st.components == block.components
                                   : st.outcome == Outcome::Absent && searchedComponents(st) == block.components &&
                                         (block.method == SummaryMethod::PhasePlane) == (st.kind == StageKind::Tarno);
            const bool cutHere = last && st.outcome == Outcome::Nothing && !run.result.complete;
            if (match || cutHere) break;
        }
        if (i == run.stages.size()) {
            Stage st;
            st.kind = stageOfBlock(block, run.program);
            for (const Stage& before : run.stages) {
                if (before.kind == st.kind) ++st.occurrence;
            }
            run.stages.push_back(std::move(st));
            allMatched = false;
        }
        run.stages[i].summary = block;
        next = i + 1;
    }
    return allMatched;
}

}  // namespace

namespace {

// The title and date, the same in the three reports (a cut one is empty).
void takeTitleAndDate(RunReports& run, const ResultRead& r, const GraphRead& g, const SummaryRead& s,
                      const ReportPaths& paths) {
    run.title = !g.title.empty() ? g.title : !r.title.empty() ? r.title : s.title;
    run.date = !g.date.empty() ? g.date : !r.date.empty() ? r.date : s.date;
    const auto sameText = [](const std::string& a, const std::string& b) { return a.empty() || b.empty() || a == b; };
    if (!sameText(r.title, g.title)) throw ReportError(paths.result, 1, "the title differs from the graph report's");
    if (!sameText(s.title, run.title)) throw ReportError(paths.summary, 1, "the title differs from the other reports'");
    if (!sameText(r.date, g.date)) throw ReportError(paths.result, 2, "the date differs from the graph report's");
    if (!sameText(s.date, run.date)) throw ReportError(paths.summary, 2, "the date differs from the other reports'");
}

// The program, from every line that tells: stage headings, summary labels,
// quencher lines; the reports must not mix the two.
void takeProgram(RunReports& run, const ResultRead& r, const GraphRead& g, const SummaryRead& s,
                 const ReportPaths& paths) {
    for (const StageLines& st : r.stages) {
        setProgram(run, isMonoKind(st.stage.kind) ? Program::Monofit : Program::Quenfit, paths.result, st.headingLine);
    }
    for (const StageLines& st : g.stages) {
        setProgram(run, isMonoKind(st.stage.kind) ? Program::Monofit : Program::Quenfit, paths.graph, st.headingLine);
    }
    for (const SummaryBlockRead& b : s.blocks) {
        if (b.spelledFor) setProgram(run, *b.spelledFor, paths.summary, b.line);
    }
    if (r.quencherLines) setProgram(run, Program::Quenfit, paths.result, 3);
    if (g.monoBlankAfterFirstPass && run.program == Program::Quenfit) {
        throw ReportError(paths.graph, 0, "a monofit first pass in the reports of a quenfit run");
    }
}

// A finished run has the legend, every report ends where a section ends,
// and the results and graph reports hold the same stages.
void judgeCompleteness(RunReports& run, const ResultRead& r, const GraphRead& g, const SummaryRead& s,
                       bool summaryMatched) {
    std::size_t headed = 0;
    for (const StageLines& st : r.stages) headed += st.headingless ? 0 : 1;
    bool stagesWhole = headed == g.stages.size();
    for (const Stage& st : run.stages) {
        // A reported stage is in all three reports; a stage without a
        // solution has its absence line in the summary too (stage_sequence.h).
        if (st.outcome == Outcome::Reported && (!st.discriminant || !st.graphDiscriminant || !st.summary)) {
            stagesWhole = false;
        }
        if (st.outcome == Outcome::Absent && !st.summary && absenceInSummary(st.kind)) stagesWhole = false;
    }
    run.complete = s.legend && run.result.complete && run.graph.complete && run.summary.complete && summaryMatched &&
                   stagesWhole;
    if (!run.complete) {
        run.result.complete = run.graph.complete = run.summary.complete = false;
        if (!s.legend) run.summary.where += " (the run did not reach the legend)";
    }
}

}  // namespace

RunReports readReports(const ReportTexts& texts) {
    const LexedReport resultIn = lexResultReport(texts.paths.result, texts.result);
    const LexedReport graphIn = lexGraphReport(texts.paths.graph, texts.graph);
    const LexedReport summaryIn = lexSummaryReport(texts.paths.summary, texts.summary);
    Place resultPlace, graphPlace, summaryPlace;
    const ResultRead r = assembleResult(resultIn, resultPlace);
    const GraphRead g = assembleGraph(graphIn, graphPlace);
    const SummaryRead s = assembleSummary(summaryIn, summaryPlace);

    RunReports run;
    takeTitleAndDate(run, r, g, s, texts.paths);
    takeProgram(run, r, g, s, texts.paths);
    run.concentrations = r.concentrations;
    run.activities = r.activities;
    run.firstPass = g.firstPass;
    run.stages = mergeStages(r, g, texts.paths);
    run.summaryHeading = s.heading;
    run.legend = s.legend;
    run.result = endOf(resultIn, resultPlace);
    run.graph = endOf(graphIn, graphPlace);
    run.summary = endOf(summaryIn, summaryPlace);
    const bool matched = attachSummary(run, s);
    judgeCompleteness(run, r, g, s, matched);
    return run;
}

namespace {

std::string readFile(const std::string& path) {
    return readFileText(path, "cannot open the report", "cannot read the report");
}

}  // namespace

RunReports readReportFiles(const ReportPaths& paths) {
    ReportTexts texts;
    texts.paths = paths;
    texts.result = readFile(paths.result);
    texts.graph = readFile(paths.graph);
    texts.summary = readFile(paths.summary);
    return readReports(texts);
}

}  // namespace qf::results
