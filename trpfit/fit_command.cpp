#include "trpfit/fit_command.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <system_error>

#include "batch/run_table.h"
#include "fit/fit_tables.h"
#include "fit/global_fit.h"

namespace qf::trpfit {

namespace fs = std::filesystem;

int fitCommand(const FitCommandOptions& options, std::ostream& out, std::ostream& err) {
    const fs::path data = options.dataFile;
    fs::path dir = options.outDir.empty() ? data.parent_path() : fs::path(options.outDir);
    if (dir.empty()) dir = ".";
    const fs::path targets[2] = {dir / fit::kFitTable, dir / fit::kModelsTable};
    std::error_code ec;
    if (!options.force) {
        // Refused before the fit runs, so nothing is half replaced.
        for (const fs::path& t : targets) {
            if (fs::exists(t, ec)) {
                err << "trpfit: " << t.string() << " exists already; use --force to replace it\n";
                return 1;
            }
        }
    }
    const fit::FitOutcome outcome = fit::fitDataFile(options.dataFile);
    if (!outcome.fit) {
        // The message quenfit or monofit would print for this data file.
        err << outcome.failure << "\n";
        return 1;
    }
    const fit::GlobalFit& result = *outcome.fit;
    for (const std::string& w : result.warnings) {
        err << programName(result.program) << ": warning: " << w << "\n";
    }
    fs::create_directories(dir, ec);
    if (ec) {
        err << "trpfit: " << dir.string() << ": cannot create the folder: " << ec.message() << "\n";
        return 1;
    }
    const std::string texts[2] = {fit::fitCsv(result, options.dataFile),
                                  fit::modelsCsv(result, options.dataFile)};
    for (int i = 0; i < 2; ++i) {
        std::string error;
        if (!batch::writeFileAtomically(targets[i], texts[i], error)) {
            err << "trpfit: " << targets[i].string() << ": " << error << "\n";
            return 1;
        }
        out << targets[i].string() << "\n";
    }
    return 0;
}

void addFitCommand(CLI::App& app, CommandContext& context) {
    auto options = std::make_shared<FitCommandOptions>();
    CLI::App* cmd = app.add_subcommand(
        "fit",
        "Fit all spectra of one data file at once with 1, 2 and 3 components (positions, "
        "Stern-Volmer constants and shares with 95 % intervals) and tell how many components "
        "the data support; writes fit.csv and models.csv");
    cmd->add_option("DATAFILE", options->dataFile, "data file of quenfit or monofit")->required();
    cmd->add_option("-o,--output", options->outDir,
                    "folder for fit.csv and models.csv (default: beside the data file)");
    cmd->add_flag("--force", options->force, "replace fit.csv and models.csv when they exist");
    cmd->callback([options, &context] { context.status = fitCommand(*options, std::cout, std::cerr); });
}

}  // namespace qf::trpfit
