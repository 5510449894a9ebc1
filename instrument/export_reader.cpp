// Reading an export: telling its layout, and the layouts that are tables of
// columns (plain columns, column pairs, named header rows, key/value header).
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "instrument/export.h"
#include "instrument/header_facts.h"
#include "instrument/layouts.h"
#include "textio/failure.h"

namespace qf::instrument {

namespace {

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
    // Column pairs: a names row "name,,name,,", or several wavelength
    // columns named in the header rows right above the data.
    for (std::size_t back = 1; back <= 3 && back <= data && data < lines.size(); ++back) {
        const std::string_view above = lines[data - back].text;
        if (isBlankLine(above)) break;
        if (isPairNamesRow(above) || wavelengthCells(above) >= 2) return Layout::Pairs;
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

// "True" or "False" of a per-column flag.
Stated flagValue(std::string_view value) {
    const std::string v = lowerAscii(trim(value));
    if (v == "true" || v == "yes" || v == "on" || v == "1") return Stated::Yes;
    if (v == "false" || v == "no" || v == "off" || v == "0") return Stated::No;
    return Stated::Unsaid;
}

std::vector<ExportSpectrum> readKeyValue(const Source& source) {
    std::size_t i = 0;
    std::vector<std::string_view> labels;
    std::vector<std::string_view> correctedBy;
    int labelsLine = 0;
    int correctedLine = 0;
    const std::size_t data = findData(source.lines, 0);
    for (; i < data; ++i) {
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
        if (key == "scan corr. by file") {
            correctedBy = fields;
            correctedLine = source.lines[i].number;
        }
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
        const Stated state = flagValue(flag);
        if (state != Stated::Unsaid) {
            spectra[k].corrected = state;
            spectra[k].correctedBecause = "\"Scan Corr. by File\" is " + std::string(trim(flag));
            spectra[k].correctedLine = correctedLine;
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

namespace {

// The fields of a line as a data row, and whether the delimiter is a comma.
std::vector<std::string_view> rowFields(std::string_view line, bool& commaDelimited) {
    const char delimiter = line.find('\t') != std::string_view::npos   ? '\t'
                           : line.find(';') != std::string_view::npos  ? ';'
                           : line.find(',') != std::string_view::npos && line.find(' ') == std::string_view::npos
                               ? ','
                               : ' ';
    auto fields = splitFields(line, delimiter);
    commaDelimited = delimiter == ',';
    if (delimiter == ' ' && fields.size() < 2 && line.find(',') != std::string_view::npos) {
        fields = splitFields(line, ',');
        commaDelimited = true;
    }
    return fields;
}

}  // namespace

bool looksLikeData(std::string_view line) {
    bool commaDelimited = false;
    const auto fields = rowFields(line, commaDelimited);
    if (fields.size() < 2) return false;
    double v = 0.0;
    const bool comma = !commaDelimited;
    if (!parseNumber(fields[0], comma, v)) return false;
    for (std::size_t i = 1; i < fields.size(); ++i) {
        if (parseNumber(fields[i], comma, v)) return true;
    }
    return false;
}

namespace {

// A row of a table goes on while its first field is a number.
bool startsWithNumber(std::string_view line) {
    const std::string_view t = trim(line);
    const std::size_t end = t.find_first_of("\t;, ");
    double v = 0.0;
    return parseNumber(t.substr(0, end), false, v);
}

}  // namespace

std::size_t findData(const std::vector<Line>& lines, std::size_t begin) {
    std::size_t best = lines.size();
    std::size_t bestLength = 0;
    for (std::size_t i = begin; i < lines.size();) {
        if (!looksLikeData(lines[i].text)) {
            ++i;
            continue;
        }
        // The run goes on over rows whose later fields are words ("OVER"),
        // and begins with such rows of as many fields as its first one.
        std::size_t j = i + 1;
        while (j < lines.size() && startsWithNumber(lines[j].text)) ++j;
        bool comma = false;
        const std::size_t width = rowFields(lines[i].text, comma).size();
        while (i > begin && startsWithNumber(lines[i - 1].text) &&
               rowFields(lines[i - 1].text, comma).size() == width) {
            --i;
        }
        if (j - i > bestLength) {
            best = i;
            bestLength = j - i;
        }
        i = j;
    }
    return best;
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
    source.header = readHeaderFacts(source.lines);
    int traceLine = 0;
    if (const std::string cause = timeTraceCause(source.header, traceLine); !cause.empty()) {
        refuse(source, traceLine, cause);
    }
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
    file.header = source.header;
    file.isMatrix = source.isMatrix;
    file.matrix = source.matrix;
    // A header line about the correction speaks for every spectrum that
    // does not say otherwise by its own column.
    if (file.header.corrected != Stated::Unsaid) {
        for (ExportSpectrum& s : file.spectra) {
            if (s.corrected != Stated::Unsaid) continue;
            s.corrected = file.header.corrected;
            s.correctedBecause = "\"" + file.header.correctedText + "\"";
            s.correctedLine = file.header.correctedLine;
        }
    }
    return file;
}

}  // namespace qf::instrument
