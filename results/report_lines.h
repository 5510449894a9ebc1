#pragma once
// Report lines that the reader checks by building them again and the writer
// writes: one layout for both.

#include "results/line_text.h"
#include "results/report_model.h"

namespace qf::results {

// A row of Table 3. The phase-plane tables print the component number as
// text (no sign blank), the component fits as a number.
LineText table3Row(const SternVolmerRow& row, bool phasePlane);

}  // namespace qf::results
