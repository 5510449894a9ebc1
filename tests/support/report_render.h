#pragma once
// The results model written back as the three reports, through the same
// line functions the programs write them with (textio/report_lines.h), in
// the order quenfit and monofit write them. For the model of a run read
// from its reports this must give the reports byte for byte: it shows that
// the model keeps everything they say.

#include <string>

#include "results/report_model.h"
#include "results/report_reader.h"
#include "textio/report_lines.h"

namespace qf::results::render {

// One report being written, line by line.
class Out {
public:
    void line() { b_.endLine(); }
    void line(std::string_view text) { b_.line(text); }
    void fixed(FixedLine l) { writeFixedLine(b_, l); }
    void rows(const CurveSet& set) {
        for (const std::vector<double>& row : set.values) writeValueRow(b_, row);
    }
    void rule(char c, int n) { writeRule(b_, c, n); }
    void heading(StageKind kind) { writeStageHeadingLine(b_, stageName(kind)); }
    ReportSink& sink() { return b_; }
    std::string text() const { return b_.text(); }

private:
    LineBuffer b_;
};

inline bool isMono(const Stage& s) {
    return s.kind == StageKind::VelaMono1 || s.kind == StageKind::VelaMono2 || s.kind == StageKind::VelaMono3;
}

// ---------------------------------------------------------------- graph report

inline void firstPass(Out& g, const RunReports& run) {
    const FirstPass& fp = run.firstPass;
    g.line();
    writeExperimentalHeading(g.sink(), {fp.firstNm, fp.lastNm, fp.stepNm});
    g.rows(fp.asRead);
    g.line();
    CorrectionHeading c{std::nullopt, std::nullopt, fp.stepNm};
    if (fp.firstNm > 310) c.fromNm = fp.firstNm;
    if (fp.lastNm < 400) c.toNm = fp.lastNm;
    writeCorrectionHeading(g.sink(), c);
    g.rows(fp.correction);
    g.line();
    writeStepHeading(g.sink(), StepTitle::Normalized, fp.stepNm);
    g.rows(fp.normalized);
    g.line();  // quenfit: with the quencher lines; monofit: the end of its first pass
}

inline void sternVolmer(Out& g, const SternVolmerPlot& p) {
    g.line();
    g.fixed(FixedLine::SternVolmerTitle);
    g.fixed(FixedLine::SternVolmerAbscissa);
    g.fixed(FixedLine::SternVolmerOrdinate);
    writeValueRow(g.sink(), p.activities);
    for (const auto& row : p.points) writeValueRow(g.sink(), row);
    for (const auto& row : p.lines) writeValueRow(g.sink(), row);
}

inline void graphStage(Out& g, const Stage& s, std::size_t index, const RunReports& run, bool headingDone) {
    const double step = run.firstPass.stepNm;
    const bool mono = isMono(s);
    const bool tarno = s.kind == StageKind::Tarno;
    if (!headingDone) g.heading(s.kind);
    // An absent phase-plane stage writes the heading of VELA-I under its own.
    if (tarno && s.outcome == Outcome::Absent && index + 1 < run.stages.size()) g.heading(run.stages[index + 1].kind);
    if (s.outcome != Outcome::Reported) return;
    const StepTitle smoothed = tarno                                  ? StepTitle::SmoothedTarno
                               : mono || s.kind == StageKind::Vela1 ? StepTitle::SmoothedFirst
                                                                      : StepTitle::SmoothedLater;
    writeStepHeading(g.sink(), smoothed, step);
    g.rows(s.smoothed);
    g.line();
    writeStepHeading(g.sink(), StepTitle::Difference, step);
    g.rows(s.smoothedDifference);
    if (mono) g.line();
    if (s.sternVolmer.present) sternVolmer(g, s.sternVolmer);
    if (!mono) g.line();
    writeStepHeading(g.sink(), StepTitle::Residuals, step);
    g.rows(s.residuals);
    g.line();
    g.fixed(FixedLine::TheoreticalTitle);
    g.rows(s.theoretical);
    g.line();
    g.fixed(FixedLine::ComponentsTitle);
    g.rows(s.firstSpectrumComponents);
    g.line();
    writeGraphDiscriminantLine(g.sink(), s.graphDiscriminant.value_or(0));
    g.line();
    g.rule('-', mono ? 79 : 77);
    // quenfit: the reporting pass writes the next stage's heading.
    if (!mono && index + 1 < run.stages.size() && s.kind != StageKind::Vela3) g.heading(run.stages[index + 1].kind);
}

// ---------------------------------------------------------------- results report

inline void table1(Out& r, const Stage& s, bool tarno) {
    if (!tarno) r.line();
    r.fixed(tarno ? FixedLine::Table1TitleTarno : FixedLine::Table1Title);
    r.fixed(FixedLine::Table1Explanation);
    r.line();
    r.fixed(FixedLine::Table1Heading);
    for (const ComponentRow& c : s.table1) writeTable1Row(r.sink(), {c.component, c.lNm, c.dlNm, c.vCm, c.dvCm});
    if (tarno) r.line();
}

inline void table2(Out& r, const Stage& s, bool tarno, bool mono) {
    r.line();
    if (!tarno) r.line();
    if (tarno) {
        r.fixed(FixedLine::Table2TitleTarno);
        r.fixed(FixedLine::Table2TarnoExplanation1);
        r.fixed(FixedLine::Table2TarnoExplanation2);
    } else {
        r.fixed(FixedLine::Table2Title);
        r.fixed(mono ? FixedLine::Table2MonoExplanation : FixedLine::Table2SeriesExplanation);
        r.fixed(FixedLine::Table2AreaExplanation);
    }
    r.line();
    r.fixed(mono ? FixedLine::Table2HeadingMono : FixedLine::Table2Heading);
    if (!mono && !tarno) r.line();
    for (const SpectrumContributions& g : s.table2) {
        for (const Contribution& c : g.components) {
            Table2Row row{std::nullopt, c.component, c.si, c.sd, c.ai, std::nullopt};
            if (c.component == 1) {
                row.concentration = g.cq;
                row.totalArea = g.atotal;
            }
            writeTable2Row(r.sink(), row);
        }
        if (!mono) r.line();
    }
}

inline void table3(Out& r, const Stage& s, bool tarno) {
    r.line();
    if (tarno) r.line();
    r.fixed(FixedLine::Table3Title);
    r.fixed(FixedLine::Table3Explanation1);
    r.fixed(FixedLine::Table3Explanation2);
    r.line();
    r.fixed(FixedLine::Table3Heading);
    for (const SternVolmerRow& v : s.table3) {
        writeTable3Row(r.sink(), {v.component, tarno, v.ksv, v.ksvSd, v.ksvRelPercent, v.ksvRelSd, v.b, v.r});
    }
}

inline void resultStage(Out& r, const Stage& s, std::size_t index, const RunReports& run, bool headingDone) {
    const bool mono = isMono(s);
    const bool tarno = s.kind == StageKind::Tarno;
    if (!headingDone) {
        if (tarno) r.line();
        r.heading(s.kind);
    }
    if (s.outcome == Outcome::Absent) {
        r.fixed(absenceLine(searchedComponents(s)));
        // monofit's last three-component search writes the message alone.
        if (!(mono && !s.summary)) r.rule('-', 77);
        // An absent phase-plane stage writes the heading of VELA-I itself.
        if (tarno && index + 1 < run.stages.size()) {
            r.line();
            r.heading(run.stages[index + 1].kind);
        }
        return;
    }
    if (s.outcome != Outcome::Reported) return;
    table1(r, s, tarno);
    table2(r, s, tarno, mono);
    if (!mono) table3(r, s, tarno);
    r.line();
    r.line();
    writeGoodnessLine(r.sink(), s.discriminant.value_or(0));
    r.line();
    if (mono) {
        r.rule('=', 69);
        r.line();
    } else if (tarno) {
        r.rule('-', 77);
    } else {
        r.rule('-', 77);
        r.line();
    }
    if (!mono && index + 1 < run.stages.size() && s.kind != StageKind::Vela3) {
        if (tarno) r.line();
        r.heading(run.stages[index + 1].kind);
    }
}

// ---------------------------------------------------------------- summary report

inline void summaryBlock(Out& out, const SummaryBlock& b, Program program) {
    if (b.absent && b.method == SummaryMethod::PhasePlane) {
        out.fixed(FixedLine::SummaryTarnoAbsent);
        out.rule('-', 79);
        return;
    }
    if (b.absent) {
        out.fixed(absenceLine(b.components));
        out.rule('-', b.components == 2 ? 75 : 79);
        return;
    }
    writeSummaryStageCells(out.sink(), stageCells(b, program));
    for (const SummaryComponent& c : b.rows) writeSummaryComponentCells(out.sink(), componentCells(c));
    out.rule('-', 79);
}

inline ReportTexts writeReportTexts(const RunReports& run) {
    const bool mono = run.program == Program::Monofit;
    Out result, graph, summary;

    graph.line(run.title);
    graph.line(run.date);
    firstPass(graph, run);
    result.line(run.title);
    result.line(run.date);
    if (mono) {
        result.line();
    } else {
        writeQuencherLine(result.sink(), QuencherLabel::Concentration, run.concentrations);
        writeQuencherLine(result.sink(), QuencherLabel::Activity, run.activities);
        result.line();
        result.line();
    }

    for (std::size_t i = 0; i < run.stages.size(); ++i) {
        const Stage& s = run.stages[i];
        // quenfit writes the heading of VELA-I on and with the stage before;
        // a stage after one without a solution has none.
        const bool headingDone =
            !mono && i > 0 &&
            (run.stages[i - 1].outcome == Outcome::Reported ||
             (run.stages[i - 1].outcome == Outcome::Absent && s.kind != StageKind::Tarno));
        const bool headingless = !mono && i > 0 && run.stages[i - 1].outcome == Outcome::Absent;
        graphStage(graph, s, i, run, headingDone || headingless);
        resultStage(result, s, i, run, headingDone || headingless);
    }

    summary.line(run.title);
    summary.line(run.date);
    summary.line();
    bool headingWritten = false;
    for (const Stage& s : run.stages) {
        if (!s.summary) continue;
        if (run.summaryHeading && !headingWritten) {
            summary.fixed(FixedLine::SummaryHeading);
            summary.rule('-', 79);
            headingWritten = true;
        }
        summaryBlock(summary, *s.summary, run.program.value_or(Program::Quenfit));
    }
    if (run.legend) {
        for (FixedLine l : {FixedLine::Legend1, FixedLine::Legend2, FixedLine::Legend3, FixedLine::Legend4,
                            FixedLine::Legend5, FixedLine::Legend6}) {
            summary.fixed(l);
        }
        summary.line();
    }

    ReportTexts texts;
    texts.result = result.text();
    texts.graph = graph.text();
    texts.summary = summary.text();
    return texts;
}

}  // namespace qf::results::render
