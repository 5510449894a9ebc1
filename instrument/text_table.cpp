#include "instrument/text_table.h"

#include <cmath>

#include "textio/data_reader.h"

namespace qf::instrument {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// "300,5" "-12,25e3": a number whose only separator is one comma.
bool isCommaDecimal(std::string_view field) {
    double v = 0.0;
    return field.find(',') != std::string_view::npos && parseNumber(field, true, v);
}

// Length of a well-formed UTF-8 sequence at text[i], or 0.
std::size_t utf8Length(std::string_view text, std::size_t i) {
    const auto b = static_cast<unsigned char>(text[i]);
    std::size_t n = 0;
    if (b >= 0xc2 && b <= 0xdf) n = 2;
    else if (b >= 0xe0 && b <= 0xef) n = 3;
    else if (b >= 0xf0 && b <= 0xf4) n = 4;
    else return 0;
    if (i + n > text.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((static_cast<unsigned char>(text[i + k]) & 0xc0) != 0x80) return 0;
    }
    return n;
}

}  // namespace

std::vector<Line> splitLines(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    std::vector<Line> lines;
    std::size_t start = 0;
    int number = 1;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\n' && c != '\r') continue;
        lines.push_back({bytes.substr(start, i - start), number++});
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < bytes.size()) lines.push_back({bytes.substr(start), number});
    return lines;
}

std::string fromUtf16(std::string_view bytes) {
    const bool little = bytes.starts_with("\xFF\xFE");
    const bool big = bytes.starts_with("\xFE\xFF");
    if (!little && !big) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() / 2);
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const auto lo = static_cast<unsigned char>(bytes[little ? i : i + 1]);
        const auto hi = static_cast<unsigned char>(bytes[little ? i + 1 : i]);
        const unsigned unit = hi * 256u + lo;
        if (unit < 0x80) {
            out += static_cast<char>(unit);
        } else if (unit < 0x800) {
            out += static_cast<char>(0xC0 | (unit >> 6));
            out += static_cast<char>(0x80 | (unit & 0x3F));
        } else if (unit < 0xD800 || unit > 0xDFFF) {
            out += static_cast<char>(0xE0 | (unit >> 12));
            out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (unit & 0x3F));
        } else {
            out += '?';  // a surrogate half: header text only, never a digit
        }
    }
    return out;
}

std::string binaryCause(std::string_view bytes) {
    static constexpr std::string_view kCompound{"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8};
    if (bytes.substr(0, kCompound.size()) == kCompound) {
        return "a binary file (OLE compound document), not a text export; export the spectra as "
               "text from the instrument's software";
    }
    const std::size_t probe = bytes.size() < 65536 ? bytes.size() : 65536;
    std::size_t control = 0;
    for (std::size_t i = 0; i < probe; ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c == 0) {
            return "a binary file (it holds NUL bytes), not a text export; export the spectra as "
                   "text from the instrument's software";
        }
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f') ++control;
    }
    if (control * 20 > probe) {
        return "a binary file (it holds control bytes), not a text export; export the spectra as "
               "text from the instrument's software";
    }
    return {};
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && (isBlank(text.front()) || text.front() == '\f')) text.remove_prefix(1);
    while (!text.empty() && (isBlank(text.back()) || text.back() == '\f')) text.remove_suffix(1);
    return text;
}

bool isBlankLine(std::string_view text) { return trim(text).empty(); }

std::vector<std::string_view> splitFields(std::string_view line, char delimiter) {
    std::vector<std::string_view> fields;
    if (delimiter == ' ') {
        std::size_t i = 0;
        while (i < line.size()) {
            while (i < line.size() && isBlank(line[i])) ++i;
            const std::size_t start = i;
            while (i < line.size() && !isBlank(line[i])) ++i;
            if (i > start) fields.push_back(line.substr(start, i - start));
        }
        return fields;
    }
    std::size_t start = 0;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        if (i < line.size() && line[i] != delimiter) continue;
        std::string_view field = trim(line.substr(start, i - start));
        if (field.size() >= 2 && field.front() == '"' && field.back() == '"') {
            field = trim(field.substr(1, field.size() - 2));
        }
        fields.push_back(field);
        start = i + 1;
    }
    while (!fields.empty() && fields.back().empty()) fields.pop_back();
    return fields;
}

