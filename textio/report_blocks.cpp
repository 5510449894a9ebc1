#include "textio/report_blocks.h"

#include <string>

namespace qf {

void writeTextCells(ReportWriter& writer, std::initializer_list<TextCell> cells) {
    std::size_t k = 0;
    for (const TextCell& cell : cells) {
        if (cell.column > 0) writer.tab(cell.column);
        writer.printText(cell.text, ++k == cells.size() ? Sep::End : Sep::Join);
    }
}

void writeNumberCells(ReportWriter& writer, std::initializer_list<NumberCell> cells, Sep last) {
    std::size_t k = 0;
    for (const NumberCell& cell : cells) {
        if (cell.column > 0) writer.tab(cell.column);
        writer.printNumber(cell.value, ++k == cells.size() ? last : Sep::Join);
    }
}

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
    writeTextCells(result, {{0, "N comp."}, {19, "L (nm)"}, {29, "DL"}, {44, "V (1/cm)"}, {54, "DV"}});
}

void writeTable2ColumnHeading(ReportWriter& result, bool withConcentration) {
    if (withConcentration) result.printText("Cq", Sep::Join);
    writeTextCells(result, {{7, "N comp."}, {21, "Si, %"}, {35, "s.d., %"}, {48, "Ai"}, {65, "Atotal"}});
}

}  // namespace qf
