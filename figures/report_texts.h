#pragma once
// The report page of one run made in memory: the three report texts in, the
// page, its figures and its tables out as texts, with no file touched. The
// page in the browser calls this; `trpfit report` and the batch runner call
// it too and write what it returns.
//
//   ReportTextsInput in;
//   in.result = ...; in.graph = ...; in.summary = ...;   // the reports' bytes
//   in.resultName = "Result.txt"; ...                     // names shown and used in messages
//   ReportPageTexts out = reportPageFromTexts(in);
//   if (!out.ok) show(out.message);                       // "Graph.txt, line 12: cause"
//   else { out.page; out.figures[i].name / .text; out.tables[i].name / .text; }
//
// Names in `figures` and `tables` are paths relative to the output folder:
// "figures/vela-ii-residuals.svg", "components.csv". The page refers to its
// figures by these names.

#include <string>
#include <vector>

#include "figures/report_page.h"
#include "results/report_model.h"

namespace qf::figures {

struct NamedText {
    std::string name;  // relative path: "report.html", "figures/tarno-residuals.svg", "spectra.csv"
    std::string text;  // UTF-8
};

// What another analysis of the same data adds to the page and its outputs:
// sections after the summary, and their figures and tables (written beside
// the page's own, also without the page's tables).
struct PageAdditions {
    std::vector<PageSection> afterSummary;
    std::vector<NamedText> figures;
    std::vector<NamedText> tables;
};

struct ReportTextsInput {
    // The bytes of the results, graph and summary report (CR LF or LF).
    std::string result;
    std::string graph;
    std::string summary;
    // How the reports are named on the page and in messages; empty: the
    // names quenfit writes (Result.txt, Graph.txt, Summary.txt).
    std::string resultName;
    std::string graphName;
    std::string summaryName;
    // The "file" column of the component and contribution tables (the data
    // file of the run, say); empty: the results report's name.
    std::string fileLabel;
    bool tables = true;  // also components.csv, contributions.csv, spectra.csv
    PageAdditions additions;
};

struct ReportPageTexts {
    bool ok = false;
    // When not ok: one line, "NAME, line N: cause" or "NAME: cause", the
    // words `trpfit report` prints after "trpfit: ".
    std::string message;
    // When ok: what a reader should know besides the page (the reports end
    // early), one line each; the page says the same.
    std::vector<std::string> warnings;
    std::string page;                // report.html
    std::vector<NamedText> figures;  // every SVG figure the page shows: first pass, then stage by stage
    std::vector<NamedText> tables;   // the CSV tables (when asked for)
    results::RunReports run;         // the reports as read
};

// Bad input never throws: a report that cannot be read gives ok == false
// and the message (any other exception is a fault of this code). Reports given in the wrong order are told apart by their
// content, and the message says which looks like which.
ReportPageTexts reportPageFromTexts(const ReportTextsInput& input);

// What a report's text looks like: "results", "graph", "summary", or ""
// when it holds too little to tell (a run that failed at once).
std::string reportKindOf(const std::string& text);

// The message for three reports whose content does not match the roles they
// were given in (results, graph, summary), naming which looks like which;
// "" when none is out of place.
std::string reportOrderProblem(const std::string& resultName, const std::string& resultText,
                               const std::string& graphName, const std::string& graphText,
                               const std::string& summaryName, const std::string& summaryText);

// The page, figures and tables of reports already read (the same outputs
// as reportPageFromTexts). `fileLabel` fills the tables' "file" column.
ReportPageTexts reportPageOfRun(const results::RunReports& run, const std::string& fileLabel, bool tables,
                                const PageAdditions& additions = {});

}  // namespace qf::figures
