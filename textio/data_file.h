#pragma once
// Layout of the data file.
//
// Quenching series:            Single spectrum:
//   title line                   title line
//   type, n, first, last, step   first, last, step
//   n concentrations (one line)  P values of the spectrum
//   n spectra of P values        P values of the measured standard
//   P values of the measured standard
//
// P = (last - first) / step + 1 grid points; the analysis uses the window of
// W = 60 / step + 1 points from 320 to 380 nm.

#include <string>
#include <string_view>
#include <vector>

#include "textio/capacities.h"
#include "textio/data_reader.h"
#include "textio/grid.h"
#include "textio/matrix.h"
#include "textio/program.h"
#include "textio/report_writer.h"

namespace qf {

struct DataLimits {
    int gridPoints;    // P
    int windowPoints;  // W
    int spectra;       // n in the first pass
};

inline constexpr DataLimits kSeriesLimits{kMaxSeriesPoints, kMaxSeriesPoints, kMaxSeriesSpectra};
inline constexpr DataLimits kSingleLimits{kMaxSpectrumPoints, kMaxSpectrumPoints, 1};

constexpr const DataLimits& dataLimits(Program program) {
    return program == Program::Quenfit ? kSeriesLimits : kSingleLimits;
}

// The warning for numbers after the measured standard: the grid or the
// spectrum count does not fit the file, or the file uses decimal commas.
// `kNumbersLeftMark` is the part of it that tells the warning among a
// program's messages.
inline constexpr std::string_view kNumbersLeftMark = " after the measured standard (from line ";
std::string numbersLeftWarning(std::string_view dataName, const DataReader::NumbersLeft& left);

struct ParameterLine {
    int quencherType = 0;  // series only
    int nSpec = 1;
    Grid grid;
};

// Reads line 2 (five fields for a series, three for a single spectrum) and
// derives P, W, B and A. A grid that does not hold 320 and 380 nm as grid
// points, a step that does not divide the distances, counts beyond the
// limits or a quencher type outside 1 to 5 end the run with a message that
// names the rule.
ParameterLine readParameterLine(DataReader& reader, bool series, const DataLimits& limits);

// First pass: reads the P values of each spectrum, echoing every value to
// the graph file (one comma-separated line per spectrum), then the measured
// standard without echo.
struct FirstPassData {
    Matrix spectra;                 // nSpec x P, as read
    std::vector<double> standard;   // P values
};
FirstPassData readFirstPassSpectra(DataReader& reader, const ParameterLine& params,
                                   ReportWriter& graph);

// Analysis read of the window: for every spectrum B values skipped, W kept,
// A skipped; the same for the measured standard.
struct WindowData {
    Matrix spectra;                // nSpec x W
    std::vector<double> standard;  // W values
};
WindowData readWindow(DataReader& reader, const ParameterLine& params);

// Checks the text that the first pass skips after line 2: it must hold
// exactly n concentrations.
void checkConcentrationLine(const DataReader& reader, int lineNumber, const std::string& text,
                            int nSpec);

}  // namespace qf
