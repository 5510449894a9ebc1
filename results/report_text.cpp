#include "results/report_text.h"

#include <string>

#include "results/line_text.h"
#include "results/report_lines.h"

namespace qf::results {

namespace {

// One report being written, line by line.
class Out {
public:
    void line(const std::string& text = "") { text_ += text + "\r\n"; }
    void line(const LineText& built) { line(built.str()); }
    void rows(const CurveSet& set) {
        for (const std::vector<double>& row : set.values) rowOf(row);
    }
    void rowOf(const std::vector<double>& row) {
        LineText t;
        for (double v : row) t.write(v);
        line(t);
    }
    void rule(char c, int n) { line(std::string(static_cast<std::size_t>(n), c)); }
    std::string& text() { return text_; }

private:
    std::string text_;
};

LineText heading(const std::string& name) { return LineText().tab(40).text("SUBPROGRAMM " + name); }

LineText stepLine(const std::string& text, double step) { return LineText().text(text).number(step); }

bool isMono(const Stage& s) {
    return s.kind == StageKind::VelaMono1 || s.kind == StageKind::VelaMono2 || s.kind == StageKind::VelaMono3;
}

// ---------------------------------------------------------------- graph report

void firstPass(Out& g, const RunReports& run) {
    const FirstPass& fp = run.firstPass;
    g.line();
    g.line(LineText()
               .text("EXPERIMENTAL SPECTRA, from ")
               .number(fp.firstNm)
               .text(" to")
               .number(fp.lastNm)
               .text(" Step ")
               .number(fp.stepNm));
    g.rows(fp.asRead);
    g.line();
    LineText c;
    const bool from = fp.firstNm > 310;
    const bool to = fp.lastNm < 400;
    if (from && to) {
        c.text("CORRECTION CURVE, from ").number(fp.firstNm).text(" to ").number(fp.lastNm).text(", Step ");
    } else if (from) {
        c.text("CORRECTION CURVE, from ").number(fp.firstNm).text(" to 400, Step ");
    } else if (to) {
        c.text("CORRECTION CURVE, from 310 to ").number(fp.lastNm).text(", Step ");
    } else {
        c.text("CORRECTION CURVE, from 310 to 400, Step ");
    }
    g.line(c.number(fp.stepNm));
    g.rows(fp.correction);
    g.line();
    g.line(stepLine("NORMALIZED CORRECTED EXPERIMENTAL SPECTRA, from 320 to 380, Step ", fp.stepNm));
    g.rows(fp.normalized);
    g.line();  // quenfit: with the quencher lines; monofit: the end of its first pass
}

void sternVolmer(Out& g, const SternVolmerPlot& p) {
    g.line();
    g.line("DATA for STERN-VOLMER PLOT");
    g.line("Quencher concentration, M");
    g.line("Experimental points and theoretical lines for each component");
    g.rowOf(p.activities);
    for (const auto& row : p.points) g.rowOf(row);
    for (const auto& row : p.lines) g.rowOf(row);
}

void graphStage(Out& g, const Stage& s, std::size_t index, const RunReports& run, bool headingDone) {
    const double step = run.firstPass.stepNm;
    const bool mono = isMono(s);
    const bool tarno = s.kind == StageKind::Tarno;
    if (!headingDone) g.line(heading(s.name));
    // An absent phase-plane stage writes the heading of VELA-I under its own.
    if (tarno && !s.absence.empty() && index + 1 < run.stages.size()) g.line(heading(run.stages[index + 1].name));
    if (!s.reported) return;
    const char* smoothedTitle = tarno ? "SMOOTHED NORMALIZED CORRECTED EXPERIMENTAL SPECTRA, from 320 to 380, Step "
                                : mono || s.kind == StageKind::Vela1
                                    ? "SMOOTHED NORMALIZED CORRECTED EXPERIMENTAL SPECTRA, from 320 to 380 Step "
                                    : "SMOOTHED NORMALIZED EXPERIMENTAL SPECTRA, from 320 to 380 Step ";
    g.line(stepLine(smoothedTitle, step));
    g.rows(s.smoothed);
    g.line();
    g.line(stepLine("DIFERENCE BETWEEN EXPERIMENTAL AND SMOOTHED SPECTRA, % from 320 to 380, Step ", step));
    g.rows(s.smoothedDifference);
    if (mono) g.line();
    if (s.sternVolmer.present) sternVolmer(g, s.sternVolmer);
    if (!mono) g.line();
    g.line(stepLine("RESIDUALS, % (Diference between theoretical and experimental spectra) from 320 to 380, Step ",
                    step));
    g.rows(s.residuals);
    g.line();
    g.line("THEORETICAL SPECTRA, from 305 to 400, Step 1nm");
    g.rows(s.theoretical);
    g.line();
    g.line("COMPONENTS FOR THE FIRST THEORETICAL SPECTRUM, from 305 to 400, Step 1nm");
    g.rows(s.firstSpectrumComponents);
    g.line();
    g.line(LineText().text("DISCRIMINANT = ").number(s.graphDiscriminant.value_or(0)));
    g.line();
    g.rule('-', mono ? 79 : 77);
    // quenfit: the reporting pass writes the next stage's heading.
    if (!mono && index + 1 < run.stages.size() && s.kind != StageKind::Vela3) {
        g.line(heading(run.stages[index + 1].name));
    }
}

// ---------------------------------------------------------------- results report

void table1(Out& r, const Stage& s, bool tarno) {
    if (!tarno) r.line();
    r.line(tarno ? "T A B L E  1" : "T A B L E 1");
    r.line("Maximum position of spectral components in wavelengths (L, nm) and wavenumbers (V, 1/cm)");
    r.line();
    r.line(LineText().text("N comp.").tab(19).text("L (nm)").tab(29).text("DL").tab(44).text("V (1/cm)").tab(54)
               .text("DV"));
    for (const ComponentRow& c : s.table1) {
        LineText t;
        if (tarno) {
            t.text(" " + std::to_string(c.component) + " ");
        } else {
            t.number(c.component);
        }
        r.line(t.tab(18).number(c.lNm).tab(28).number(c.dlNm).tab(43).number(c.vCm).tab(53).number(c.dvCm));
    }
    if (tarno) r.line();
}

void table2(Out& r, const Stage& s, bool tarno, bool mono) {
    r.line();
    if (!tarno) r.line();
    if (tarno) {
        r.line("T A B L E  2");
        r.line("Quencher concentration (Cq, M), Contribution of spectral components into the area under the "
               "spectrum in % (Si, %)");
        r.line("Standart error (s.d., %); Area under spectral components (Ai), Area under the whole spectrum "
               "(Atotal=Sum(Ai))");
    } else {
        r.line("T A B L E 2");
        r.line(mono ? "Contribution of each spectral components (Si, %), Standart deviation (s.d., %)"
                    : "Quencher concentration (Cq, M), Contribution of each spectral components (Si, %), "
                      "Standart deviation (s.d., %)");
        r.line("Area under the spectral components (Ai), Area under the whole spectrum (Atotal=Sum(Ai))");
    }
    r.line();
    LineText h;
    if (!mono) h.text("Cq");
    r.line(h.tab(7).text("N comp.").tab(21).text("Si, %").tab(35).text("s.d., %").tab(48).text("Ai").tab(65)
               .text("Atotal"));
    if (!mono && !tarno) r.line();
    for (const SpectrumContributions& g : s.table2) {
        for (const Contribution& c : g.components) {
            LineText t;
            if (c.component == 1 && g.cq) t.number(*g.cq);
            t.tab(9).text(std::to_string(c.component)).tab(20).number(c.si).tab(34).number(c.sd).tab(47).number(c.ai);
            if (c.component == 1) t.tab(64).number(g.atotal);
            r.line(t);
        }
        if (!mono) r.line();
    }
}

void table3(Out& r, const Stage& s, bool tarno) {
    r.line();
    if (tarno) r.line();
    r.line("T A B L E 3");
    r.line("Stern-Volmer quenching constant (Ksv, 1/M), Relative quenching constant(100% corresponds to the "
           "Stern-Volmer constant of Trp in solution, Ksv(Trp))");
    r.line("Free term in Stern-Volmer equation (Bi), in ideal case should equal 1; Linear correlation "
           "coefficients for Stern-Volmer plots (R)");
    r.line();
    r.line(LineText().tab(2).text("N comp.").tab(13).text("Ksv, 1/M").tab(25).text("s.d.").tab(37)
               .text("Ksv/Ksv(TRP),%").tab(53).text("s.d.").tab(65).text("Bi").tab(75).text("R"));
    for (const SternVolmerRow& v : s.table3) r.line(table3Row(v, tarno));
}

void resultStage(Out& r, const Stage& s, std::size_t index, const RunReports& run, bool headingDone) {
    const bool mono = isMono(s);
    const bool tarno = s.kind == StageKind::Tarno;
    if (!headingDone) {
        if (tarno) r.line();
        r.line(heading(s.name));
    }
    if (!s.absence.empty()) {
        r.line(s.absence);
        // monofit's last three-component search writes the message alone.
        if (!(mono && !s.summary)) r.rule('-', 77);
        // An absent phase-plane stage writes the heading of VELA-I itself.
        if (tarno && index + 1 < run.stages.size()) {
            r.line();
            r.line(heading(run.stages[index + 1].name));
        }
        return;
    }
    if (!s.reported) return;
    table1(r, s, tarno);
    table2(r, s, tarno, mono);
    if (!mono) table3(r, s, tarno);
    r.line();
    r.line();
    r.line(LineText().text("  GOODNESS-of-FIT CRITERIA, DISCRIMINANT: ").number(s.discriminant.value_or(0)));
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
        r.line(heading(run.stages[index + 1].name));
    }
}

// ---------------------------------------------------------------- summary report

void summaryComponent(LineText& t, const SummaryComponent& c) {
    t.tab(26).number(c.component).tab(31).number(c.lNm).text("+/-").number(c.lError).tab(49).number(c.sPercent)
        .text("+/-").number(c.sSd).tab(66).text(c.className);
}

void summaryBlock(Out& out, const SummaryBlock& b) {
    if (!b.absence.empty() && b.label == "TARNO") {
        out.line(LineText().text("TARNO").tab(12).text(b.absence));
        out.rule('-', 79);
        return;
    }
    if (!b.absence.empty()) {
        out.line(b.absence);
        out.rule('-', b.components == 2 ? 75 : 79);
        return;
    }
    LineText row;
    row.text(b.label);
    if (b.label != "TARNO") row.number(b.components);
    row.tab(12).number(b.discriminant).tab(21).number(b.nsc);
    for (std::size_t k = 0; k < b.rows.size(); ++k) {
        if (k == 0) {
            summaryComponent(row, b.rows[k]);
            out.line(row);
        } else {
            LineText t;
            summaryComponent(t, b.rows[k]);
            out.line(t);
        }
    }
    out.rule('-', 79);
}

}  // namespace