char detectDelimiter(const std::vector<Line>& lines, std::size_t begin, std::size_t end) {
    bool tab = false, semicolon = false, comma = false;
    std::size_t looked = 0;
    for (std::size_t i = begin; i < end && looked < 50; ++i, ++looked) {
        const std::string_view t = lines[i].text;
        tab = tab || t.find('\t') != std::string_view::npos;
        semicolon = semicolon || t.find(';') != std::string_view::npos;
        comma = comma || t.find(',') != std::string_view::npos;
    }
    if (tab) return '\t';
    if (semicolon) return ';';
    if (!comma) return ' ';
    // Commas and blanks: blank-separated numbers with decimal commas, or
    // comma-separated fields?
    looked = 0;
    for (std::size_t i = begin; i < end && looked < 50; ++i, ++looked) {
        const auto fields = splitFields(lines[i].text, ' ');
        if (fields.empty()) continue;
        if (fields.size() < 2) return ',';
        for (std::string_view f : fields) {
            double v = 0.0;
            if (!parseNumber(f, true, v)) return ',';
        }
        bool any = false;
        for (std::string_view f : fields) any = any || isCommaDecimal(f);
        if (!any) return ',';
    }
    return ' ';
}

bool parseNumber(std::string_view field, bool decimalComma, double& value) {
    field = trim(field);
    if (field.empty()) return false;
    bool negative = false;
    if (field.front() == '+' || field.front() == '-') {
        negative = field.front() == '-';
        field.remove_prefix(1);
    }
    // A number starts with a digit or a point (no "nan", "inf" or second sign).
    if (field.empty() || !(isDigit(field.front()) || field.front() == '.' ||
                           (decimalComma && field.front() == ','))) {
        return false;
    }
    std::string copy;
    if (decimalComma && field.find(',') != std::string_view::npos) {
        if (field.find('.') != std::string_view::npos) return false;
        if (field.find(',') != field.rfind(',')) return false;
        copy.assign(field);
        copy[copy.find(',')] = '.';
        field = copy;
    }
    // A point alone, or a point with no digit beside it, is no number.
    bool digit = false;
    for (char c : field) {
        if (c == 'e' || c == 'E') break;
        digit = digit || isDigit(c);
    }
    if (!digit) return false;
    double v = 0.0;
    if (!DataReader::parseNumber(field, v)) return false;
    value = negative ? -v : v;
    return true;
}

std::string readableText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\t') {
            out += ' ';
            ++i;
        } else if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
            ++i;
        } else if (const std::size_t n = utf8Length(text, i); n > 0) {
            out.append(text.substr(i, n));
            i += n;
        } else if (c >= 0x80) {
            // A byte of another code page (a Latin-1 letter) is shown as the
            // replacement character, so that the text keeps its length and
            // a reader sees a letter is missing.
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            ++i;
        }
    }
    return out;
}

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

Table readRows(const std::vector<Line>& lines, std::size_t begin, std::size_t end,
               std::size_t& next) {
    // The delimiter from the lines up to the first blank one.
    std::size_t stop = begin;
    while (stop < end && !isBlankLine(lines[stop].text)) ++stop;
    Table table;
    table.delimiter = detectDelimiter(lines, begin, stop);
    table.decimalComma = table.delimiter != ',';
    std::size_t i = begin;
    for (; i < stop; ++i) {
        Row row{lines[i].number, splitFields(lines[i].text, table.delimiter)};
        double x = 0.0;
        if (row.fields.empty() || !parseNumber(row.fields.front(), table.decimalComma, x)) break;
        if (row.fields.size() > table.columns) table.columns = row.fields.size();
        table.rows.push_back(std::move(row));
    }
    next = i;
    return table;
}

bool fieldValue(const Table& table, const Row& row, std::size_t column, double& value,
                std::string& flaw) {
    if (column >= row.fields.size() || row.fields[column].empty()) {
        flaw = "empty field";
        return false;
    }
    if (parseNumber(row.fields[column], table.decimalComma, value)) return true;
    std::string shown = readableText(row.fields[column].substr(0, 40));
    flaw = "\"" + shown + "\" is not a number";
    return false;
}

}  // namespace qf::instrument
