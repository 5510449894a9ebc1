#pragma once
// One writer per output file. It keeps the current column (1 at the start of
// a line) and lays out the two kinds of output operation of the reports:
//
//  * print items: text, numbers and Tab(n), each followed by a separator:
//    Sep::Join (";", nothing), Sep::Zone ("," -> next print zone of 14
//    columns) or Sep::End (CR LF). A number prints with a sign place in front
//    (a blank when it is not negative) and one blank after it.
//  * write items: comma-separated numbers for the plot data; a write item
//    followed by Join or Zone writes "," after the number, Sep::End writes
//    CR LF.
//
// Before every operation the record of arithmetic failures is tested, so an
// arithmetic failure ends the run before anything after it is written; the
// message names the report and the item that was to be written.

#include <cstdio>
#include <string>
#include <string_view>

namespace qf {

enum class Sep { Join, Zone, End };

class ReportWriter {
public:
    ReportWriter() = default;
    ReportWriter(const ReportWriter&) = delete;
    ReportWriter& operator=(const ReportWriter&) = delete;
    ~ReportWriter();

    // Creates (truncates) the file. `role` names it in messages ("report file").
    void create(const std::string& path, std::string role);
    // A writer that keeps its text in memory (tests, the discarded trace).
    void openInMemory(std::string role);
    // A writer that holds lines for `target` in memory, starting at the
    // column `target` stands at, until they are appended to it (or dropped).
    void holdFor(const ReportWriter& target);
    // Writes the lines `held` kept; a failed write ends the run as usual.
    void append(const ReportWriter& held);

    void printText(std::string_view text, Sep sep);
    void printNumber(double value, Sep sep);
    // Tab(n) followed by ";".
    void tab(int column);
    // A print operation with the end of line alone.
    void endLine();
    // A print line of one text item.
    void line(std::string_view text) { printText(text, Sep::End); }
    void writeNumber(double value, Sep sep);

    // Writes what is buffered to the file and checks that it arrived.
    void flush();
    // Flushes and closes; a failed close is a run failure.
    void close();

    int column() const { return column_; }
    const std::string& memory() const { return memory_; }
    const std::string& role() const { return role_; }

private:
    // Called when an arithmetic failure is recorded: ends the run, naming
    // this report and the item that was to be written.
    void failBefore(std::string_view item) const;
    void guardNumber(double value) const;
    void emit(std::string_view chars);
    void applySeparator(Sep sep);

    std::FILE* file_ = nullptr;
    bool inMemory_ = false;
    std::string role_;
    std::string path_;
    std::string buffer_;
    std::string memory_;
    int column_ = 1;
};

// The three reports of a run.
struct Reports {
    ReportWriter result;   // file #1: tables
    ReportWriter graph;    // file #2: comma-separated plot data
    ReportWriter summary;  // file #5: one block per decomposition
};

}  // namespace qf
