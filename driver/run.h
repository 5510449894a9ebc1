#pragma once
// Entry of both programs: command line, files, the stage loop, failure
// reporting.

#include <iosfwd>
#include <string>
#include <vector>

#include "driver/run_state.h"

namespace qf {

// Four names from the command line (the words after the program name, joined
// by single blanks and split again at every single blank), or the program's
// default names when the split does not give exactly four parts.
FileNames fileNamesFromCommandLine(Program program, const std::vector<std::string>& args);

// Runs one whole analysis: creates the reports, reads the data file and runs
// every stage. Throws RunFailure; the reports keep what was written.
void runAnalysis(RunState& run);

// The whole program: help and version options, the run, and the failure
// line on `err` ("quenfit: cause"). Returns the exit status (0 or 1).
int runProgram(Program program, const std::vector<std::string>& args, const std::string& date,
               std::ostream& out, std::ostream& err);

// Today's date as MM-DD-YYYY.
std::string todayText();

}  // namespace qf
