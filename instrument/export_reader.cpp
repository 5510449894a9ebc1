// Reading an export: telling its layout, and the layouts that are tables of
// columns (plain columns, column pairs, named header rows, key/value header).
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "instrument/export.h"
#include "instrument/layouts.h"
#include "textio/failure.h"

namespace qf::instrument {

namespace {

constexpr std::size_t kMaxExportBytes = std::size_t{64} << 20;

struct LayoutName {
    Layout layout;
    const char* name;
};

constexpr LayoutName kLayoutNames[] = {
    {Layout::Auto, "auto"},           {Layout::Columns, "columns"},
    {Layout::Pairs, "pairs"},         {Layout::NamedRows, "named-rows"},
    {Layout::KeyValue, "key-value"},  {Layout::HashData, "hash-data"},
    {Layout::Jcamp, "jcamp"},         {Layout::Traces, "traces"},
    {Layout::Matrix, "matrix"},       {Layout::Restarts, "restarts"},
};

std::size_t countOf(std::string_view text, std::string_view word) {
    std::size_t n = 0;
    for (std::size_t at = text.find(word); at != std::string_view::npos;
         at = text.find(word, at + word.size())) {
        ++n;
    }
    return n;
}

// A names row of column pairs: "name,,name,,name" (every second cell empty).
bool isPairNamesRow(std::string_view line) {
    const char delimiter = line.find('\t') != std::string_view::npos ? '\t'
                           : line.find(';') != std::string_view::npos ? ';'
                                                                       : ',';
    const auto fields = splitFields(line, delimiter);
    if (fields.size() < 3) return false;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if ((i % 2 == 0) == fields[i].empty()) return false;
    }
    return true;
}

Layout detectLayout(const std::vector<Line>& lines) {
    bool keyValue = false, namedRows = false, xydata = false, matrix = false;
    bool labels = false, start = false, stop = false, step = false;
    std::size_t firstText = lines.size();
    const std::size_t data = findData(lines, 0);
    for (std::size_t i = 0; i < data; ++i) {
        const std::string text = lowerAscii(trim(readableText(lines[i].text)));
        if (text.empty()) continue;
        if (firstText == lines.size()) firstText = i;
        if (text == "<trace>") return Layout::Traces;
        if (text == "#data") return Layout::HashData;
        if (i == firstText && text == "m0") keyValue = true;
        const std::string key = headerKey(lines[i].text);
        if (key == "xydata") xydata = true;
        if (key == "rawdata" || key == "data points") matrix = true;
        if (key == "short name" || key == "long name") namedRows = true;
        if (key == "scan corr. by file") keyValue = true;
        labels = labels || key == "labels";
        start = start || key == "start";
        stop = stop || key == "stop";
        step = step || key == "step";
    }
    if (xydata) return Layout::Jcamp;
    if (matrix) return Layout::Matrix;
    if (keyValue || (labels && start && stop && step)) return Layout::KeyValue;
    if (namedRows) return Layout::NamedRows;
    if (data < lines.size() && data >= 1) {
        const std::string above = lowerAscii(lines[data - 1].text);
        if (countOf(above, "wavelength") >= 2 || isPairNamesRow(lines[data - 1].text) ||
            (data >= 2 && isPairNamesRow(lines[data - 2].text))) {
            return Layout::Pairs;
        }
    }
    return Layout::Columns;
}

std::vector<ExportSpectrum> readColumns(const Source& source, bool restarts) {
    const std::size_t data = findData(source.lines, 0);
    if (data == source.lines.size()) {
        refuse(source, source.lines.empty() ? 1 : source.lines.back().number,
               "no rows of numbers (a wavelength and at least one intensity) found");
    }
    std::size_t next = 0;
    const Table table = readRows(source.lines, data, source.lines.size(), next);
    std::vector<std::string_view> names;
    int namesLine = 0;
    if (data > 0 && !isBlankLine(source.lines[data - 1].text)) {
        names = splitFields(source.lines[data - 1].text, table.delimiter);
        namesLine = source.lines[data - 1].number;
        if (names.size() < 2) names.clear();
    }
    // Two columns without a header are often several scans one after the
    // other: x starting again begins the next one.
    const bool oneSpectrum = table.columns == 2 && names.empty();
    return spectraFromTable(source, table, names, namesLine, source.stem, restarts || oneSpectrum);
}

std::vector<ExportSpectrum> readPairs(const Source& source) {
    const std::size_t data = findData(source.lines, 0);
    if (data == source.lines.size()) refuse(source, 1, "no rows of numbers found");
    std::size_t next = 0;
    const Table table = readRows(source.lines, data, source.lines.size(), next);
    // Names over units over the data; without a units row the names stand
    // right above the data.
    std::vector<std::string_view> names;
    for (std::size_t back = 1; back <= 2 && back <= data; ++back) {
        if (isPairNamesRow(source.lines[data - back].text)) {
            names = splitFields(source.lines[data - back].text, table.delimiter);
            break;
        }
    }
    std::vector<ExportSpectrum> spectra;
    for (std::size_t p = 0; 2 * p + 1 < table.columns; ++p) {
        const std::size_t xc = 2 * p;
        const std::size_t yc = xc + 1;
        ExportSpectrum s;
        s.name = xc < names.size() && !names[xc].empty() ? readableText(names[xc])
                                                           : source.stem + " " + std::to_string(p + 1);
        for (const Row& row : table.rows) {
            const bool xEmpty = xc >= row.fields.size() || row.fields[xc].empty();
            const bool yEmpty = yc >= row.fields.size() || row.fields[yc].empty();
            if (xEmpty && yEmpty) continue;  // this pair has ended, a longer one goes on
            Sample sample;
            sample.line = row.line;
            std::string flaw;
            if (!fieldValue(table, row, xc, sample.x, flaw)) {
                refuse(source, row.line, "the wavelength of \"" + s.name + "\": " + flaw);
            }
            if (!fieldValue(table, row, yc, sample.y, sample.flaw)) sample.y = 0.0;
            s.samples.push_back(std::move(sample));
        }
        if (!s.samples.empty()) spectra.push_back(std::move(s));
    }
    return spectra;
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
    for (std::size_t c = 0; c < columns; ++c) {
        if (labels[c].empty()) labels[c] = longNames[c];
    }
    std::vector<std::string_view> names;
    for (std::size_t c = 0; c < columns; ++c) {
        // A wavelength unit names the x column even where the label does not.
        names.push_back(lowerAscii(units[c]) == "nm" && labels[c].empty() ? std::string_view("nm")
                                                                          : std::string_view(labels[c]));
    }
    const int namesLine = data > 0 ? source.lines[data - 1].number : 0;
    std::vector<ExportSpectrum> spectra =
        spectraFromTable(source, table, names, namesLine, source.stem, false);
    // The best signal present is taken by default: a corrected ratio before a
    // corrected signal before a raw ratio before a raw signal.
    int best = 0;
    for (const ExportSpectrum& s : spectra) best = std::max(best, signalRank(s.name));
    for (ExportSpectrum& s : spectra) {
        const int rank = signalRank(s.name);
        s.byDefault = best > 0 ? rank == best : true;
        if (rank >= 3) {
            s.corrected = true;
            s.correctedBecause = "its signal \"" + s.name + "\" is a corrected one";
        }
        // Repeated scans: tell the columns apart by source and cycle.
        if (s.column >= 0) {
            const auto c = static_cast<std::size_t>(s.column);
            std::string extra = sources[c];
            if (!cycles[c].empty()) extra += (extra.empty() ? "cycle " : ", cycle ") + cycles[c];
            if (!extra.empty()) s.name += " (" + extra + ")";
        }
    }
    return spectra;
}

bool isTrue(std::string_view value) {
    const std::string v = lowerAscii(trim(value));
    return v == "true" || v == "yes" || v == "on" || v == "1";
}

std::vector<ExportSpectrum> readKeyValue(const Source& source) {
    std::size_t i = 0;
    std::vector<std::string_view> labels;
    std::vector<std::string_view> correctedBy;
    int labelsLine = 0;
    for (; i < source.lines.size() && !looksLikeData(source.lines[i].text); ++i) {
        const std::string_view text = source.lines[i].text;
        if (isBlankLine(text)) continue;
        const char delimiter = text.find('\t') != std::string_view::npos ? '\t' : ',';
        auto fields = splitFields(text, delimiter);
        if (fields.empty()) continue;
        const std::string key = headerKey(fields.front());
        fields.erase(fields.begin());
        if (key == "labels") {
            labels = fields;
            labelsLine = source.lines[i].number;
        }
        if (key == "scan corr. by file") correctedBy = fields;
    }
    if (i == source.lines.size()) refuse(source, 1, "no rows of numbers after the header found");
    std::size_t next = 0;
    const Table table = readRows(source.lines, i, source.lines.size(), next);
    std::vector<std::string_view> names{"Wavelength"};
    names.insert(names.end(), labels.begin(), labels.end());
    std::vector<ExportSpectrum> spectra =
        spectraFromTable(source, table, names, labelsLine, source.stem, false);
    for (std::size_t k = 0; k < spectra.size(); ++k) {
        const std::string_view flag = k < correctedBy.size() ? correctedBy[k]
                                      : correctedBy.empty()  ? std::string_view()
                                                             : correctedBy.front();
        if (isTrue(flag)) {
            spectra[k].corrected = true;
            spectra[k].correctedBecause = "\"Scan Corr. by File\" is " + std::string(trim(flag));
        }
    }
    return spectra;
}

}  // namespace

