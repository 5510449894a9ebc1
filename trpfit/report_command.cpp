#include "trpfit/report_command.h"

#include <iostream>
#include <memory>

#include "figures/report_page.h"
#include "results/report_export.h"

namespace qf::trpfit {

void addReportCommand(CLI::App& app, CommandContext& context) {
    auto options = std::make_shared<results::ReportCommandOptions>();
    CLI::App* cmd = app.add_subcommand(
        "report",
        "Read the results, graph and summary reports of one quenfit or monofit run (finished or not) and "
        "write report.html (a page of figures and tables), figures/<stage>-<kind>.svg and "
        "components.csv, contributions.csv, spectra.csv");
    cmd->add_option("reports", options->inputs,
                    "RESULT GRAPH SUMMARY, or one folder holding Result.txt, Graph.txt, Summary.txt "
                    "(quenfit) or ResultM.txt, GraphM.txt, SummaryM.txt (monofit)")
        ->required()
        ->expected(1, 3);
    cmd->add_option("-o,--output", options->outDir,
                    "Folder for the page, figures and tables (default: beside the reports)");
    cmd->add_flag("--force", options->force, "Replace files that exist already");
    cmd->callback([options, &context]() {
        if (options->inputs.size() == 2) {
            throw CLI::ValidationError("reports", "give a folder, or the results, graph and summary reports");
        }
        // The page and its figures come from the same model as the tables.
        options->extraOutputs = figures::pageOutputNames();
        options->writeExtra = [force = options->force](const results::RunReports& run, const std::string& dir) {
            figures::ReportPageOptions page;
            page.outDir = dir;
            page.force = force;
            page.tables = false;
            std::vector<std::string> written;
            for (const auto& path : figures::writeReportPage(run, page)) written.push_back(path.string());
            return written;
        };
        context.status = results::reportCommand(*options, std::cout, std::cerr);
    });
}

}  // namespace qf::trpfit
