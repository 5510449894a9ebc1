// The analysis of one data file's text, as quenfit or monofit (or the one
// its line 2 asks for) would run it: the reports' bytes, the warnings and
// the failure line, with the stage reached sent to the page as it starts.
#include "driver/analysis.h"
#include "driver/run_steps.h"
#include "operations.h"

namespace qf::web {

void analyse(Exchange& ex) {
    const auto choice = programChoiceFromName(ex.input("program"));
    if (!choice) {
        ex.setOutput("status", "2");
        ex.setOutput("message", "trpfit: the program must be quenfit, monofit or auto");
        return;
    }
    const AnalysisOutcome out = analyseText(ex.input("data"), *choice, ex.input("date"),
                                            [](const std::string& stage) { reportStage(stage); },
                                            ex.input("name"));
    if (out.program) ex.setOutput("program", programName(*out.program));
    if (out.result) ex.setOutput("result", *out.result);
    if (out.graph) ex.setOutput("graph", *out.graph);
    if (out.summary) ex.setOutput("summary", *out.summary);
    std::string warnings;
    for (const std::string& w : out.warnings) warnings += (warnings.empty() ? "" : "\n") + w;
    ex.setOutput("warnings", warnings);
    ex.setOutput("status", std::to_string(out.status()));
    ex.setOutput("message", out.failure ? out.failure->message : std::string());
}

}  // namespace qf::web
