#pragma once
// The summary report: column heading, one block per decomposition (a stage
// row continued by the line of its first component, one line per further
// component, a closing rule) and the legend.

#include <string_view>

#include "textio/report_lines.h"
#include "textio/report_writer.h"

namespace qf {

// "PROGRAMM  DISCR. Nsc N Lm,nm S,% CLASS" and a line of 79 hyphens.
void writeSummaryHeading(ReportWriter& summary);

// The start of a stage row: the label of the method (a component fit's
// spelled as `program` spells it, followed by the component count), the
// discriminant and Nsc - 1. The line stays open for the first component.
void writeSummaryStageRow(ReportWriter& summary, SummaryMethod method, Program program, int componentCount,
                          double discriminant, int smoothingCycles);

// One component: number, peak +/- its error, contribution +/- its s.d., class.
void writeSummaryComponent(ReportWriter& summary, int component, double peakNm, double peakError,
                           double contribution, double contributionSd);

// The legend and the empty line that close the summary report.
void writeSummaryLegendLines(ReportWriter& summary);

}  // namespace qf
