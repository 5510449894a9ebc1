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
};

// "NAME, line N: cause" as a RunFailure.
[[noreturn]] void refuse(const Source& source, int line, const std::string& cause);

// The key of a header line: its text up to '=', ':', a tab or a comma,
// without leading '#' and quotes, lower case.
std::string headerKey(std::string_view line);

// True when the line starts a table of numbers: at least two fields, the
// first and one more of them numbers.
bool looksLikeData(std::string_view line);

// Index of the first line at or after `begin` that looks like data, or
// lines.size().
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

std::vector<ExportSpectrum> readHashData(const Source& source);
std::vector<ExportSpectrum> readJcamp(const Source& source);
std::vector<ExportSpectrum> readTraces(const Source& source);
std::vector<ExportSpectrum> readKeyedMatrix(const Source& source);

}  // namespace qf::instrument