ReportTexts writeReportTexts(const RunReports& run) {
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
        LineText c, a;
        c.text("Quencher Concentration, M:      ");
        for (double v : run.concentrations) c.number(v).zone();
        a.text("Quencher Chemical Activities, M:");
        for (double v : run.activities) a.number(v).zone();
        result.line(c);
        result.line(a);
        result.line();
        result.line();
    }

    for (std::size_t i = 0; i < run.stages.size(); ++i) {
        const Stage& s = run.stages[i];
        // quenfit writes the heading of VELA-I on and with the stage before;
        // a stage after one without a solution has none.
        const bool headingDone =
            !mono && i > 0 &&
            (run.stages[i - 1].reported || (!run.stages[i - 1].absence.empty() && s.kind != StageKind::Tarno));
        const bool headingless = !mono && i > 0 && !run.stages[i - 1].absence.empty();
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
            summary.line(LineText().text("PROGRAMM").tab(13).text("DISCR.").tab(21).text("Nsc").tab(27).text("N")
                             .tab(37).text("Lm,nm").tab(55).text("S,%").tab(66).text("CLASS"));
            summary.rule('-', 79);
            headingWritten = true;
        }
        summaryBlock(summary, *s.summary);
    }
    if (run.legend) {
        const char* legend[6][2] = {
            {"DISCR.", "- Goodnes-of-Fit. (average  error of decomposition) "},
            {"Nsc", "- Number of smoothed cycles"},
            {"N", "- Number of spectral components"},
            {"Lm", "- Maximum position of spectral components in nm"},
            {"S,%", "- Contribution of spectral components in total spectrum in %"},
            {"Class", "- Assignemnet of spectral components to spectral classes "},
        };
        for (const auto& l : legend) summary.line(LineText().text(l[0]).tab(8).text(l[1]));
        summary.line();
    }

    ReportTexts texts;
    texts.result = std::move(result.text());
    texts.graph = std::move(graph.text());
    texts.summary = std::move(summary.text());
    return texts;
}

}  // namespace qf::results
