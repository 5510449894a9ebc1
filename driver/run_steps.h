#pragma once
// The steps of a run that the command-line programs and the in-memory
// analysis share: telling the program from line 2, checking the data before
// any report exists, and the stages from the first pass to the legend.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "driver/run_state.h"

namespace qf {

// The data name a program reads without a command line: "DATA." or "DATAM.".
std::string defaultDataName(Program program);

// The program a data file is written for, told from its line 2: three
// numbers for monofit (first, last, step), five or more for quenfit (type,
// count, first, last, step and possibly the concentrations). Fields are
// separated by blanks, tabs and one comma, as the data reader separates
// them. Returns nothing and sets `why` when the text is not a data file
// ("not a data file: line 2 is empty", ...).
std::optional<Program> programFromLineTwo(std::string_view text, std::string& why);

// Runs the first pass and the first analysis read of the run's data (loaded
// from run.dataPath when not given) on reports held in memory and then
// dropped: layout, counts, numbers, the parameter line and the grid rules,
// the measured standard and the correction, and for a series the quencher
// type, concentrations and series rules. Nothing is written anywhere. On a
// failure the warnings the check drew go to the run (run.warn) and the
// failure is thrown as RunFailure; a file written for the other program is
// named as such ("line 2 holds 3 numbers, the parameter line of a single
// spectrum: analyse it with monofit").
void checkDataFile(RunState& run);

// Called with the stage's name ("TARNO", "VELA-I" ... "VELA-MONO-III") when
// a stage starts reading its spectra.
using StageProgress = std::function<void(const std::string& stage)>;

// The whole analysis on the run's reports, which must be open: the first
// pass, every stage with its analysis read, the summary legend. Leaves the
// reports open; throws RunFailure as the stages do.
void runStages(RunState& run, const StageProgress& progress);

}  // namespace qf
