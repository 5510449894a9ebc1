#include "textio/report_blocks.h"

#include <string>

namespace qf {

void writeRule(ReportWriter& writer, char c, int count) {
    writer.line(std::string(static_cast<std::size_t>(count), c));
}

void writeStageHeading(Reports& reports, std::string_view name, bool emptyLineInResult) {
    const std::string heading = "SUBPROGRAMM " + std::string(name);
    reports.graph.tab(40);
    reports.graph.printText(heading, Sep::End);
    if (emptyLineInResult) reports.result.endLine();
    reports.result.tab(40);
    reports.result.printText(heading, Sep::End);
}

void writeTable1ColumnHeading(ReportWriter& result) {
    result.printText("N comp.", Sep::Join);
    result.tab(19);
    result.printText("L (nm)", Sep::Join);
    result.tab(29);
    result.printText("DL", Sep::Join);
    result.tab(44);
    result.printText("V (1/cm)", Sep::Join);
    result.tab(54);
    result.printText("DV", Sep::End);
}

void writeTable2ColumnHeading(ReportWriter& result, bool withConcentration) {
    if (withConcentration) result.printText("Cq", Sep::Join);
    result.tab(7);
    result.printText("N comp.", Sep::Join);
    result.tab(21);
    result.printText("Si, %", Sep::Join);
    result.tab(35);
    result.printText("s.d., %", Sep::Join);
    result.tab(48);
    result.printText("Ai", Sep::Join);
    result.tab(65);
    result.printText("Atotal", Sep::End);
}

}  // namespace qf
