#pragma once
// trpfit fit: the global fit of one data file, written as fit.csv and
// models.csv.

#include <iosfwd>
#include <string>

#include "trpfit/commands.h"

namespace qf::trpfit {

struct FitCommandOptions {
    std::string dataFile;
    std::string outDir;  // empty: the folder of the data file
    bool force = false;
    std::string program;  // "quenfit" or "monofit"; empty: told from the file's line 2
};

// Runs the command: the paths written go to `out`; the programs' warnings
// and messages, and trpfit's own, to `err`. Returns the exit status (0, 1).
int fitCommand(const FitCommandOptions& options, std::ostream& out, std::ostream& err);

void addFitCommand(CLI::App& app, CommandContext& context);

}  // namespace qf::trpfit
