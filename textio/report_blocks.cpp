#include "textio/report_blocks.h"

namespace qf {

void writeStageHeading(Reports& reports, std::string_view name, bool emptyLineInResult) {
    writeStageHeadingLine(reports.graph, name);
    if (emptyLineInResult) reports.result.endLine();
    writeStageHeadingLine(reports.result, name);
}

}  // namespace qf
