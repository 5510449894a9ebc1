// The report page of one run, as `trpfit report` makes it, from the three
// report texts the analysis returned: the page, its SVG figures and the
// CSV tables, all as texts.
#include "figures/report_texts.h"
#include "operations.h"

namespace qf::web {

void reportPage(Exchange& ex) {
    figures::ReportTextsInput in;
    in.result = ex.input("result");
    in.graph = ex.input("graph");
    in.summary = ex.input("summary");
    in.resultName = ex.input("resultName");
    in.graphName = ex.input("graphName");
    in.summaryName = ex.input("summaryName");
    in.fileLabel = ex.input("label");
    const figures::ReportPageTexts out = figures::reportPageFromTexts(in);
    if (!out.ok) {
        ex.setOutput("status", "1");
        ex.setOutput("message", out.message);
        return;
    }
    ex.setOutput("page", out.page);
    for (const figures::NamedText& f : out.figures) ex.setOutput("figure:" + f.name, f.text);
    for (const figures::NamedText& t : out.tables) ex.setOutput("table:" + t.name, t.text);
    std::string warnings;
    for (const std::string& w : out.warnings) warnings += (warnings.empty() ? "" : "\n") + w;
    ex.setOutput("warnings", warnings);
    ex.setOutput("status", "0");
}

}  // namespace qf::web
