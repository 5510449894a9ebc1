#pragma once
// Everything a run owns: file names, the open reports, the grid and spectra
// of the data file, the quencher series, the stage flags and the results of
// the stages. One RunState lives for one run and is passed explicitly to
// every stage.

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "decomp/decomp_state.h"
#include "driver/stage_state.h"
#include "phase/phase_state.h"
#include "prep/fit_residuals.h"
#include "prep/spectra.h"
#include "quench/quencher.h"
#include "textio/data_reader.h"
#include "textio/program.h"
#include "textio/report_writer.h"

namespace qf {

struct FileNames {
    std::string data;
    std::string result;
    std::string graph;
    std::string summary;
};

struct RunState {
    Program program = Program::Quenfit;
    std::string date;  // MM-DD-YYYY, given by the caller
    FileNames files;
    std::string dataPath;  // the data file actually opened
    // The data file's text, read once; every read of the run starts a fresh
    // reader over it. Empty until the run loads it (from dataPath when no
    // text was given).
    std::optional<DataReader> data;
    Reports reports;

    Grid grid;
    double standardMax = 0.0;  // largest value of the measured standard (first pass)
    Spectra spectra;
    QuencherSeries quencher;

    StageState stage;
    FitResiduals fit;
    VelaBest vela;
    TarnoState tarno;

    // Conditions that did not end the run (numbers after the measured
    // standard; "phase-plane stage: ...; the component fits follow"), in order; each is also written to
    // `warningStream` as "quenfit: warning: ..." when one is set.
    std::vector<std::string> warnings;
    std::ostream* warningStream = nullptr;

    void warn(const std::string& text) {
        warnings.push_back(text);
        if (warningStream != nullptr) {
            *warningStream << programName(program) << ": warning: " << text << "\n";
        }
    }
};

}  // namespace qf
