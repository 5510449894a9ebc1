#pragma once
// Quencher of a quenching series: type, concentrations and chemical
// activities (M), and the Stern-Volmer constant of tryptophan in solution for
// that quencher.

#include <vector>

#include "textio/report_writer.h"

namespace qf {

struct QuencherSeries {
    int type = 0;
    std::vector<double> concentration;
    std::vector<double> activity;
    double ksvTrp = 0.0;  // 1/M
};

// Sets ksvTrp and the activities from the type and the concentrations.
// Types 2 to 5 use the activity polynomial of their row; type 1 takes the
// concentration as the activity. A type outside 1 to 5 leaves both as they are.
void setUpQuencher(QuencherSeries& quencher);

// A series needs at least three spectra and two different activities; else
// a failure.
void checkSeries(const QuencherSeries& quencher);

// The two quencher lines of the report file, and the empty lines after them.
void writeQuencherLines(const QuencherSeries& quencher, ReportWriter& result, ReportWriter& graph);

}  // namespace qf
