#pragma once
// Report lines that go to more than one report at once. The lines
// themselves are laid out in textio/report_lines.h.

#include <string_view>

#include "textio/report_lines.h"
#include "textio/report_writer.h"

namespace qf {

// The stage heading in the graph report, then in the results report, there
// after an empty line when `emptyLineInResult`.
void writeStageHeading(Reports& reports, std::string_view name, bool emptyLineInResult);

}  // namespace qf
