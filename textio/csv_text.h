#pragma once
// Text for the tidy tables and pages beside the reports: valid UTF-8, and
// CSV tables (RFC 4180: a heading row, "," between fields, fields with a
// comma, a quote or a line end quoted with quotes doubled inside, CR LF line
// ends) written by CsvWriter and read back by CsvTable. Data files, folder
// names and titles may come in an old code page; every table and page we
// write must still be UTF-8.

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qf::text {

// The text with every byte that is not part of a valid UTF-8 sequence
// replaced by U+FFFD.
std::string validUtf8(std::string_view text);

// One CSV field: valid UTF-8, quoted when it holds a comma, a quote or a
// line end (quotes doubled inside).
std::string csvField(std::string_view raw);

// A CSV table built row by row: every field goes through csvField.
//
//   CsvWriter csv{"file", "n"};
//   csv.add(name).add("3").end();
//   csv.text();   // "file,n\r\nname,3\r\n"
class CsvWriter {
public:
    CsvWriter() = default;
    explicit CsvWriter(std::initializer_list<std::string_view> heading);
    CsvWriter& add(std::string_view field);
    // A whole row: its fields, then the line end.
    CsvWriter& row(const std::vector<std::string>& fields);
    // Ends the current row.
    CsvWriter& end();
    const std::string& text() const { return text_; }

private:
    std::string text_;
    bool lineStart_ = true;
};

// A CSV table read back: its heading and rows, each row with the line it
// starts on. Columns are found by their name in the heading, so a table
// whose columns moved still reads, and one without a column the reader
// needs fails at once, naming the file, line 1 and the column. Every
// failure is a FileFailure (textio/failure.h) naming the file and line.
class CsvTable {
public:
    // Parses `text`; `path` names the table in failures. Lines end in CR LF
    // or LF; a quoted field may hold commas, quotes ("") and line ends.
    // Fails on a quote inside an unquoted field, text after a closing quote,
    // a quoted field not closed and a CR without LF. An empty text is a
    // table without heading.
    static CsvTable parse(std::string_view text, std::string path);
    // A table of rows already split, read by the same column names.
    CsvTable(std::string path, std::vector<std::string> heading, std::vector<std::vector<std::string>> rows,
             std::vector<int> lines = {});
    CsvTable() = default;

    const std::string& path() const { return path_; }
    const std::vector<std::string>& heading() const { return heading_; }
    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    const std::vector<std::string>& fields(std::size_t row) const { return rows_[row]; }
    // The line of the file the row starts on.
    int lineOf(std::size_t row) const;

    // The column's index; a FileFailure (line 1) when the heading lacks it.
    std::size_t column(std::string_view name) const;
    bool hasColumn(std::string_view name) const;

    // Typed access to a field. A row shorter than the heading, or a field
    // that is not what is asked for, is a FileFailure naming its line and
    // the column.
    const std::string& text(std::size_t row, std::size_t column) const;
    double number(std::size_t row, std::size_t column) const;
    // An empty field is no number.
    std::optional<double> optionalNumber(std::size_t row, std::size_t column) const;

private:
    [[noreturn]] void failAt(std::size_t row, std::size_t column, const std::string& cause) const;

    std::string path_;
    std::vector<std::string> heading_;
    std::vector<std::vector<std::string>> rows_;
    std::vector<int> lines_;  // per row; heading on line 1
};

}  // namespace qf::text
