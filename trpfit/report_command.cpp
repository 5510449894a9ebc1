#include "trpfit/report_command.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <system_error>

#include "batch/run_fit.h"
#include "batch/run_table.h"
#include "figures/report_texts.h"
#include "fit/global_fit.h"
#include "results/report_export.h"

namespace qf::trpfit {

namespace {

namespace fs = std::filesystem;

struct ReportArgs {
    std::vector<std::string> inputs;
    std::string outDir;
    std::string dataFile;  // with it, the global fit joins the page and tables
    bool force = false;
};

bool readText(const std::string& path, std::string& text, std::ostream& err) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        err << "trpfit: " << path << ": cannot open the report\n";
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

bool writeText(const fs::path& path, const std::string& text, std::ostream& err) {
    std::string error;
    if (!batch::writeFileAtomically(path, text, error)) {
        err << "trpfit: " << error << "\n";
        return false;
    }
    return true;
}

// Reads the three reports, makes the page, figures and tables in memory and
// writes them; nothing is written when a report cannot be read or, without
// --force, when one of the outputs exists.
int runReport(const ReportArgs& a, std::ostream& out, std::ostream& err) {
    results::ReportPaths paths;
    try {
        paths = results::resolveReportPaths(a.inputs);
    } catch (const results::ReportError& e) {
        err << "trpfit: " << e.what() << "\n";
        return 1;
    }
    figures::ReportTextsInput in;
    in.resultName = paths.result;
    in.graphName = paths.graph;
    in.summaryName = paths.summary;
    in.fileLabel = paths.result;
    if (!readText(paths.result, in.result, err) || !readText(paths.graph, in.graph, err) ||
        !readText(paths.summary, in.summary, err)) {
        return 1;
    }
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
        if (!fit.failure.empty()) {
            err << fit.failure << "\n";
            return 1;
        }
        const auto program = batch::programOf(made.run);
        for (const std::string& w : fit.warnings) {
            fitWarnings.push_back(std::string(program ? programName(*program) : "trpfit") + ": warning: " + w);
        }
        made = figures::reportPageOfRun(made.run, in.fileLabel, true, fit.additions);
    }
    const std::string parent = a.outDir.empty() ? fs::path(paths.result).parent_path().string() : a.outDir;
    const fs::path dir = parent.empty() ? "." : parent;
    std::vector<std::pair<fs::path, const std::string*>> files;
    for (const figures::NamedText& t : made.tables) files.emplace_back(dir / t.name, &t.text);
    files.emplace_back(dir / "report.html", &made.page);
    for (const figures::NamedText& f : made.figures) files.emplace_back(dir / f.name, &f.text);
    std::error_code ec;
    if (!a.force) {
        for (const auto& [path, text] : files) {
            if (fs::exists(path, ec)) {
                err << "trpfit: " << path.string() << ": exists already; use --force to replace it\n";
                return 1;
            }
        }
        // The figures folder is the page's own; one that exists may hold an
        // earlier run's figures.
        if (fs::exists(dir / "figures", ec)) {
            err << "trpfit: " << (dir / "figures").string() << ": exists already; use --force to replace it\n";
            return 1;
        }
    }
    fs::create_directories(dir / "figures", ec);
    if (ec) {
        err << "trpfit: " << (dir / "figures").string() << ": cannot create the folder: " << ec.message() << "\n";
        return 1;
    }
    for (const auto& [path, text] : files) {
        if (!writeText(path, *text, err)) return 1;
    }
    for (const std::string& w : made.warnings) err << "trpfit: " << w << "\n";
    for (const std::string& w : fitWarnings) err << w << "\n";
    for (const auto& [path, text] : files) out << path.string() << "\n";
    return 0;
}

}  // namespace

void addReportCommand(CLI::App& app, CommandContext& context) {
    auto args = std::make_shared<ReportArgs>();
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
        context.status = runReport(*args, std::cout, std::cerr);
    });
}

}  // namespace qf::trpfit
