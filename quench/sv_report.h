#pragma once
// Stern-Volmer lines of the best decomposition: the plot data of the graph
// report and Table 3 of the results report.

#include <span>

#include "textio/matrix.h"
#include "textio/report_lines.h"
#include "textio/report_writer.h"

namespace qf {

// The best lines of n components, as the reports read them.
struct SternVolmerBest {
    int n = 0;
    int nSpec = 0;
    const Matrix* amplitudes = nullptr;  // component by spectrum
    const double* ksv = nullptr;
    const double* ksvSd = nullptr;
    const double* intercept = nullptr;
    const double* r = nullptr;
};

void writeSternVolmerPlot(ReportWriter& graph, const SternVolmerBest& best,
                          std::span<const double> activity);

// "T A B L E 3", its three explanation lines and the column heading (the
// phase-plane tables share it).
void writeTable3Heading(ReportWriter& result);

// An empty line, the heading and one row per component.
void writeTable3(ReportWriter& result, const SternVolmerBest& best, double ksvTrp);

// Bi as Table 3 prints it: to 0.01.
double printedIntercept(double intercept);

}  // namespace qf