void refuse(const Source& source, int line, const std::string& cause) {
    fail(source.name + ", line " + std::to_string(line) + ": " + cause);
}

std::string headerKey(std::string_view line) {
    std::string_view t = trim(line);
    while (!t.empty() && (t.front() == '#' || t.front() == '"')) t.remove_prefix(1);
    const std::size_t end = t.find_first_of("=:\t,\"");
    return lowerAscii(trim(readableText(t.substr(0, end))));
}

bool looksLikeData(std::string_view line) {
    const char delimiter = line.find('\t') != std::string_view::npos   ? '\t'
                           : line.find(';') != std::string_view::npos  ? ';'
                           : line.find(',') != std::string_view::npos && line.find(' ') == std::string_view::npos
                               ? ','
                               : ' ';
    auto fields = splitFields(line, delimiter);
    if (delimiter == ' ' && fields.size() < 2 && line.find(',') != std::string_view::npos) {
        fields = splitFields(line, ',');
    }
    if (fields.size() < 2) return false;
    double v = 0.0;
    const bool comma = delimiter != ',';
    if (!parseNumber(fields[0], comma, v)) return false;
    for (std::size_t i = 1; i < fields.size(); ++i) {
        if (parseNumber(fields[i], comma, v)) return true;
    }
    return false;
}

