#include "trpfit/fit_command.h"

#include <filesystem>
#include <iostream>
#include <memory>

#include "fit/fit_tables.h"
#include "fit/global_fit.h"
#include "outputs/output_names.h"
#include "outputs/output_set.h"
#include "textio/failure.h"

namespace qf::trpfit {

namespace fs = std::filesystem;

int fitCommand(const FitCommandOptions& options, std::ostream& out, std::ostream& err) {
    const fs::path data = options.dataFile;
    outputs::OutputSet files(options.outDir.empty() ? data.parent_path() : fs::path(options.outDir));
    try {
        // Refused before the fit runs, so nothing is half replaced.
        files.add(outputs::kFitTable, "");
        files.add(outputs::kModelsTable, "");
        if (!options.force) files.refuseExisting();
        const fit::FitOutcome outcome = fit::fitDataFile(options.dataFile, programNamed(options.program));
        if (!outcome.fit) {
            // The message quenfit or monofit would print for this data file
            // (for one written for the other program: "analyse it with ...").
            err << outcome.failure << "\n";
            return 1;
        }
        const fit::GlobalFit& result = *outcome.fit;
        for (const std::string& w : result.warnings) {
            err << programName(result.program) << ": warning: " << w << "\n";
        }
        files.add(outputs::kFitTable, fit::fitCsv(result, options.dataFile));
        files.add(outputs::kModelsTable, fit::modelsCsv(result, options.dataFile));
        for (const fs::path& path : files.write()) out << path.string() << "\n";
        return 0;
    } catch (const FileFailure& f) {
        err << "trpfit: " << f.what() << "\n";
        return 1;
    }
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
    cmd->add_option("--program", options->program,
                    "read the file as this program does instead of telling it from the file")
        ->check(CLI::IsMember({"quenfit", "monofit"}));
    cmd->callback([options, &context] { context.status = fitCommand(*options, std::cout, std::cerr); });
}

}  // namespace qf::trpfit
