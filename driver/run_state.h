#pragma once
// Everything a run owns: file names, the open reports, the grid and spectra
// of the data file, the quencher series, the stage flags and the results of
// the stages. One RunState lives for one run and is passed explicitly to
// every stage.

#include <string>
#include <vector>

#include "decomp/vela_state.h"
#include "phase/tarno_state.h"
#include "prep/spectra.h"
#include "prep/stage_state.h"
#include "quench/quencher.h"
#include "textio/data_reader.h"
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
    Reports reports;

    Grid grid;
    double standardMax = 0.0;  // largest value of the measured standard (first pass)
    // Fields that read as numbers after the measured standard (first pass);
    // the driver warns about them.
    DataReader::NumbersLeft afterStandard;
    Spectra spectra;
    QuencherSeries quencher;

    StageState stage;
    FitResiduals fit;
    VelaBest vela;
    TarnoState tarno;
};

}  // namespace qf
