#pragma once
// Entry of both programs: command line, files, the stage loop, failure
// reporting.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "driver/run_state.h"

namespace qf {

// The four names of a command line (the words after the program name): the
// program's default names when there are no words; otherwise the words are
// joined by single blanks and split again at every single blank, and exactly
// four parts, none of them empty and none beginning with '-' (an option),
// are the data, report, graph and summary names. Any other command line is a
// usage error: no names.
std::optional<FileNames> fileNamesFromCommandLine(Program program,
                                                  const std::vector<std::string>& args);

// Runs one whole analysis: checks the names, reads the data file, checks it
// in memory (first pass and first analysis read), creates the reports and
// runs every stage. Throws RunFailure; a data file that cannot be read or
// is refused by the check leaves every file as it was, a later failure
// leaves the reports with what was written.
void runAnalysis(RunState& run);

// The whole program: help and version options, the usage error, the run,
// the warning about numbers after the measured standard and the failure
// line on `err` ("quenfit: cause"). Returns the exit status: 0 the run
// completed, 1 it failed, 2 a usage error (no file was touched).
int runProgram(Program program, const std::vector<std::string>& args, const std::string& date,
               std::ostream& out, std::ostream& err);

// Today's date as MM-DD-YYYY.
std::string todayText();

}  // namespace qf
