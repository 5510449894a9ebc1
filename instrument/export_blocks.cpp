// Spectra from tables and matrices, and the layouts that carry a marker line
// ("#DATA", "XYDATA", "RawData", "Data Points") or blocks ("<Trace>").
#include <algorithm>
#include <cmath>

#include "instrument/header_facts.h"
#include "instrument/layouts.h"

namespace qf::instrument {

namespace {

constexpr double kSameX = 0.001;  // nm: two wavelengths this close are one

bool contains(std::string_view text, std::string_view word) {
    return text.find(word) != std::string_view::npos;
}

// A label of a time axis ("Time (s)", "t [min]", "Zeit").
bool isTimeLabel(std::string_view label) {
    const std::string t = lowerAscii(trim(label));
    return contains(t, "time") || contains(t, "zeit") || contains(t, "temps") ||
           contains(t, "tiempo") || contains(t, "(s)") || contains(t, "[s]") ||
           contains(t, "(sec)") || contains(t, "(min)") || contains(t, "[min]") || t == "s" ||
           t == "sec" || t == "t";
}

// Column 0 holds 1, 2, 3 ... (or 0, 1, 2 ...): a row number, not a wavelength.
bool isRowNumberColumn(const Table& table) {
    if (table.rows.size() < 3 || table.columns < 3) return false;
    double first = 0.0;
    std::string flaw;
    if (!fieldValue(table, table.rows.front(), 0, first, flaw) || (first != 0.0 && first != 1.0)) {
        return false;
    }
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        double v = 0.0;
        if (!fieldValue(table, table.rows[r], 0, v, flaw) || v != first + static_cast<double>(r)) {
            return false;
        }
    }
    return true;
}

// Text after the key of a header line ("TITLE=abc", "Sample:<tab>abc").
std::string headerValue(std::string_view line) {
    std::string_view t = trim(line);
    while (!t.empty() && (t.front() == '#' || t.front() == '"')) t.remove_prefix(1);
    const std::size_t end = t.find_first_of("=:\t,");
    if (end == std::string_view::npos) return {};
    std::string_view v = trim(t.substr(end + 1));
    while (!v.empty() && (v.front() == '"' || v.front() == ',' || v.front() == '\t')) v.remove_prefix(1);
    while (!v.empty() && (v.back() == '"' || v.back() == ',' || v.back() == '\t')) v.remove_suffix(1);
    return std::string(trim(readableText(v)));
}

std::size_t nextNonBlank(const std::vector<Line>& lines, std::size_t i) {
    while (i < lines.size() && isBlankLine(lines[i].text)) ++i;
    return i;
}

// After a marker line: an excitation-emission matrix (a first row with a
// corner cell, or one wavelength fewer than the rows below) or plain columns.
std::vector<ExportSpectrum> readAfterMarker(const Source& source, std::size_t marker,
                                            const std::string& baseName) {
    const std::vector<Line>& lines = source.lines;
    const std::size_t first = nextNonBlank(lines, marker + 1);
    if (first == lines.size()) refuse(source, lines[marker].number, "no data after this line");
    std::size_t next = 0;
    const bool firstIsData = looksLikeData(lines[first].text);
    if (firstIsData) {
        Table table = readRows(lines, first, lines.size(), next);
        const std::size_t headerFields = splitFields(lines[first].text, table.delimiter).size();
        const bool shortFirstRow = table.rows.size() >= 2 &&
                                   headerFields + 1 == table.rows[1].fields.size();
        if (!shortFirstRow) {
            return spectraFromTable(source, table, {}, 0, baseName, false);
        }
    }
    const Table table = readRows(lines, first + 1, lines.size(), next);
    if (table.rows.empty()) refuse(source, lines[first].number, "no rows of numbers below this line");
    std::vector<std::string_view> header = splitFields(lines[first].text, table.delimiter);
    if (header.size() + 1 == table.columns) header.insert(header.begin(), std::string_view());
    return matrixSpectra(source, header, lines[first].number, table);
}

// The first number after a header key ("##DELTAX=-0.5"), or `otherwise`.
double headerNumber(const Source& source, std::size_t end, std::string_view key, double otherwise) {
    double v = otherwise;
    for (std::size_t i = 0; i < end; ++i) {
        if (headerKey(source.lines[i].text) != key) continue;
        if (!parseNumber(headerValue(source.lines[i].text), false, v)) {
            refuse(source, source.lines[i].number, "the value of " + std::string(key) + " is not a number");
        }
    }
    return v;
}

// JCAMP-DX "XYDATA=(X++(Y..Y))" in plain numbers: each line holds an x
// and the intensities at x, x + DELTAX, x + 2 DELTAX ..., x and y scaled by
// XFACTOR and YFACTOR.
std::vector<ExportSpectrum> readXPlusPlusY(const Source& source, std::size_t marker,
                                           const std::string& title) {
    const double dx = headerNumber(source, marker, "deltax", 0.0);
    const double xFactor = headerNumber(source, marker, "xfactor", 1.0);
    const double yFactor = headerNumber(source, marker, "yfactor", 1.0);
    if (dx == 0.0) refuse(source, source.lines[marker].number, "X++(Y..Y) data needs DELTAX in the header");
    std::size_t next = 0;
    const Table table = readRows(source.lines, marker + 1, source.lines.size(), next);
    if (table.rows.empty()) {
        refuse(source, source.lines[marker].number,
               "no plain numbers below this line (compressed JCAMP-DX forms are not read; export "
               "the spectrum as plain x and y)");
    }
    ExportSpectrum s;
    s.name = title;
    for (const Row& row : table.rows) {
        double x0 = 0.0;
        std::string flaw;
        fieldValue(table, row, 0, x0, flaw);
        for (std::size_t c = 1; c < row.fields.size(); ++c) {
            Sample sample;
            sample.line = row.line;
            sample.x = x0 * xFactor + static_cast<double>(c - 1) * dx;
            if (fieldValue(table, row, c, sample.y, sample.flaw)) sample.y *= yFactor;
            s.samples.push_back(std::move(sample));
        }
    }
    return {s};
}

}  // namespace

