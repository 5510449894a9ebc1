#include "classify/summary_report.h"

#include "classify/spectral_class.h"

namespace qf {

void writeSummaryHeading(ReportWriter& summary) {
    writeFixedLine(summary, FixedLine::SummaryHeading);
    writeRule(summary, '-', 79);
}

void writeSummaryStageRow(ReportWriter& summary, SummaryMethod method, Program program, int componentCount,
                          double discriminant, int smoothingCycles) {
    writeSummaryStageCells(summary, {method, program, componentCount, discriminant, smoothingCycles - 1});
}

void writeSummaryComponent(ReportWriter& summary, int component, double peakNm, double peakError,
                           double contribution, double contributionSd) {
    writeSummaryComponentCells(summary,
                               {component, peakNm, peakError, contribution, contributionSd, spectralClass(peakNm)});
}

void writeSummaryLegendLines(ReportWriter& summary) {
    for (FixedLine line : {FixedLine::Legend1, FixedLine::Legend2, FixedLine::Legend3, FixedLine::Legend4,
                           FixedLine::Legend5, FixedLine::Legend6}) {
        writeFixedLine(summary, line);
    }
    summary.endLine();
}

}  // namespace qf
