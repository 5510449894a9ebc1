#include "figures/report_texts.h"

#include <string_view>

#include "figures/report_figures.h"
#include "figures/report_page.h"
#include "figures/svg_plot.h"
#include "outputs/output_names.h"
#include "results/report_paths.h"
#include "results/report_reader.h"
#include "results/tables.h"
#include "textio/report_lines.h"

namespace qf::figures {

namespace {

std::string orDefault(const std::string& name, const char* fallback) { return name.empty() ? fallback : name; }

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// A report's kind from the first line after its title and date that only
// one of the three reports prints.
std::string kindOfLine(std::string_view line) {
    if (startsWith(line, "EXPERIMENTAL SPECTRA, from") || startsWith(line, "CORRECTION CURVE") ||
        startsWith(line, "NORMALIZED CORRECTED EXPERIMENTAL") || startsWith(line, "SMOOTHED NORMALIZED") ||
        startsWith(line, "THEORETICAL SPECTRA")) {
        return "graph";
    }
    if (startsWith(line, "PROGRAMM ") || startsWith(line, "DISCR. - ") || startsWith(line, "TARNO  ")) {
        return "summary";
    }
    for (Program program : {Program::Quenfit, Program::Monofit}) {
        // A component fit's label, then the sign place of its count.
        if (startsWith(line, std::string(summaryLabel(SummaryMethod::ComponentFit, program)) + " ")) return "summary";
    }
    if (startsWith(line, "Quencher Concentration") || startsWith(line, "T A B L E") ||
        startsWith(line, "Maximum position of spectral components")) {
        return "results";
    }
    return "";
}

const char* roleWords(const std::string& kind) {
    if (kind == "results") return "the results report";
    if (kind == "graph") return "the graph report";
    return "the summary report";
}

}  // namespace

std::string reportKindOf(const std::string& text) {
    std::size_t start = 0;
    int lineNo = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ++lineNo;
        // Lines 1 and 2 are the title and the date, which may say anything.
        if (lineNo > 2) {
            std::size_t first = line.find_first_not_of(' ');
            // Stage headings are indented; the lines that tell are not.
            if (first == 0) {
                const std::string kind = kindOfLine(line);
                if (!kind.empty()) return kind;
            }
        }
        start = end + 1;
    }
    return "";
}

std::string reportOrderProblem(const std::string& resultName, const std::string& resultText,
                               const std::string& graphName, const std::string& graphText,
                               const std::string& summaryName, const std::string& summaryText) {
    struct Given {
        const std::string& name;
        const std::string& text;
        const char* role;
    };
    const Given given[] = {{resultName, resultText, "results"},
                           {graphName, graphText, "graph"},
                           {summaryName, summaryText, "summary"}};
    std::string misplaced;
    for (const Given& g : given) {
        const std::string kind = reportKindOf(g.text);
        if (kind.empty() || kind == g.role) continue;
        misplaced += (misplaced.empty() ? "" : "; ") + g.name + " looks like " + roleWords(kind) +
                     ", given as " + roleWords(g.role);
    }
    if (misplaced.empty()) return "";
    return misplaced + ". Give the reports in the order RESULT GRAPH SUMMARY";
}

ReportPageTexts reportPageOfRun(const results::RunReports& run, const std::string& fileLabel, bool tables,
                                const PageAdditions& additions) {
    ReportPageTexts out;
    out.run = run;
    out.page = reportPageHtml(run, additions.afterSummary);
    std::vector<RunFigure> figures = firstPassFigures(run);
    for (const results::Stage& stage : run.stages) {
        for (RunFigure& f : stageFigures(run, stage)) figures.push_back(std::move(f));
    }
    for (const RunFigure& f : figures) out.figures.push_back({std::string(outputs::kFiguresFolder) + "/" + f.id + ".svg", svgDocument(f.plot)});
    out.figures.insert(out.figures.end(), additions.figures.begin(), additions.figures.end());
    if (tables) {
        const std::string source = fileLabel.empty() ? run.result.path : fileLabel;
        out.tables.push_back({outputs::kComponentsTable, results::componentsCsv(run, source)});
        out.tables.push_back({outputs::kContributionsTable, results::contributionsCsv(run, source)});
        out.tables.push_back({outputs::kSpectraTable, results::spectraCsv(run)});
    }
    out.tables.insert(out.tables.end(), additions.tables.begin(), additions.tables.end());
    if (!run.complete) {
        out.warnings.push_back("the reports end early (a run that did not finish): " + run.result.path + " ends at " +
                               run.result.where + "; " + run.graph.path + " ends at " + run.graph.where + "; " +
                               run.summary.path + " ends at " + run.summary.where);
    }
    out.ok = true;
    return out;
}

ReportPageTexts reportPageFromTexts(const ReportTextsInput& input) {
    results::ReportTexts texts;
    // Reports given without a name are shown under quenfit's names.
    const qf::ProgramFiles names = qf::defaultProgramFiles(qf::Program::Quenfit);
    texts.paths = {orDefault(input.resultName, names.result), orDefault(input.graphName, names.graph),
                   orDefault(input.summaryName, names.summary)};
    texts.result = input.result;
    texts.graph = input.graph;
    texts.summary = input.summary;
    ReportPageTexts failed;
    failed.message = reportOrderProblem(texts.paths.result, texts.result, texts.paths.graph, texts.graph,
                                        texts.paths.summary, texts.summary);
    if (!failed.message.empty()) return failed;
    try {
        return reportPageOfRun(results::readReports(texts), input.fileLabel, input.tables, input.additions);
    } catch (const results::ReportError& e) {
        failed.message = e.what();
    }
    return failed;
}

}  // namespace qf::figures
