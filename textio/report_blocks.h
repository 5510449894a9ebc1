#pragma once
// Report lines that several stages write alike: rules, the stage heading,
// and the column headings that the phase-plane tables share with those of
// the component fits.

#include <initializer_list>
#include <string_view>

#include "textio/report_writer.h"

namespace qf {

// Items of a table line at fixed columns: Tab(column) (none for column 0),
// then the item followed by ";".
struct TextCell {
    int column;
    std::string_view text;
};
struct NumberCell {
    int column;
    double value;
};

// Text cells ending the line (column headings).
void writeTextCells(ReportWriter& writer, std::initializer_list<TextCell> cells);
// Number cells; the last is followed by `last` (Sep::End ends the line).
void writeNumberCells(ReportWriter& writer, std::initializer_list<NumberCell> cells, Sep last);

// A line of `count` copies of `c`.
void writeRule(ReportWriter& writer, char c, int count);

// Tab(40); "SUBPROGRAMM <name>" in the graph file, then in the results
// report, there after an empty line when `emptyLineInResult`.
void writeStageHeading(Reports& reports, std::string_view name, bool emptyLineInResult);

// "N comp.  L (nm)  DL  V (1/cm)  DV" of Table 1.
void writeTable1ColumnHeading(ReportWriter& result);

// "[Cq] N comp.  Si, %  s.d., %  Ai  Atotal" of Table 2.
void writeTable2ColumnHeading(ReportWriter& result, bool withConcentration);

}  // namespace qf
