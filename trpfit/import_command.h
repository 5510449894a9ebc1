#pragma once
// `trpfit import`: instrument exports to a data file for quenfit or monofit.

#include <iosfwd>

#include "instrument/import_options.h"
#include "trpfit/commands.h"

namespace qf::trpfit {

// Runs the import and says how it ended on `err`, one line: the summary
// ("trpfit: DATAFILE: ..."), a refusal ("trpfit: FILE, line N: cause") or
// options that contradict each other ("trpfit import: ..."). Returns the
// exit status: 0 done, 1 refused or failed, 2 contradictory options.
int importCommand(const instrument::ImportOptions& options, std::ostream& err);

void addImportCommand(CLI::App& app, CommandContext& context);

}  // namespace qf::trpfit
