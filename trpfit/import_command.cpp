#include "trpfit/import_command.h"

#include <iostream>
#include <memory>
#include <string>

#include "instrument/export.h"
#include "instrument/import.h"

namespace qf::trpfit {

int importCommand(const instrument::ImportOptions& options, std::ostream& err) {
    const instrument::ImportTextResult result = instrument::runImport(options);
    switch (result.outcome) {
        case instrument::ImportOutcome::Done:
            err << "trpfit: " << result.summary << "\n";
            return 0;
        case instrument::ImportOutcome::ContradictoryOptions:
            err << "trpfit import: " << result.message << "\n";
            return 2;
        case instrument::ImportOutcome::Refused:
            break;
    }
    err << "trpfit: " << result.message << "\n";
    return 1;
}

void addImportCommand(CLI::App& app, CommandContext& context) {
    auto options = std::make_shared<instrument::ImportOptions>();
    auto program = std::make_shared<std::string>();
    CLI::App* cmd = app.add_subcommand(
        "import",
        "Write one data file for quenfit or monofit from the spectrofluorometer's text exports.\n"
        "FILE:SPECTRUM picks a spectrum by name, 1-based number or, in an excitation-emission\n"
        "matrix, excitation wavelength; without it every spectrum of the file is taken.\n"
        "Several spectra with --quencher and --conc (or --series) make a quenfit series;\n"
        "one spectrum makes a monofit file.");
    cmd->add_option("inputs", options->inputs, "exports to read, FILE[:SPECTRUM], in series order");
    cmd->add_option("-o,--output", options->output, "the data file to write")->required();
    cmd->add_option("--format", options->format,
                    "layout of the exports (default: told from the content): " +
                        instrument::layoutNames());
    cmd->add_option("--matrix", options->matrix,
                    "a matrix whose header does not tell: ex-rows (one row per excitation "
                    "wavelength) or ex-columns (one column per excitation wavelength); without it "
                    "the header decides, else the axis reaching further into the red is the emission");
    cmd->add_option("--grid", options->grid,
                    "FIRST:LAST:STEP in nm (default: 1 nm from the larger of 300 nm and the first "
                    "whole nm every input covers, up to the program's point limit)");
    cmd->add_option("--standard", options->standard,
                    "FILE[:SPECTRUM]: the instrument's recording of the standard");
    cmd->add_flag("--corrected", options->corrected,
                  "the spectra are already corrected for the instrument's sensitivity");
    cmd->add_option("--quencher", options->quencher, "quencher type, 1 to 5")
        ->check(CLI::Range(1, 5));
    cmd->add_option("--conc", options->concentrations,
                    "quencher concentrations (M), one per spectrum in order, e.g. 0,0.1,0.2");
    cmd->add_option("--series", options->series,
                    "CSV manifest with columns file, spectrum, concentration, in series order (files "
                    "relative to the manifest's folder; an empty spectrum takes the file's only one)");
    cmd->add_option("--program", *program, "quenfit or monofit (default: from the count)")
        ->check(CLI::IsMember(programNames()));
    cmd->add_option("--title", options->title, "title line (default: from the input names)")
        ->each([options](const std::string&) { options->hasTitle = true; });
    cmd->add_flag("--override-header", options->overrideHeader,
                  "where --corrected, --standard or --matrix contradicts what an export's header "
                  "states, take the command line's word (said in the summary line)");
    cmd->add_flag("--force", options->force, "overwrite an existing data file");
    cmd->callback([options, program, &context] {
        options->program = programNamed(*program);
        context.status = importCommand(*options, std::cerr);
    });
}

}  // namespace qf::trpfit
