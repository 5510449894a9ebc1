#pragma once
// trpfit run: many data files at once (see batch/batch.h). The batch
// returns its outcome; the messages and the exit status are made here.

#include <iosfwd>

#include "batch/batch.h"
#include "trpfit/commands.h"

namespace qf::trpfit {

// Runs a batch: the failures of single runs, of files and the progress line
// (with `progressLine`) on `err`, the final line on `out`. Returns the exit
// status: 0 when every input ran well and every file was written, else 1.
int batchCommand(const batch::BatchOptions& options, bool progressLine, std::ostream& out, std::ostream& err);

// Merges the output folders of several batches; the same messages and status.
int mergeCommand(const batch::MergeOptions& options, std::ostream& out, std::ostream& err);

void addRunCommand(CLI::App& app, CommandContext& context);

}  // namespace qf::trpfit
