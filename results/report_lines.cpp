#include "results/report_lines.h"

#include <string>

namespace qf::results {

LineText table3Row(const SternVolmerRow& row, bool phasePlane) {
    LineText line;
    line.tab(5);
    if (phasePlane) {
        line.text(std::to_string(row.component));
    } else {
        line.number(row.component);
    }
    line.tab(12).number(row.ksv).tab(24).number(row.ksvSd).tab(36).number(row.ksvRelPercent).tab(52)
        .number(row.ksvRelSd).tab(64).number(row.b).tab(74).number(row.r);
    return line;
}

}  // namespace qf::results
