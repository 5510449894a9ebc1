#include "figures/report_page.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <system_error>

#include "figures/number_text.h"
#include "figures/report_figures.h"
#include "figures/report_texts.h"
#include "figures/svg_plot.h"
#include "textio/grid.h"

namespace qf::figures {

namespace {

using results::RunReports;
using results::Stage;
using results::StageKind;

const char* const kPlusMinus = "\u00b1";
const char* const kMinus = "-";
// The resolution the results report prints Ksv and its s.d. to.
const double kKsvResolution = 0.01;
// Residuals above this share of the maximum, anywhere in the window, make a
// poor fit.
const double kPoorFitPercent = 5.0;

std::string num(double v) { return formatShort(v, 4); }
std::string esc(const std::string& text) { return escapeXml(text); }

const char* const kStyle =
    "body{font-family:sans-serif;color:#111;max-width:1000px;margin:20px auto;padding:0 16px;line-height:1.35}\n"
    "h1{font-size:1.5em;margin:0 0 4px}\n"
    "h2{font-size:1.2em;border-bottom:2px solid #333;padding-bottom:2px;margin:28px 0 8px}\n"
    ".meta{color:#333;margin:0 0 12px}\n"
    "nav{margin:0 0 8px}\n"
    "table{border-collapse:collapse;margin:8px 0 14px;font-size:14px}\n"
    "th,td{border:1px solid #888;padding:3px 8px;text-align:right;vertical-align:top}\n"
    "th{background:#e8e8e8}\n"
    "td.text,th.text{text-align:left}\n"
    "td.flag{font-weight:bold;background:#fde9a9}\n"
    "td.flag::after{content:\" !\"}\n"
    "td.notes{text-align:left;font-size:13px;max-width:260px}\n"
    "tr.stage-start td{border-top:2px solid #333}\n"
    ".absent{font-style:italic;border-left:4px solid #888;padding:2px 8px}\n"
    ".warning{border:2px solid #000;padding:6px 10px;font-weight:bold}\n"
    "figure{margin:10px 0 22px;break-inside:avoid}\n"
    "figure svg{display:block;max-width:100%;height:auto}\n"
    "figcaption{font-size:13px;color:#333;max-width:720px}\n"
    "footer{margin-top:30px;font-size:12px;color:#444}\n"
    "@media print{body{max-width:none;margin:0}nav{display:none}h2{break-after:avoid}}\n";

std::string fileName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

// The stages a finished run of the program reports, in order.
std::vector<StageKind> expectedStages(std::optional<Program> program) {
    if (program == Program::Monofit) return {StageKind::VelaMono1, StageKind::VelaMono2, StageKind::VelaMono3};
    if (program == Program::Quenfit) return {StageKind::Tarno, StageKind::Vela1, StageKind::Vela2, StageKind::Vela3};
    return {};
}

std::string sectionId(const std::string& stageId) { return "stage-" + stageId; }

void appendFigure(std::string& out, const RunFigure& f) {
    const PlotLayout layout = layoutOf(f.plot);
    out += "<figure id=\"fig-" + f.id + "\" data-figure=\"" + f.id + "\" data-width=\"" + num(layout.width) +
           "\" data-height=\"" + num(layout.height) + "\" data-area=\"" + num(layout.areaX) + " " +
           num(layout.areaY) + " " + num(layout.areaWidth) + " " + num(layout.areaHeight) + "\">\n";
    out += svgElement(f.plot);
    out += "\n<figcaption>" + esc(f.caption) + " File: figures/" + esc(f.id) + ".svg</figcaption>\n</figure>\n";
}

std::string cell(const std::string& text, bool flagged = false, const std::string& cls = "") {
    std::string classes = cls;
    if (flagged) classes += classes.empty() ? "flag" : " flag";
    std::string out = "<td";
    if (!classes.empty()) out += " class=\"" + classes + "\"";
    return out + ">" + esc(text) + "</td>";
}

const results::SternVolmerRow* table3Row(const Stage& stage, int component) {
    for (const auto& row : stage.table3) {
        if (row.component == component) return &row;
    }
    return nullptr;
}

void appendSummary(std::string& out, const RunReports& run) {
    const bool quenfit = run.program == Program::Quenfit;
    out += "<section id=\"summary\">\n<h2>Summary</h2>\n";
    bool any = false;
    for (const Stage& stage : run.stages) any = any || stage.summary.has_value();
    if (!any) {
        out += "<p class=\"absent\">The summary report holds no decomposition.</p>\n</section>\n";
        return;
    }
    out += "<table class=\"summary\">\n<thead><tr><th class=\"text\">stage</th><th>DISCR.</th><th>Nsc</th>"
           "<th>N</th><th>Lm (nm)</th><th>S (%)</th><th class=\"text\">class</th>";
    if (quenfit) out += "<th>Ksv (1/M)</th>";
    out += "<th class=\"text\">do not trust</th></tr></thead>\n<tbody>\n";
    const int columns = quenfit ? 9 : 8;
    for (const Stage& stage : run.stages) {
        if (!stage.summary) continue;
        const auto& block = *stage.summary;
        const std::string name = results::stageLabel(stage);
        if (block.rows.empty()) {
            out += "<tr class=\"stage-start\">" + cell(name, false, "text") + "<td class=\"text\" colspan=\"" +
                   std::to_string(columns - 1) + "\">" +
                   esc(block.absent ? results::absenceText(block.components) : "no components") + "</td></tr>\n";
            continue;
        }
        for (std::size_t r = 0; r < block.rows.size(); ++r) {
            const auto& row = block.rows[r];
            const std::vector<std::string> flags = summaryFlags(stage, row);
            auto has = [&](const std::string& start) {
                for (const auto& f : flags) {
                    if (f.rfind(start, 0) == 0) return true;
                }
                return false;
            };
            const std::vector<std::string> stageNotes = r == 0 ? stageFlags(stage) : std::vector<std::string>();
            out += r == 0 ? "<tr class=\"stage-start\">" : "<tr>";
            out += r == 0 ? cell(name, false, "text") + cell(num(block.discriminant), !stageNotes.empty()) +
                                cell(std::to_string(block.nsc))
                          : "<td></td><td></td><td></td>";
            out += cell(std::to_string(row.component));
            out += cell(num(row.lNm) + " " + kPlusMinus + " " + num(row.lError), has("outside"));
            out += cell(num(row.sPercent) + " " + kPlusMinus + " " + num(row.sSd), has("s.d."));
            out += cell(std::string(spectralClassName(row.spectralClass)), has("wrong"), "text");
            if (quenfit) {
                const auto* sv = table3Row(stage, row.component);
                out += cell(sv ? num(sv->ksv) + " " + kPlusMinus + " " + num(sv->ksvSd) : "", has("Ksv"));
            }
            std::string notes;
            for (const auto& f : stageNotes) notes += (notes.empty() ? "" : "; ") + f;
            for (const auto& f : flags) notes += (notes.empty() ? "" : "; ") + f;
            out += cell(notes, false, "notes");
            out += "</tr>\n";
        }
    }
    out += "</tbody>\n</table>\n";
    out += "<p class=\"notes\">Marked cells (bold, \"!\"): a contribution whose s.d. exceeds it, a component "
           "outside the fitted window " + fittedWindowText() + ", a wrong component (above 355 nm)";
    if (quenfit) out += ", two components whose Stern-Volmer constants agree within their s.d. (an s.d. counted as "
                        "at least the 0.01 it is printed to)";
    out += "; on DISCR., a poor fit: residuals above 5 % of the maximum anywhere in the window.</p>\n</section>\n";
}

void appendStageTable(std::string& out, const Stage& stage) {
    if (stage.table1.empty()) return;
    const bool sv = !stage.table3.empty();
    out += "<table class=\"components\">\n<thead><tr><th>comp.</th><th>L (nm)</th><th>DL</th><th>V (1/cm)</th>"
           "<th>DV</th>";
    if (sv) out += "<th>Ksv (1/M)</th><th>s.d.</th><th>Ksv/Ksv(Trp) (%)</th><th>s.d.</th><th>Bi</th><th>R</th>";
    out += "</tr></thead>\n<tbody>\n";
    for (const auto& row : stage.table1) {
        out += "<tr>" + cell(std::to_string(row.component)) + cell(num(row.lNm)) + cell(num(row.dlNm)) +
               cell(num(row.vCm)) + cell(num(row.dvCm));
        if (sv) {
            const auto* r = table3Row(stage, row.component);
            if (r) {
                out += cell(num(r->ksv)) + cell(num(r->ksvSd)) + cell(num(r->ksvRelPercent)) + cell(num(r->ksvRelSd)) +
                       cell(num(r->b)) + cell(num(r->r));
            } else {
                out += "<td></td><td></td><td></td><td></td><td></td><td></td>";
            }
        }
        out += "</tr>\n";
    }
    out += "</tbody>\n</table>\n";
}

// monofit's fall-back: a second VELA-MONO-II heading after VELA-MONO-III.
bool fellBack(const RunReports& run) {
    for (const Stage& stage : run.stages) {
        if (stage.kind == StageKind::VelaMono2 && stage.occurrence > 1) return true;
    }
    return false;
}

void appendStage(std::string& out, const RunReports& run, const Stage& stage) {
    const std::string id = results::stageId(stage);
    out += "<section id=\"" + sectionId(id) + "\">\n<h2>" + esc(results::stageLabel(stage));
    if (stage.kind == StageKind::VelaMono2 && stage.occurrence > 1) {
        out += " (after the fall-back: three components)";
    }
    out += "</h2>\n";
    std::string facts;
    if (stage.components > 0) {
        facts += std::to_string(stage.components) + (stage.components == 1 ? " component" : " components");
    }
    if (stage.discriminant) facts += (facts.empty() ? "" : ", ") + std::string("discriminant ") + num(*stage.discriminant);
    // An absence row of the summary carries no smoothing cycles.
    if (stage.summary && !stage.summary->absent) {
        facts += (facts.empty() ? "" : ", ") + std::string("Nsc ") + std::to_string(stage.summary->nsc);
    }
    if (!facts.empty()) out += "<p>" + esc(facts) + "</p>\n";
    if (stage.outcome == results::Outcome::Absent) {
        out += "<p class=\"absent\">" + esc(results::absenceText(results::searchedComponents(stage))) + "</p>\n";
    }
    for (const std::string& flag : stageFlags(stage)) out += "<p class=\"warning\">" + esc(flag) + ".</p>\n";
    if (stage.outcome == results::Outcome::Nothing) {
        if (stage.kind == StageKind::VelaMono3 && fellBack(run)) {
            out += "<p class=\"absent\">No tables: the three-component fit found no third component, so monofit "
                   "fell back to two components and fitted three again to the spectrum as their smoothing cycles "
                   "left it (VELA-MONO-II (2)).</p>\n";
        } else {
            out += "<p class=\"absent\">No tables: the reports end before this stage was reported.</p>\n";
        }
    }
    appendStageTable(out, stage);
    for (const RunFigure& f : stageFigures(run, stage)) appendFigure(out, f);
    out += "</section>\n";
}

void appendEnds(std::string& out, const RunReports& run) {
    if (run.complete) return;
    out += "<p class=\"warning\">The reports end early (the run did not finish); this page shows what they "
           "hold.";
    for (const results::ReportEnd* end : {&run.result, &run.graph, &run.summary}) {
        if (end->path.empty()) continue;
        out += "<br/>" + esc(fileName(end->path)) + ": " + std::to_string(end->lines) + " lines";
        if (!end->where.empty()) out += ", ends in " + esc(end->where);
        if (end->complete) out += " (complete)";
    }
    out += "</p>\n";
}

}  // namespace

std::vector<std::string> stageFlags(const Stage& stage) {
    std::vector<std::string> flags;
    double largest = 0, sumSquares = 0;
    std::size_t count = 0;
    for (const auto& row : stage.residuals.values) {
        for (double r : row) {
            if (std::fabs(r) > std::fabs(largest)) largest = r;
            sumSquares += r * r;
            ++count;
        }
    }
    if (count > 0 && std::fabs(largest) > kPoorFitPercent) {
        const double rms = std::sqrt(sumSquares / static_cast<double>(count));
        flags.push_back("Poor fit: residuals exceed " + num(kPoorFitPercent) +
                        " % of the maximum (largest " + (largest < 0 ? std::string(kMinus) : std::string()) +
                        num(std::fabs(largest)) + " %, RMS " + formatShort(rms, 2) + " %)");
    }
    return flags;
}

std::vector<std::string> summaryFlags(const Stage& stage, const results::SummaryComponent& row) {
    std::vector<std::string> flags;
    if (row.sSd > row.sPercent) flags.push_back("s.d. exceeds the contribution");
    if (row.lNm < kWindowFirstNm || row.lNm > kWindowLastNm) {
        flags.push_back("outside the fitted window " + fittedWindowText());
    }
    if (row.spectralClass == SpectralClass::WrongComponent) flags.push_back("wrong component");
    if (const auto* mine = table3Row(stage, row.component)) {
        for (const auto& other : stage.table3) {
            if (other.component == row.component) continue;
            // Ksv and its s.d. are printed to 0.01: an s.d. printed as 0 is
            // anything below that, so each counts as at least 0.01.
            const double sdMine = std::max(mine->ksvSd, kKsvResolution);
            const double sdOther = std::max(other.ksvSd, kKsvResolution);
            if (std::fabs(mine->ksv - other.ksv) <= sdMine + sdOther + 1e-9) {
                flags.push_back("Ksv agrees with comp. " + std::to_string(other.component) + " within s.d.");
            }
        }
    }
    return flags;
}

std::string reportPageHtml(const RunReports& run, const std::vector<PageSection>& afterSummary) {
    std::string out;
    out.reserve(1 << 20);
    const std::string program = results::programText(run.program);
    const std::string title = run.title.empty() ? "(no title)" : run.title;
    out += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\"/>\n";
    out += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/>\n";
    out += "<title>" + esc(title) + " - " + esc(program) + " report</title>\n<style>\n" + kStyle + "</style>\n";
    out += "</head>\n<body>\n<header>\n<h1>" + esc(title) + "</h1>\n";
    out += "<p class=\"meta\">" + esc(program) + " run of " + esc(run.date.empty() ? "(no date)" : run.date);
    std::string reports;
    for (const results::ReportEnd* end : {&run.result, &run.graph, &run.summary}) {
        if (!end->path.empty()) reports += (reports.empty() ? "" : ", ") + fileName(end->path);
    }
    if (!reports.empty()) out += "; reports " + esc(reports);
    out += "</p>\n</header>\n";
    appendEnds(out, run);

    out += "<nav><a href=\"#summary\">Summary</a>";
    for (const PageSection& extra : afterSummary) {
        out += " | <a href=\"#" + esc(extra.id) + "\">" + esc(extra.label) + "</a>";
    }
    for (const Stage& stage : run.stages) {
        out += " | <a href=\"#" + sectionId(results::stageId(stage)) + "\">" + esc(results::stageLabel(stage)) + "</a>";
    }
    out += " | <a href=\"#first-pass\">First pass</a></nav>\n";

    appendSummary(out, run);
    for (const PageSection& extra : afterSummary) out += extra.html;
    for (StageKind kind : expectedStages(run.program)) {
        bool found = false;
        for (const Stage& stage : run.stages) found = found || stage.kind == kind;
        if (!found) {
            out += "<section>\n<h2>" + esc(results::stageName(kind)) + "</h2>\n<p class=\"absent\">Absent: the "
                   "reports hold no heading of this stage" +
                   std::string(run.complete ? "." : " (they end before it).") + "</p>\n</section>\n";
        }
    }
    for (const Stage& stage : run.stages) appendStage(out, run, stage);

    out += "<section id=\"first-pass\">\n<h2>First pass</h2>\n";
    const std::vector<RunFigure> first = firstPassFigures(run);
    if (first.empty()) out += "<p class=\"absent\">The graph report holds no spectra of the first pass.</p>\n";
    for (const RunFigure& f : first) appendFigure(out, f);
    out += "</section>\n";
    out += "<footer>Made by trpfit report from the three reports of the run. The figures are also in "
           "figures/ as SVG files; the numbers in components.csv, contributions.csv and spectra.csv.</footer>\n";
    out += "</body>\n</html>\n";
    return out;
}

}  // namespace qf::figures