std::size_t findData(const std::vector<Line>& lines, std::size_t begin) {
    for (std::size_t i = begin; i < lines.size(); ++i) {
        if (looksLikeData(lines[i].text)) return i;
    }
    return lines.size();
}

const char* layoutName(Layout layout) {
    for (const LayoutName& n : kLayoutNames) {
        if (n.layout == layout) return n.name;
    }
    return "auto";
}

bool layoutFromName(std::string_view name, Layout& layout) {
    for (const LayoutName& n : kLayoutNames) {
        if (name == n.name) {
            layout = n.layout;
            return true;
        }
    }
    return false;
}

std::string layoutNames() {
    std::string out;
    for (const LayoutName& n : kLayoutNames) {
        if (!out.empty()) out += ", ";
        out += n.name;
    }
    return out;
}

ExportFile readExport(const std::string& name, std::string_view bytes, const ReadOptions& options) {
    Source source;
    source.name = name;
    source.stem = std::filesystem::path(name).stem().string();
    source.options = options;
    const std::string text = fromUtf16(bytes);
    if (const std::string cause = binaryCause(text); !cause.empty()) {
        fail(name + ", line 1: " + cause);
    }
    source.lines = splitLines(text);
    ExportFile file;
    file.name = name;
    file.layout = options.layout == Layout::Auto ? detectLayout(source.lines) : options.layout;
    switch (file.layout) {
        case Layout::Auto:
        case Layout::Columns: file.spectra = readColumns(source, false); break;
        case Layout::Restarts: file.spectra = readColumns(source, true); break;
        case Layout::Pairs: file.spectra = readPairs(source); break;
        case Layout::NamedRows: file.spectra = readNamedRows(source); break;
        case Layout::KeyValue: file.spectra = readKeyValue(source); break;
        case Layout::HashData: file.spectra = readHashData(source); break;
        case Layout::Jcamp: file.spectra = readJcamp(source); break;
        case Layout::Traces: file.spectra = readTraces(source); break;
        case Layout::Matrix: file.spectra = readKeyedMatrix(source); break;
    }
    if (file.spectra.empty()) {
        refuse(source, source.lines.empty() ? 1 : source.lines.back().number,
               std::string("no spectrum found (read as the ") + layoutName(file.layout) + " layout)");
    }
    return file;
}

ExportFile readExportFile(const std::string& path, const ReadOptions& options) {
    std::ifstream in(path, std::ios::binary);
    if (!in) fail(path + ": cannot open the file");
    std::string bytes;
    char chunk[1 << 16];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > kMaxExportBytes) fail(path + ": larger than 64 MiB, not an export of spectra");
    }
    if (in.bad()) fail(path + ": cannot read the file");
    return readExport(path, bytes, options);
}

}  // namespace qf::instrument
