#pragma once
// Reading a written data file back the way quenfit or monofit reads it,
// with the project's own data-file reader and its checks: line 2, the
// concentration line, the spectra and the measured standard, the quencher
// series, the correction and the normalization. A file that fails here
// would fail the program's run.

#include <string>
#include <vector>

namespace qf::instrument {

struct DataFileValues {
    int quencherType = 0;
    std::vector<double> concentrations;
    std::vector<std::vector<double>> spectra;  // as written, every grid point
    std::vector<double> standard;
};

// The programs' limits: grid points of a data file, spectra of a series.
int gridPointLimit(bool series);
int seriesSpectraLimit();

// Throws qf::RunFailure with the reader's own message.
DataFileValues readBackDataFile(const std::string& path, bool series);

// The same on the data file's text; `name` names it in the messages.
DataFileValues readBackDataText(const std::string& name, const std::string& text, bool series);

}  // namespace qf::instrument
