// The index of several data files analysed in turn, as `trpfit run` writes
// it: the table of statuses and causes (a run that warned of numbers after
// the measured standard is suspect), and the figure of component positions
// over the components tables of the runs that are ok.
#include <string>
#include <vector>

#include "batch/batch_outcome.h"
#include "batch/index_figure.h"
#include "batch/index_page.h"
#include "batch/result_tables.h"
#include "batch/run_folder.h"
#include "batch/run_table.h"
#include "operations.h"
#include "outputs/output_names.h"
#include "textio/failure.h"

namespace qf::web {

void batchIndex(Exchange& ex) {
    const int count = ex.intInput("count", 0);
    std::vector<batch::IndexRun> runs;
    std::vector<batch::RunRecord> records;
    batch::CombinedTable components(batch::componentsHeading());
    for (int i = 0; i < count; ++i) {
        const std::string key = "run." + std::to_string(i) + ".";
        batch::IndexRun run;
        batch::RunRecord& r = run.record;
        r.file = ex.input(key + "file");
        r.program = ex.input(key + "program");
        r.exitStatus = ex.input(key + "exitStatus");
        r.status = r.exitStatus == "0" ? batch::RunStatus::Ok : batch::RunStatus::Failed;
        // The failure and warning lines as `trpfit run` records them.
        batch::splitErrorText(ex.input(key + "errText"), r.program, r.file, r.file, r.message, r.warnings);
        if (r.status == batch::RunStatus::Ok) batch::classifyFinishedRun(r);
        run.pageLink = ex.input(key + "link");
        r.folder = run.pageLink.substr(0, run.pageLink.find('/'));
        run.componentsCsv = ex.input(key + "components");
        if (r.status == batch::RunStatus::Ok && !run.componentsCsv.empty()) {
            // A table that is not a components table leaves the run out of
            // the figure, as `trpfit run` does.
            try {
                components.addRunText(r.file, run.componentsCsv, r.file + ": " + outputs::kComponentsTable);
            } catch (const FileFailure&) {
            }
        }
        records.push_back(r);
        runs.push_back(std::move(run));
    }
    ex.setOutput("page", batch::indexPageOfRuns(runs));
    ex.setOutput("figure", batch::componentPositionsSvg(components.table(records, outputs::kComponentsTable)));
    ex.setOutput("runs", batch::runsCsv(records));
    ex.setOutput("components", components.text(records));
    std::string statuses;
    for (const batch::RunRecord& r : records) statuses += std::string(batch::statusName(r.status)) + "\n";
    ex.setOutput("statuses", statuses);
    ex.setOutput("status", "0");
}

}  // namespace qf::web
