// Layouts whose columns are named by header rows above the data: column
// pairs (a wavelength column before each spectrum) and the named-rows
// layout ("Short Name" / "Long Name" / "Units"), whose columns may be pairs
// too. A wavelength column is never a spectrum.
#include <algorithm>
#include <set>

#include "instrument/layouts.h"

namespace qf::instrument {

namespace {

// The delimiter a header line uses.
char lineDelimiter(std::string_view line) {
    return line.find('\t') != std::string_view::npos   ? '\t'
           : line.find(';') != std::string_view::npos  ? ';'
                                                        : ',';
}

// The signal of a column of a named-rows export, by its short name:
// 4 "S1c / R1c", 3 "S1c", 2 "S1 / R1", 1 "S1", -1 "R1" or "R1c" (reference
// detector), 0 anything else.
int signalRank(std::string_view label) {
    std::string t;
    for (char c : label) {
        if (c != ' ') t += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    // One "S<digits>" or "R<digits>" term with an optional C.
    auto term = [&](std::size_t& i, char letter, bool& corrected) {
        if (i >= t.size() || t[i] != letter) return false;
        std::size_t j = i + 1;
        while (j < t.size() && t[j] >= '0' && t[j] <= '9') ++j;
        if (j == i + 1) return false;
        corrected = j < t.size() && t[j] == 'C';
        i = corrected ? j + 1 : j;
        return true;
    };
    std::size_t i = 0;
    bool sc = false, rc = false;
    if (term(i, 'R', rc)) return i == t.size() ? -1 : 0;
    if (!term(i, 'S', sc)) return 0;
    if (i == t.size()) return sc ? 3 : 1;
    if (t[i] != '/') return 0;
    ++i;
    if (!term(i, 'R', rc) || i != t.size()) return 0;
    return sc ? 4 : 2;
}

// Header rows over the table, top first: each gives one cell per data
// column.
using HeaderRows = std::vector<std::vector<std::string>>;

// The spectra of column groups: every wavelength column with the value
// columns up to the next one. `rows` name them: a value column by its cell
// in the first row, else by its wavelength column's cell there, else by
// the export's name and number; names that repeat get the second row's
// cell (or their number) added.
std::vector<ExportSpectrum> groupedSpectra(const Source& source, const Table& table,
                                           const std::vector<bool>& isX, const HeaderRows& rows) {
    auto cell = [&](std::size_t row, std::size_t c) -> std::string {
        return row < rows.size() && c < rows[row].size() ? rows[row][c] : std::string();
    };
    auto usable = [&](const std::string& name) { return !name.empty() && !isWavelengthLabel(name); };
    std::vector<ExportSpectrum> spectra;
    std::vector<std::string> second;
    std::size_t xc = table.columns;
    for (std::size_t c = 0; c < table.columns; ++c) {
        if (isX[c]) {
            xc = c;
            continue;
        }
        if (xc == table.columns) continue;  // values before the first wavelength column
        ExportSpectrum s;
        s.column = static_cast<int>(c);
        s.name = usable(cell(0, c))    ? cell(0, c)
                 : usable(cell(0, xc)) ? cell(0, xc)
                                       : source.stem + " " + std::to_string(spectra.size() + 1);
        for (const Row& row : table.rows) {
            const bool xEmpty = xc >= row.fields.size() || row.fields[xc].empty();
            const bool yEmpty = c >= row.fields.size() || row.fields[c].empty();
            if (xEmpty && yEmpty) continue;  // this pair has ended, a longer one goes on
            Sample sample;
            sample.line = row.line;
            std::string flaw;
            if (!fieldValue(table, row, xc, sample.x, flaw)) {
                refuse(source, row.line, "the wavelength of \"" + s.name + "\": " + flaw);
            }
            if (!fieldValue(table, row, c, sample.y, sample.flaw)) sample.y = 0.0;
            s.samples.push_back(std::move(sample));
        }
        if (s.samples.empty()) continue;
        second.push_back(cell(1, c));
        spectra.push_back(std::move(s));
    }
    // Names that repeat: told apart by the second row, else by number.
    std::multiset<std::string> names;
    for (const ExportSpectrum& s : spectra) names.insert(s.name);
    std::set<std::string> seconds(second.begin(), second.end());
    const bool secondTells = seconds.size() == spectra.size();
    for (std::size_t k = 0; k < spectra.size(); ++k) {
        if (names.count(spectra[k].name) < 2) continue;
        spectra[k].name += " (" + (secondTells ? second[k] : std::to_string(k + 1)) + ")";
    }
    return spectra;
}

// Up to three lines directly above the data with at least two cells each:
// the header rows of a table, top first.
std::vector<std::size_t> headerBlock(const Source& source, std::size_t data) {
    std::vector<std::size_t> block;
    for (std::size_t back = 1; back <= 3 && back <= data; ++back) {
        const std::string_view t = source.lines[data - back].text;
        if (isBlankLine(t) || splitFields(t, lineDelimiter(t)).size() < 2) break;
        block.insert(block.begin(), data - back);
    }
    return block;
}

}  // namespace

bool isPairNamesRow(std::string_view line) {
    const auto fields = splitFields(line, lineDelimiter(line));
    if (fields.size() < 3) return false;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if ((i % 2 == 0) == fields[i].empty()) return false;
    }
    return true;
}

std::size_t wavelengthCells(std::string_view line) {
    std::size_t n = 0;
    for (std::string_view f : splitFields(line, lineDelimiter(line))) n += isWavelengthLabel(f) ? 1 : 0;
    return n;
}

std::vector<ExportSpectrum> readPairs(const Source& source) {
    const std::size_t data = findData(source.lines, 0);
    if (data == source.lines.size()) refuse(source, 1, "no rows of numbers found");
    std::size_t next = 0;
    const Table table = readRows(source.lines, data, source.lines.size(), next);
    // The header rows: names (over the wavelength or the value column),
    // perhaps long names, perhaps units.
    HeaderRows rows;
    for (std::size_t i : headerBlock(source, data)) {
        std::vector<std::string> cells;
        for (std::string_view f : splitFields(source.lines[i].text, table.delimiter)) {
            cells.push_back(readableText(f));
        }
        rows.push_back(std::move(cells));
    }
    // Wavelength columns where a header row says so, else every second one.
    std::vector<bool> isX(table.columns, false);
    bool told = false;
    for (const auto& cells : rows) {
        std::size_t n = 0;
        for (const std::string& c : cells) n += isWavelengthLabel(c) ? 1 : 0;
        if (n < 2) continue;
        for (std::size_t c = 0; c < table.columns && c < cells.size(); ++c) {
            isX[c] = isX[c] || isWavelengthLabel(cells[c]);
        }
        told = true;
    }
    if (!told) {
        for (std::size_t c = 0; c < table.columns; c += 2) isX[c] = true;
    }
    // The first row holds the names only when it is not the units row alone.
    return groupedSpectra(source, table, isX, rows);
}

std::vector<ExportSpectrum> readNamedRows(const Source& source) {
    const std::size_t data = findData(source.lines, 0);
    if (data == source.lines.size()) refuse(source, 1, "no rows of numbers found");
    std::size_t next = 0;
    const Table table = readRows(source.lines, data, source.lines.size(), next);
    const std::size_t columns = table.columns;
    // Header rows by key; each gives one cell per data column. The key
    // either stands in a column of its own (the longest header row has a
    // field more than the data) or above the first data column.
    static const char* const kKeys[] = {"short name", "long name", "units",
                                        "sourcename", "cyclenumber", "timestamp"};
    auto isHeaderRow = [](std::string_view line) {
        const std::string key = headerKey(line);
        return std::find(std::begin(kKeys), std::end(kKeys), key) != std::end(kKeys);
    };
    std::size_t widest = 0;
    for (std::size_t i = 0; i < data; ++i) {
        if (!isHeaderRow(source.lines[i].text)) continue;
        widest = std::max(widest, splitFields(source.lines[i].text, table.delimiter).size());
    }
    const std::size_t shift = widest > columns ? 1 : 0;
    auto cellsOf = [&](std::string_view key) {
        std::vector<std::string> cells(columns);
        for (std::size_t i = 0; i < data; ++i) {
            if (headerKey(source.lines[i].text) != key) continue;
            const auto fields = splitFields(source.lines[i].text, table.delimiter);
            for (std::size_t c = 0; c < columns; ++c) {
                const std::size_t f = c + shift;
                if (f > 0 && f < fields.size()) cells[c] = readableText(fields[f]);
            }
        }
        return cells;
    };
    std::vector<std::string> labels = cellsOf("short name");
    const std::vector<std::string> longNames = cellsOf("long name");
    const std::vector<std::string> units = cellsOf("units");
    const std::vector<std::string> sources = cellsOf("sourcename");
    const std::vector<std::string> cycles = cellsOf("cyclenumber");
    // Wavelength columns: by unit, short name or long name.
    std::vector<bool> isX(columns, false);
    std::size_t xCount = 0;
    for (std::size_t c = 0; c < columns; ++c) {
        isX[c] = lowerAscii(trim(units[c])) == "nm" || isWavelengthLabel(labels[c]) ||
                 isWavelengthLabel(longNames[c]);
        xCount += isX[c] ? 1 : 0;
    }
    std::vector<ExportSpectrum> spectra;
    if (xCount >= 2) {
        // Pairs (or groups) of a wavelength column and its spectra, named
        // by the first header row.
        spectra = groupedSpectra(source, table, isX, {labels, longNames});
    } else {
        for (std::size_t c = 0; c < columns; ++c) {
            if (labels[c].empty()) labels[c] = longNames[c];
        }
        std::vector<std::string_view> names;
        for (std::size_t c = 0; c < columns; ++c) {
            // A wavelength unit names the x column even where the label does not.
            names.push_back(lowerAscii(units[c]) == "nm" && labels[c].empty()
                                ? std::string_view("nm")
                                : std::string_view(labels[c]));
        }
        const int namesLine = data > 0 ? source.lines[data - 1].number : 0;
        spectra = spectraFromTable(source, table, names, namesLine, source.stem, false);
    }
    // The best signal present is taken by default: a corrected ratio before a
    // corrected signal before a raw ratio before a raw signal.
    auto rankOf = [&](const ExportSpectrum& s) {
        if (s.column < 0) return signalRank(s.name);
        const auto c = static_cast<std::size_t>(s.column);
        return std::max(signalRank(labels[c]), signalRank(longNames[c]));
    };
    auto signalName = [&](const ExportSpectrum& s) {
        if (s.column < 0) return s.name;
        const auto c = static_cast<std::size_t>(s.column);
        return signalRank(labels[c]) >= signalRank(longNames[c]) ? labels[c] : longNames[c];
    };
    int best = 0;
    for (const ExportSpectrum& s : spectra) best = std::max(best, rankOf(s));
    for (ExportSpectrum& s : spectra) {
        const int rank = rankOf(s);
        s.byDefault = best > 0 ? rank == best : true;
        if (rank >= 3) {
            s.corrected = Stated::Yes;
            s.correctedBecause = "its signal \"" + signalName(s) + "\" is a corrected one";
        }
        // Repeated scans: tell the columns apart by source and cycle.
        if (s.column >= 0 && xCount < 2) {
            const auto c = static_cast<std::size_t>(s.column);
            std::string extra = sources[c];
            if (!cycles[c].empty()) extra += (extra.empty() ? "cycle " : ", cycle ") + cycles[c];
            if (!extra.empty()) s.name += " (" + extra + ")";
        }
    }
    return spectra;
}

}  // namespace qf::instrument
