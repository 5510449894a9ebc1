#include "classify/discriminant.h"

#include "classify/summary_report.h"
#include "textio/report_lines.h"
#include "textio/rounding.h"

namespace qf {

using fp::Real;

double fitTerm(double fitRms, double svPenalty) {
    return (0.001 * fix(1000.0 * Real(fitRms) * (1.0 + Real(svPenalty)) + 0.5)).value();
}

double seriesDiscriminant(double fitTermValue, double smoothingRms, int n) {
    return (0.001 * fix(1000.0 * (Real(fitTermValue) + smoothingRms) * static_cast<double>(n) + 0.5)).value();
}

double spectrumDiscriminant(double smoothingRms, double fitRms, int n) {
    return (0.001 * fix(1000.0 * (Real(smoothingRms) + fitRms) * static_cast<double>(n) + 0.5)).value();
}

void writeGoodnessOfFit(ReportWriter& result, double value) {
    result.endLine();
    result.endLine();
    writeGoodnessLine(result, value);
    result.endLine();
}

void writeGraphDiscriminant(ReportWriter& graph, double discriminant, int ruleLength) {
    graph.endLine();
    writeGraphDiscriminantLine(graph, discriminant);
    graph.endLine();
    writeRule(graph, '-', ruleLength);
}

}  // namespace qf
