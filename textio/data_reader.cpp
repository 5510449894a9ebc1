#include "textio/data_reader.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>

#include "textio/failure.h"

namespace qf {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Quotes a field for a message, cutting very long or binary text short.
std::string quoted(std::string_view text) {
    std::string out = "\"";
    std::size_t shown = 0;
    for (char c : text) {
        if (shown == 40) {
            out += "...";
            break;
        }
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7f) {
            static const char* hex = "0123456789abcdef";
            out += "\\x";
            out += hex[u >> 4];
            out += hex[u & 15];
        } else {
            out += c;
        }
        ++shown;
    }
    return out + "\"";
}

}  // namespace

DataReader DataReader::open(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) fail("cannot open the data file \"" + path + "\": " + std::strerror(errno));
    // A data file holds a few thousand numbers; the bound keeps a device or
    // an endless stream given as the data file from filling the memory.
    std::string text;
    char chunk[1 << 16];
    errno = 0;
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        text.append(chunk, static_cast<std::size_t>(in.gcount()));
        if (text.size() > kMaxFileBytes) {
            fail("the data file \"" + path + "\" is larger than " +
                 std::to_string(kMaxFileBytes >> 20) + " MiB");
        }
    }
    if (in.bad()) {
        // A folder opens but cannot be read ("Is a directory").
        const int cause = errno;
        fail("cannot read the data file \"" + path + "\"" +
             (cause != 0 ? std::string(": ") + std::strerror(cause) : std::string()));
    }
    return DataReader(path, std::move(text));
}

DataReader::DataReader(std::string name, std::string text, int firstLine)
    : name_(std::move(name)), text_(std::move(text)), line_(firstLine) {}

bool DataReader::onlyBlanksLeft() const {
    for (std::size_t i = pos_; i < text_.size(); ++i) {
        const char c = text_[i];
        if (!isBlank(c) && c != '\r' && c != '\n') return false;
    }
    return true;
}

void DataReader::failAt(int line, const std::string& cause) const {
    fail(name_ + ", line " + std::to_string(line) + ": " + cause);
}

bool DataReader::atLineEnd() const { return lineEndAt(pos_); }

bool DataReader::lineEndAt(std::size_t pos) const {
    if (pos >= text_.size()) return false;
    if (text_[pos] == '\n') return true;
    return text_[pos] == '\r' && pos + 1 < text_.size() && text_[pos + 1] == '\n';
}

void DataReader::skipLineEnd() {
    if (text_[pos_] == '\r') ++pos_;
    ++pos_;  // the LF
    ++line_;
}

std::string DataReader::readLine(std::string_view what) {
    if (atEnd()) failAt(line_, "the file ends where " + std::string(what) + " was expected");
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !atLineEnd()) ++pos_;
    std::string line = text_.substr(start, pos_ - start);
    if (pos_ < text_.size()) skipLineEnd();
    return line;
}

bool DataReader::parseNumber(std::string_view text, double& value) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t mantissaDigits = 0;
    while (i < n && isDigit(text[i])) {
        ++i;
        ++mantissaDigits;
    }
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && isDigit(text[i])) {
            ++i;
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
        std::size_t exponentDigits = 0;
        while (i < n && isDigit(text[i])) {
            ++i;
            ++exponentDigits;
        }
        if (exponentDigits == 0) return false;
    }
    if (i != n) return false;
    const std::string copy(text);
    // An overflow while reading a number says nothing about the run's
    // arithmetic: it refuses the field and records no arithmetic event.
    errno = 0;
    const double v = std::strtod(copy.c_str(), nullptr);
    const bool overflow = errno == ERANGE && std::fabs(v) > 1.0;
    if (overflow || !std::isfinite(v)) return false;
    value = v;
    return true;
}

bool DataReader::scanField(std::size_t& pos, int& line, int& fieldLine,
                           std::string_view& field) const {
    while (pos < text_.size()) {
        const char c = text_[pos];
        if (isBlank(c) || c == '\r') {
            ++pos;
        } else if (c == '\n') {
            ++pos;
            ++line;
        } else {
            break;
        }
    }
    if (pos >= text_.size()) return false;
    fieldLine = line;
    const std::size_t start = pos;
    while (pos < text_.size()) {
        const char c = text_[pos];
        if (c == ',' || isBlank(c) || c == '\n' || (c == '\r' && lineEndAt(pos))) break;
        ++pos;
    }
    field = std::string_view(text_.data() + start, pos - start);
    // The delimiter: blanks, then one comma or one line end.
    while (pos < text_.size() && isBlank(text_[pos])) ++pos;
    if (pos < text_.size()) {
        if (text_[pos] == ',') {
            ++pos;
        } else if (lineEndAt(pos)) {
            if (text_[pos] == '\r') ++pos;
            ++pos;  // the LF
            ++line;
        }
    }
    return true;
}

std::string_view DataReader::readField(std::string_view what, int& fieldLine) {
    std::string_view field;
    if (!scanField(pos_, line_, fieldLine, field)) {
        failAt(line_, "the file ends where " + std::string(what) + " was expected");
    }
    if (field.empty()) failAt(fieldLine, "empty field where " + std::string(what) + " was expected");
    return field;
}

DataReader::NumbersLeft DataReader::numbersLeft() const {
    NumbersLeft left;
    std::size_t pos = pos_;
    int line = line_;
    int fieldLine = 0;
    std::string_view field;
    while (scanField(pos, line, fieldLine, field)) {
        double value = 0.0;
        if (!field.empty() && parseNumber(field, value)) {
            if (left.count == 0) left.firstLine = fieldLine;
            ++left.count;
        }
    }
    return left;
}

double DataReader::readParsed(std::string_view what, int& line, std::string_view& field) {
    field = readField(what, line);
    double value = 0.0;
    if (!parseNumber(field, value)) {
        failAt(line, quoted(field) + " is not a number (" + std::string(what) + ")");
    }
    return value;
}

double DataReader::readNumber(std::string_view what) {
    int line = 0;
    std::string_view field;
    return readParsed(what, line, field);
}

int DataReader::readWholeNumber(std::string_view what) {
    int line = 0;
    std::string_view field;
    const double value = readParsed(what, line, field);
    if (value != std::trunc(value) || std::fabs(value) > 1e9) {
        failAt(line, quoted(field) + " is not a whole number (" + std::string(what) + ")");
    }
    return static_cast<int>(value);
}

}  // namespace qf
