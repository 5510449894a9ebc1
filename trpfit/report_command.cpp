#include "trpfit/report_command.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <vector>

#include "batch/run_fit.h"
#include "figures/report_texts.h"
#include "fit/global_fit.h"
#include "outputs/output_names.h"
#include "outputs/output_set.h"
#include "results/report_paths.h"
#include "textio/failure.h"
#include "textio/file_text.h"

namespace qf::trpfit {

namespace {

namespace fs = std::filesystem;

std::string readReport(const std::string& path) {
    return readFileText(path, "cannot open the report", "cannot read the report");
}

// Reads the three reports, makes the page, figures and tables in memory and
// writes them; nothing is written when a report cannot be read or, without
// --force, when one of the outputs exists.
int runReport(const ReportCommandOptions& a, std::ostream& out, std::ostream& err) {
    const results::ReportPaths paths = results::resolveReportPaths(a.inputs);
    figures::ReportTextsInput in;
    in.resultName = paths.result;
    in.graphName = paths.graph;
    in.summaryName = paths.summary;
    in.fileLabel = paths.result;
    in.result = readReport(paths.result);
    in.graph = readReport(paths.graph);
    in.summary = readReport(paths.summary);
    figures::ReportPageTexts made = figures::reportPageFromTexts(in);
    if (!made.ok) {
        err << "trpfit: " << made.message << "\n";
        return 1;
    }
    std::vector<std::string> fitWarnings;
    if (!a.dataFile.empty()) {
        // The data file is read by the program that wrote the reports; one it
        // refuses gives that program's message and nothing is written.
        const batch::RunFit fit = batch::fitRun(a.dataFile, made.run, a.dataFile);
        if (fit.refusal) {
            err << *fit.refusal << "\n";
            return 1;
        }
        const auto program = batch::programOf(made.run);
        for (const std::string& w : fit.warnings) {
            fitWarnings.push_back(std::string(program ? programName(*program) : "trpfit") + ": warning: " + w);
        }
        made = figures::reportPageOfRun(made.run, in.fileLabel, true, fit.additions);
    }
    const std::string parent = a.outDir.empty() ? fs::path(paths.result).parent_path().string() : a.outDir;
    outputs::OutputSet files(parent);
    for (const figures::NamedText& t : made.tables) files.add(t.name, t.text);
    files.add(outputs::kReportPage, made.page);
    for (const figures::NamedText& f : made.figures) files.add(f.name, f.text);
    // The figures folder is the page's own; one that exists may hold an
    // earlier run's figures.
    files.claim(outputs::kFiguresFolder);
    if (!a.force) files.refuseExisting();
    const std::vector<fs::path> written = files.write();
    for (const std::string& w : made.warnings) err << "trpfit: " << w << "\n";
    for (const std::string& w : fitWarnings) err << w << "\n";
    for (const fs::path& path : written) out << path.string() << "\n";
    return 0;
}

}  // namespace

int reportCommand(const ReportCommandOptions& options, std::ostream& out, std::ostream& err) {
    try {
        return runReport(options, out, err);
    } catch (const FileFailure& f) {
        err << "trpfit: " << f.what() << "\n";
        return 1;
    }
}

void addReportCommand(CLI::App& app, CommandContext& context) {
    auto args = std::make_shared<ReportCommandOptions>();
    CLI::App* cmd = app.add_subcommand(
        "report",
        "Read the results, graph and summary reports of one quenfit or monofit run (finished or not) and "
        "write report.html (a page of figures and tables), figures/<stage>-<kind>.svg and "
        "components.csv, contributions.csv, spectra.csv");
    cmd->add_option("reports", args->inputs,
                    "RESULT GRAPH SUMMARY, or one folder holding Result.txt, Graph.txt, Summary.txt "
                    "(quenfit) or ResultM.txt, GraphM.txt, SummaryM.txt (monofit)")
        ->required()
        ->expected(1, 3);
    cmd->add_option("-o,--output", args->outDir,
                    "Folder for the page, figures and tables (default: beside the reports)");
    cmd->add_option("--data", args->dataFile,
                    "The run's data file: adds the global fit (a \"Global fit\" section and "
                    "figures/global-fit.svg on the page, fit.csv and models.csv)");
    cmd->add_flag("--force", args->force, "Replace files that exist already");
    cmd->callback([args, &context]() {
        if (args->inputs.size() == 2) {
            throw CLI::ValidationError("reports", "give a folder, or the results, graph and summary reports");
        }
        context.status = reportCommand(*args, std::cout, std::cerr);
    });
}

}  // namespace qf::trpfit
