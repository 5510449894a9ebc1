#pragma once
// trpfit report: the three reports of a run as tidy tables.

#include "trpfit/commands.h"

namespace qf::trpfit {

void addReportCommand(CLI::App& app, CommandContext& context);

}  // namespace qf::trpfit
