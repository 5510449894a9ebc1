#pragma once
// `trpfit import`: instrument exports to a data file for quenfit or monofit.

#include "trpfit/commands.h"

namespace qf::trpfit {

void addImportCommand(CLI::App& app, CommandContext& context);

}  // namespace qf::trpfit
