#pragma once
// The readers of the single layouts, shared by export_reader.cpp (detection,
// column layouts) and export_blocks.cpp (layouts with a marker line or
// blocks). Internal to the instrument library.

#include <string>
#include <string_view>
#include <vector>

#include "instrument/export.h"
#include "instrument/text_table.h"

namespace qf::instrument {

// An export split into lines, with what the user asked for.
struct Source {
    std::string name;  // for messages
    std::string stem;  // file name without folder and extension, for spectrum names
    std::vector<Line> lines;
    ReadOptions options;
    HeaderFacts header;
    // Filled by the matrix reader: how the orientation was told.
    mutable bool isMatrix = false;
    mutable MatrixFacts matrix;
};

// "NAME, line N: cause" as a RunFailure.
[[noreturn]] void refuse(const Source& source, int line, const std::string& cause);

// The key of a header line: its text up to '=', ':', a tab or a comma,
// without leading '#' and quotes, lower case.
std::string headerKey(std::string_view line);

// True when the line starts a table of numbers: at least two fields, the
// first and one more of them numbers.
bool looksLikeData(std::string_view line);

// Index of the first line of the data table at or after `begin`, or
// lines.size(): the longest run of consecutive lines that look like data
// (the first of equally long ones), so that a few number lines in a header
// ("1 0 0", "539 328") are never taken for the table.
std::size_t findData(const std::vector<Line>& lines, std::size_t begin);

// The spectra of a table of columns. `names` (may be empty) is the header
// row over it. The x column is the one whose header names the wavelength,
// else the column after a column of row numbers, else the first. A header
// whose other cells are all numbers makes it an excitation-emission matrix.
// With `restarts` every return of x to its first value begins the next
// spectrum.
std::vector<ExportSpectrum> spectraFromTable(const Source& source, const Table& table,
                                             const std::vector<std::string_view>& names,
                                             int namesLine, const std::string& baseName,
                                             bool restarts);

// The spectra of an excitation-emission matrix: `header` is the first row
// (a corner cell, then the wavelengths across), `table` the rows below it
// (a wavelength, then the values).
std::vector<ExportSpectrum> matrixSpectra(const Source& source,
                                          const std::vector<std::string_view>& header,
                                          int headerLine, const Table& table);

// A header cell that names a wavelength column ("Wavelength (nm)", "nm", "WL").
bool isWavelengthLabel(std::string_view label);

// A names row of column pairs: "name,,name,,name" (every second cell empty).
bool isPairNamesRow(std::string_view line);

// How many cells of a header line name a wavelength column.
std::size_t wavelengthCells(std::string_view line);

// How a matrix lies (down: the first column's wavelengths, across: the
// first row's). Refuses, naming the line, a --matrix that contradicts what
// the export states (unless --override-header) and a matrix that cannot
// tell.
MatrixFacts matrixOrientation(const Source& source, const std::vector<double>& down,
                              const std::vector<double>& across, std::string_view corner,
                              int headerLine);

std::vector<ExportSpectrum> readPairs(const Source& source);
std::vector<ExportSpectrum> readNamedRows(const Source& source);
std::vector<ExportSpectrum> readHashData(const Source& source);
std::vector<ExportSpectrum> readJcamp(const Source& source);
std::vector<ExportSpectrum> readTraces(const Source& source);
std::vector<ExportSpectrum> readKeyedMatrix(const Source& source);

}  // namespace qf::instrument
