#pragma once
// The text level of an export: lines, fields, numbers and the tables of
// numbers that every layout ends in.
//
// Numbers are read by the data-file reader's number rule (the C locale). A decimal comma
// ("276,94") is read as a point when the delimiter is not a comma. Only the
// exact text of a field counts: a field with anything besides the number
// (a unit, a stray byte of a legacy encoding) is not a number.

#include <string>
#include <string_view>
#include <vector>

namespace qf::instrument {

// One line of the export without its line end; `number` is 1-based.
struct Line {
    std::string_view text;
    int number = 0;
};

// Splits at LF, CR LF or a lone CR. A UTF-8 byte-order mark is dropped.
std::vector<Line> splitLines(std::string_view bytes);

// Text saved as UTF-16 (with its byte-order mark) as UTF-8; other bytes
// unchanged. Some instrument software writes its text exports so.
std::string fromUtf16(std::string_view bytes);

// A binary export (an OLE compound file, or data with NUL or other control
// bytes): the cause, else empty.
std::string binaryCause(std::string_view bytes);

// The delimiter of a run of data lines: '\t', ';', ',' or ' ' (blanks).
// Commas count as decimal commas, not as the delimiter, when every line is
// blank-separated numbers such as "300,5 1234,7".
char detectDelimiter(const std::vector<Line>& lines, std::size_t begin, std::size_t end);

// Fields of a line. With ' ' runs of blanks and tabs separate fields and
// leading or trailing blanks make none. With another delimiter every
// delimiter separates; blanks around a field and one pair of double quotes
// are removed. Trailing empty fields (a delimiter at the end of the line)
// are dropped.
std::vector<std::string_view> splitFields(std::string_view line, char delimiter);

std::string_view trim(std::string_view text);
bool isBlankLine(std::string_view text);

// A complete number text: optional sign, digits with an optional point (or
// a comma when `decimalComma`), optional exponent; finite. Blanks around it
// are allowed.
bool parseNumber(std::string_view field, bool decimalComma, double& value);

// Header and footer text made printable: ASCII and well-formed UTF-8 are
// kept, tabs become blanks, a byte of a legacy encoding (Latin-1, Shift JIS)
// becomes U+FFFD and control bytes are skipped.
std::string readableText(std::string_view text);

// Lower-case ASCII copy, for comparing header words.
std::string lowerAscii(std::string_view text);

// A table of numbers as a layout hands it over: one row per data line, the
// fields as text (so that words such as "OVER" are kept for the message).
struct Row {
    int line = 0;
    std::vector<std::string_view> fields;
};

struct Table {
    char delimiter = ' ';
    bool decimalComma = false;
    std::vector<Row> rows;
    std::size_t columns = 0;  // the most fields of any row
};

// Reads data rows from lines[begin] on, up to the first blank line or the
// first line whose first field is not a number (a footer), or `end`.
// `next` receives the index of the first line not taken.
Table readRows(const std::vector<Line>& lines, std::size_t begin, std::size_t end,
               std::size_t& next);

// The number in a field, or the cause why it is none ("\"OVER\" is not a
// number", "empty field").
bool fieldValue(const Table& table, const Row& row, std::size_t column, double& value,
                std::string& flaw);

}  // namespace qf::instrument
