#pragma once
// trpfit run: many data files at once (see batch/batch.h).

#include "trpfit/commands.h"

namespace qf::trpfit {

void addRunCommand(CLI::App& app, CommandContext& context);

}  // namespace qf::trpfit