bool isWavelengthLabel(std::string_view label) {
    const std::string t = lowerAscii(trim(label));
    return contains(t, "wavelength") || contains(t, "wellenl") || contains(t, "longueur") ||
           contains(t, "lambda") || contains(t, "(nm)") || contains(t, "[nm]") || t == "nm" ||
           t == "x" || t == "wl";
}

std::vector<ExportSpectrum> spectraFromTable(const Source& source, const Table& table,
                                             const std::vector<std::string_view>& names,
                                             int namesLine, const std::string& baseName,
                                             bool restarts) {
    const std::size_t columns = table.columns;
    // A header of numbers over the value columns: a matrix.
    if (names.size() >= 2) {
        bool numbers = true;
        double v = 0.0;
        for (std::size_t c = 1; c < names.size(); ++c) {
            numbers = numbers && parseNumber(names[c], table.decimalComma, v);
        }
        if (numbers && names.size() == columns) return matrixSpectra(source, names, namesLine, table);
    }
    auto label = [&](std::size_t c) -> std::string_view {
        if (names.size() + 1 == columns) return c == 0 ? std::string_view() : names[c - 1];
        return c < names.size() ? names[c] : std::string_view();
    };
    std::size_t xColumn = columns;
    for (std::size_t c = 0; c < columns && xColumn == columns; ++c) {
        if (isWavelengthLabel(label(c))) xColumn = c;
    }
    const bool rowNumbers = isRowNumberColumn(table);
    if (xColumn == columns) xColumn = rowNumbers ? 1 : 0;
    if (isTimeLabel(label(xColumn))) {
        refuse(source, namesLine,
               "a time trace (its first column is \"" + readableText(label(xColumn)) +
                   "\"), not an emission spectrum");
    }
    std::vector<ExportSpectrum> spectra;
    const std::size_t valueColumns = columns - 1 - (rowNumbers && xColumn != 0 ? 1 : 0);
    for (std::size_t c = 0; c < columns; ++c) {
        if (c == xColumn || (rowNumbers && c == 0 && xColumn != 0)) continue;
        ExportSpectrum s;
        s.column = static_cast<int>(c);
        s.name = !label(c).empty() ? readableText(label(c))
                 : valueColumns == 1 ? baseName
                                     : baseName + ", column " + std::to_string(c + 1);
        for (const Row& row : table.rows) {
            Sample sample;
            sample.line = row.line;
            std::string flaw;
            if (!fieldValue(table, row, xColumn, sample.x, flaw)) {
                refuse(source, row.line, "the wavelength: " + flaw);
            }
            if (!fieldValue(table, row, c, sample.y, sample.flaw)) sample.y = 0.0;
            s.samples.push_back(std::move(sample));
        }
        // A column that ends before the others: its empty tail is no data.
        while (!s.samples.empty() && s.samples.back().flaw == "empty field") s.samples.pop_back();
        if (!s.samples.empty()) spectra.push_back(std::move(s));
    }
    if (!restarts || spectra.size() != 1) return spectra;
    // Every return of x to the first wavelength begins the next spectrum.
    const ExportSpectrum whole = std::move(spectra.front());
    spectra.clear();
    for (const Sample& sample : whole.samples) {
        if (spectra.empty() || (spectra.back().samples.size() > 1 &&
                                std::fabs(sample.x - spectra.back().samples.front().x) <= kSameX)) {
            ExportSpectrum s;
            s.column = whole.column;
            spectra.push_back(std::move(s));
        }
        spectra.back().samples.push_back(sample);
    }
    for (std::size_t k = 0; k < spectra.size(); ++k) {
        spectra[k].name = spectra.size() == 1 ? whole.name : whole.name + " " + std::to_string(k + 1);
    }
    return spectra;
}

