#pragma once
// Sequential reading of the data file: line reads and field reads.
//
// A field read skips blanks (space or tab) and line ends in front of the
// field; the field ends at a comma, a blank or a line end. Blanks after the
// number are skipped, and one comma or one line end that follows them is
// consumed with them, so "1 ,2", "1,2", "1 2" and "1 <line end> 2" all give
// the fields 1 and 2. The end of the file ends the last field. Line ends are
// LF or CR LF.
//
// Every failure (end of file, a field that is not a number) is a RunFailure
// whose message names the file, the line and the offending text.

#include <cstddef>
#include <string>
#include <string_view>

namespace qf {

class DataReader {
public:
    // Reads the whole file; a file that cannot be opened, or one larger than
    // kMaxFileBytes, is a RunFailure.
    static DataReader open(const std::string& path);
    static constexpr std::size_t kMaxFileBytes = std::size_t{64} << 20;
    // A reader over text already in memory; `name` is used in messages.
    DataReader(std::string name, std::string text, int firstLine = 1);

    // The characters up to the next line end, without it.
    std::string readLine(std::string_view what);
    // The next field as a real number. `what` names it in messages
    // ("spectrum 2, point 14").
    double readNumber(std::string_view what);
    // The next field as a whole number.
    int readWholeNumber(std::string_view what);

    int lineNumber() const { return line_; }
    bool atEnd() const { return pos_ >= text_.size(); }
    // True when nothing but blanks and line ends is left.
    bool onlyBlanksLeft() const;

    // The fields from the position reached to the end of the file that read
    // as numbers (the field rules above; other fields, empty ones included,
    // are passed over), and the line of the first of them. Reads nothing:
    // the position stays where it is.
    struct NumbersLeft {
        std::size_t count = 0;
        int firstLine = 0;
    };
    NumbersLeft numbersLeft() const;
    const std::string& name() const { return name_; }

    // Parses a complete number text: optional sign, digits with an optional
    // point, optional exponent. NaN, infinities, hexadecimal forms and values
    // beyond the double range are not numbers.
    static bool parseNumber(std::string_view text, double& value);

private:
    std::string_view readField(std::string_view what, int& fieldLine);
    // Scans one field from `pos` (on line `line`) and its delimiter, moving
    // both on; false when nothing but blanks and line ends is left.
    bool scanField(std::size_t& pos, int& line, int& fieldLine, std::string_view& field) const;
    double readParsed(std::string_view what, int& line, std::string_view& field);
    [[noreturn]] void failAt(int line, const std::string& cause) const;
    void skipLineEnd();
    bool atLineEnd() const;
    bool lineEndAt(std::size_t pos) const;

    std::string name_;
    std::string text_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

}  // namespace qf
