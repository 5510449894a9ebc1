#pragma once
// The line layout of the reports, for reading them back: a LineText builds
// one line the way the programs' print and write operations lay it out
// (sign place and trailing blank of printed numbers, Tab(n) columns, print
// zones of 14 columns, write items joined by ","), so that a reader can
// rebuild a line from the values it took out of it and compare. Number
// tokens are read with parseNumber, which accepts only the reports' own
// number text (".08", "-2.5", "1E-05").

#include <optional>
#include <string>
#include <string_view>

namespace qf::results {

class LineText {
public:
    LineText& text(std::string_view s);
    LineText& number(double value);  // print item: sign place, digits, blank
    LineText& tab(int column);       // Tab(n); fails when past the column
    LineText& zone();                // "," separator of a print item
    LineText& write(double value);   // write item followed by ","
    const std::string& str() const { return line_; }
    // False when a Tab(n) was asked for past column n (the program would
    // have started a new line there).
    bool ok() const { return ok_; }

private:
    std::string line_;
    bool ok_ = true;
};

// The value of a number token as the reports print it, or nothing when the
// token is not such a number or does not print back as the same text.
std::optional<double> parseNumber(std::string_view token);

}  // namespace qf::results