std::vector<ExportSpectrum> matrixSpectra(const Source& source,
                                          const std::vector<std::string_view>& header,
                                          int headerLine, const Table& table) {
    std::vector<double> across;
    for (std::size_t c = 1; c < header.size(); ++c) {
        double v = 0.0;
        if (!parseNumber(header[c], table.decimalComma, v)) {
            refuse(source, headerLine,
                   "\"" + readableText(header[c].substr(0, 40)) +
                       "\" in the first row of the matrix is not a wavelength");
        }
        across.push_back(v);
    }
    std::vector<double> down;
    for (const Row& row : table.rows) {
        if (row.fields.size() > header.size()) {
            refuse(source, row.line, "more values than the first row of the matrix has wavelengths");
        }
        double v = 0.0;
        std::string flaw;
        fieldValue(table, row, 0, v, flaw);  // readRows took only rows that start with a number
        down.push_back(v);
    }
    const std::string_view corner = header.empty() ? std::string_view() : header[0];
    source.isMatrix = true;
    source.matrix = matrixOrientation(source, down, across, corner, headerLine);
    const MatrixOrientation orientation = source.matrix.orientation;
    std::vector<ExportSpectrum> spectra;
    auto excitationSpectrum = [&](std::string_view text, double value) {
        ExportSpectrum s;
        s.name = "EX " + readableText(text);
        s.hasExcitation = true;
        s.excitation = value;
        return s;
    };
    if (orientation == MatrixOrientation::ExColumns) {
        for (std::size_t c = 1; c < header.size(); ++c) {
            ExportSpectrum s = excitationSpectrum(header[c], across[c - 1]);
            s.column = static_cast<int>(c);
            for (std::size_t r = 0; r < table.rows.size(); ++r) {
                Sample sample;
                sample.line = table.rows[r].line;
                sample.x = down[r];
                if (!fieldValue(table, table.rows[r], c, sample.y, sample.flaw)) sample.y = 0.0;
                s.samples.push_back(std::move(sample));
            }
            spectra.push_back(std::move(s));
        }
    } else {
        for (std::size_t r = 0; r < table.rows.size(); ++r) {
            const Row& row = table.rows[r];
            ExportSpectrum s = excitationSpectrum(row.fields[0], down[r]);
            for (std::size_t c = 1; c < header.size(); ++c) {
                Sample sample;
                sample.line = row.line;
                sample.x = across[c - 1];
                if (!fieldValue(table, row, c, sample.y, sample.flaw)) sample.y = 0.0;
                s.samples.push_back(std::move(sample));
            }
            spectra.push_back(std::move(s));
        }
    }
    return spectra;
}

