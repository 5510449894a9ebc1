#pragma once
// The spectra of a data file as the programs prepare them for their
// decompositions: the first pass over the whole grid (which fixes the
// maximum of the measured standard), then the analysis read of the 320-380
// nm window with the quencher activities, the correction and the
// normalization to 10000. The same library functions, in the same order,
// as the programs' own reads; a file they refuse is refused here with the
// same message.

#include <string>
#include <vector>

#include "prep/spectra.h"
#include "textio/program.h"

namespace qf::fit {

struct PreparedData {
    Program program = Program::Quenfit;
    Spectra spectra;               // workSpectra as the first pass of a stage sees it
    int quencherType = 0;          // series only
    std::vector<double> activity;  // M, one per spectrum (series only)
    double ksvTrp = 0.0;           // 1/M (series only)
    // Correction factor of each window point (standard table over measured
    // standard); it shapes the counting noise of the corrected spectra.
    std::vector<double> correction;
    // The measured standard of each window point over the largest value of
    // the whole recording.
    std::vector<double> standard;
    std::vector<std::string> warnings;
};

// Throws RunFailure with the message the program would print after its name.
PreparedData prepareData(const std::string& name, const std::string& text, Program program);

// The analyser of a data file told from its line 2 as the programs tell it
// (three numbers a single spectrum, five or more a quenching series). A file
// that is neither goes to quenfit, whose reading then refuses it with its
// own message.
Program programOfText(const std::string& text);

}  // namespace qf::fit
