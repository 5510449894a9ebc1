#include "textio/csv_text.h"

#include "textio/data_reader.h"
#include "textio/failure.h"

namespace qf::text {

std::string validUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        const std::size_t length = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xC2 && c <= 0xDF ? 2 : 0;
        bool valid = length > 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        }
        if (valid && length == 3) {
            const auto d = static_cast<unsigned char>(text[i + 1]);
            valid = !(c == 0xE0 && d < 0xA0) && !(c == 0xED && d >= 0xA0);  // overlong, surrogate
        }
        if (valid && length == 4) {
            const auto d = static_cast<unsigned char>(text[i + 1]);
            valid = !(c == 0xF0 && d < 0x90) && !(c == 0xF4 && d >= 0x90);  // overlong, past U+10FFFF
        }
        if (valid) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out;
}

std::string csvField(std::string_view raw) {
    const std::string text = validUtf8(raw);
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

}  // namespace qf::text

// ------------------------------------------------------------- the writer

namespace qf::text {

CsvWriter::CsvWriter(std::initializer_list<std::string_view> heading) {
    for (std::string_view name : heading) add(name);
    end();
}

CsvWriter& CsvWriter::add(std::string_view field) {
    if (!lineStart_) text_ += ',';
    text_ += csvField(field);
    lineStart_ = false;
    return *this;
}

CsvWriter& CsvWriter::row(const std::vector<std::string>& fields) {
    for (const std::string& f : fields) add(f);
    return end();
}

CsvWriter& CsvWriter::end() {
    text_ += "\r\n";
    lineStart_ = true;
    return *this;
}

// ------------------------------------------------------------- the reader

namespace {

struct ParsedRows {
    std::vector<std::vector<std::string>> rows;
    std::vector<int> lines;
};

ParsedRows parseRows(std::string_view text, const std::string& path) {
    ParsedRows out;
    std::vector<std::string> row;
    std::string field;
    int line = 1;
    int rowLine = 1;
    std::size_t i = 0;
    bool rowOpen = false;
    const auto endRow = [&] {
        row.push_back(std::move(field));
        field.clear();
        out.rows.push_back(std::move(row));
        out.lines.push_back(rowLine);
        row.clear();
        rowOpen = false;
    };
    while (i < text.size()) {
        const char c = text[i];
        if (!rowOpen) rowLine = line;
        if (c == '"' && field.empty()) {
            // A quoted field: up to the closing quote; "" is one quote.
            const int startLine = line;
            ++i;
            for (;;) {
                if (i >= text.size()) throw FileFailure(path, startLine, "quoted field not closed");
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                if (text[i] == '\n') ++line;
                field += text[i++];
            }
            if (i < text.size() && text[i] != ',' && text[i] != '\r' && text[i] != '\n') {
                throw FileFailure(path, line, "text after a quoted field");
            }
            rowOpen = true;
            continue;
        }
        if (c == '"') throw FileFailure(path, line, "quote inside an unquoted field");
        if (c == ',') {
            row.push_back(std::move(field));
            field.clear();
            rowOpen = true;
            ++i;
            continue;
        }
        if (c == '\r' || c == '\n') {
            if (c == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')) {
                throw FileFailure(path, line, "carriage return without line feed");
            }
            i += c == '\r' ? 2 : 1;
            endRow();
            ++line;
            continue;
        }
        field += c;
        rowOpen = true;
        ++i;
    }
    if (rowOpen) endRow();
    return out;
}

}  // namespace

CsvTable CsvTable::parse(std::string_view text, std::string path) {
    ParsedRows parsed = parseRows(text, path);
    if (parsed.rows.empty()) return CsvTable(std::move(path), {}, {});
    std::vector<std::string> heading = std::move(parsed.rows.front());
    parsed.rows.erase(parsed.rows.begin());
    parsed.lines.erase(parsed.lines.begin());
    return CsvTable(std::move(path), std::move(heading), std::move(parsed.rows), std::move(parsed.lines));
}

CsvTable::CsvTable(std::string path, std::vector<std::string> heading, std::vector<std::vector<std::string>> rows,
                   std::vector<int> lines)
    : path_(std::move(path)), heading_(std::move(heading)), rows_(std::move(rows)), lines_(std::move(lines)) {
    // Rows without lines of their own are counted one a line after the heading.
    for (std::size_t r = lines_.size(); r < rows_.size(); ++r) lines_.push_back(static_cast<int>(r) + 2);
}

int CsvTable::lineOf(std::size_t row) const { return row < lines_.size() ? lines_[row] : 0; }

bool CsvTable::hasColumn(std::string_view name) const {
    for (const std::string& h : heading_) {
        if (h == name) return true;
    }
    return false;
}

std::size_t CsvTable::column(std::string_view name) const {
    for (std::size_t c = 0; c < heading_.size(); ++c) {
        if (heading_[c] == name) return c;
    }
    throw FileFailure(path_, 1, "the heading has no column \"" + std::string(name) + "\"");
}

void CsvTable::failAt(std::size_t row, std::size_t column, const std::string& cause) const {
    const std::string name = column < heading_.size() ? heading_[column] : std::to_string(column + 1);
    throw FileFailure(path_, lineOf(row), "column \"" + name + "\": " + cause);
}

const std::string& CsvTable::text(std::size_t row, std::size_t column) const {
    const std::vector<std::string>& fields = rows_.at(row);
    if (column >= fields.size()) {
        failAt(row, column, "the row has " + std::to_string(fields.size()) + " fields, the heading " +
                                std::to_string(heading_.size()));
    }
    return fields[column];
}

std::optional<double> CsvTable::optionalNumber(std::size_t row, std::size_t column) const {
    const std::string& field = text(row, column);
    if (field.empty()) return std::nullopt;
    double value = 0.0;
    if (!DataReader::parseNumber(field, value)) failAt(row, column, "\"" + field + "\" is not a number");
    return value;
}

double CsvTable::number(std::size_t row, std::size_t column) const {
    const std::optional<double> value = optionalNumber(row, column);
    if (!value) failAt(row, column, "no number");
    return *value;
}

}  // namespace qf::text