std::vector<ExportSpectrum> readHashData(const Source& source) {
    std::string title = source.stem;
    for (std::size_t i = 0; i < source.lines.size(); ++i) {
        const std::string key = headerKey(source.lines[i].text);
        if ((key == "title" || key == "sample" || key == "sample name") &&
            !headerValue(source.lines[i].text).empty()) {
            title = headerValue(source.lines[i].text);
        }
        if (lowerAscii(trim(source.lines[i].text)) == "#data") {
            return readAfterMarker(source, i, title);
        }
    }
    refuse(source, 1, "no line \"#DATA\" found");
}

std::vector<ExportSpectrum> readJcamp(const Source& source) {
    std::string title = source.stem;
    for (std::size_t i = 0; i < source.lines.size(); ++i) {
        const std::string key = headerKey(source.lines[i].text);
        if (key == "title" && !headerValue(source.lines[i].text).empty()) {
            title = headerValue(source.lines[i].text);
        }
        if (key == "xydata") {
            if (lowerAscii(source.lines[i].text).find("x++(y..y)") != std::string::npos) {
                return readXPlusPlusY(source, i, title);
            }
            return readAfterMarker(source, i, title);
        }
    }
    refuse(source, 1, "no line \"XYDATA\" found");
}

std::vector<ExportSpectrum> readTraces(const Source& source) {
    const std::vector<Line>& lines = source.lines;
    std::vector<ExportSpectrum> spectra;
    std::size_t i = 0;
    while (i < lines.size()) {
        if (lowerAscii(trim(lines[i].text)) != "<trace>") {
            ++i;
            continue;
        }
        const int traceLine = lines[i].number;
        std::size_t j = nextNonBlank(lines, i + 1);
        double count = 0.0;
        if (j == lines.size() || !parseNumber(lines[j].text, false, count) || count < 1.0 ||
            count != std::floor(count) || count > 1e6) {
            refuse(source, j == lines.size() ? traceLine : lines[j].number,
                   "a point count must follow \"<Trace>\"");
        }
        j = nextNonBlank(lines, j + 1);
        if (j == lines.size()) refuse(source, traceLine, "a trace name must follow the point count");
        std::string name = std::string(trim(readableText(lines[j].text)));
        if (name.empty()) name = source.stem + " " + std::to_string(spectra.size() + 1);
        j = nextNonBlank(lines, j + 1);
        if (j < lines.size() && !looksLikeData(lines[j].text)) ++j;  // the "X Y" line
        const auto wanted = static_cast<std::size_t>(count);
        const std::size_t end = std::min(lines.size(), j + wanted);
        std::size_t next = 0;
        const Table table = readRows(lines, j, end, next);
        if (table.rows.size() != wanted) {
            refuse(source, next < lines.size() ? lines[next].number : lines.back().number,
                   "trace \"" + name + "\": " + std::to_string(wanted) + " points announced, " +
                       std::to_string(table.rows.size()) + " found");
        }
        for (ExportSpectrum& s : spectraFromTable(source, table, {}, 0, name, false)) {
            spectra.push_back(std::move(s));
        }
        i = next;
    }
    return spectra;
}

std::vector<ExportSpectrum> readKeyedMatrix(const Source& source) {
    for (std::size_t i = 0; i < source.lines.size(); ++i) {
        const std::string key = headerKey(source.lines[i].text);
        if (key != "rawdata" && key != "data points") continue;
        std::vector<ExportSpectrum> spectra = readAfterMarker(source, i, source.stem);
        if (key == "data points") {
            // This layout writes 9999.9 where the detector saturated.
            for (ExportSpectrum& s : spectra) {
                for (Sample& sample : s.samples) {
                    if (sample.flaw.empty() && sample.y == 9999.9) {
                        sample.flaw = "9999.9 marks a saturated point";
                    }
                }
            }
        }
        return spectra;
    }
    refuse(source, 1, "no line \"RawData\" or \"Data Points\" found");
}

}  // namespace qf::instrument
