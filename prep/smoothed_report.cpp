#include "prep/smoothed_report.h"

#include <cmath>

#include "textio/checked.h"
#include "textio/report_lines.h"
#include "textio/rounding.h"

namespace qf {

namespace {

// Smoothed minus experimental, % of 10000 on a 0.01 grid.
double difference(const Spectra& spectra, int i, int j) {
    return 0.01 * fix(fp::sub(spectra.workSpectra(i, j), spectra.expSpectra(i, j)) + 0.5);
}

double smoothedValue(double x, bool mono) {
    if (mono) return fix(fp::mul(std::fabs(x), 10.0) + 0.5) / 100000.0;
    return sgn(x) * fix(fp::mul(std::fabs(x), 1000.0) + 0.5) / 10000000.0;
}

StepTitle title(int n, bool mono) {
    if (n == 0 && !mono) return StepTitle::SmoothedTarno;
    if (n == 1 || mono) return StepTitle::SmoothedFirst;
    return StepTitle::SmoothedLater;
}

}  // namespace

double writeSmoothedSpectra(ReportWriter& graph, const Spectra& spectra, int n, Program program) {
    const bool mono = program == Program::Monofit;
    writeStepHeading(graph, title(n, mono), spectra.step);
    for (int i = 0; i < spectra.nSpec; ++i) {
        writeValueRow(graph, spectra.nPoints, [&](int j) { return smoothedValue(spectra.workSpectra(i, j), mono); });
    }
    graph.endLine();
    writeStepHeading(graph, StepTitle::Difference, spectra.step);
    double sum = 0.0;
    for (int i = 0; i < spectra.nSpec; ++i) {
        double d = 0.0;
        writeValueRow(
            graph, spectra.nPoints,
            [&](int j) {
                d = difference(spectra, i, j);
                // The three-component and phase-plane stages write the differences unrounded.
                return (n == 3 || n == 0) && !mono ? d : roundSym(d, 2);
            },
            [&](int) { sum = fp::add(sum, fp::mul(d, d)); });
    }
    if (mono) {
        graph.endLine();
        return fp::sqrt(sum / static_cast<double>(spectra.nPoints));
    }
    return fp::sqrt(sum / static_cast<double>(spectra.nSpec) / static_cast<double>(spectra.nPoints));
}

}  // namespace qf
