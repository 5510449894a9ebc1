#pragma once
// Report lines that several stages write alike: rules, the stage heading,
// and the column headings that the phase-plane tables share with those of
// the component fits.

#include <string_view>

#include "textio/report_writer.h"

namespace qf {

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
