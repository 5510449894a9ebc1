#include "prep/smoothed_report.h"

#include <cmath>

#include "textio/checked.h"
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

const char* title(int n, bool mono) {
    if (n == 0 && !mono) return "SMOOTHED NORMALIZED CORRECTED EXPERIMENTAL SPECTRA, from 320 to 380, Step ";
    if (n == 1 || mono) return "SMOOTHED NORMALIZED CORRECTED EXPERIMENTAL SPECTRA, from 320 to 380 Step ";
    return "SMOOTHED NORMALIZED EXPERIMENTAL SPECTRA, from 320 to 380 Step ";
}

}  // namespace

double writeSmoothedSpectra(ReportWriter& graph, const Spectra& spectra, int n, Program program) {
    const bool mono = program == Program::Monofit;
    graph.printText(title(n, mono), Sep::Join);
    graph.printNumber(spectra.step, Sep::End);
    for (int i = 0; i < spectra.nSpec; ++i) {
        for (int j = 0; j < spectra.nPoints; ++j) {
            graph.writeNumber(smoothedValue(spectra.workSpectra(i, j), mono), Sep::Join);
        }
        graph.endLine();
    }
    graph.endLine();
    graph.printText("DIFERENCE BETWEEN EXPERIMENTAL AND SMOOTHED SPECTRA, % from 320 to 380, Step ",
                    Sep::Join);
    graph.printNumber(spectra.step, Sep::End);
    double sum = 0.0;
    for (int i = 0; i < spectra.nSpec; ++i) {
        for (int j = 0; j < spectra.nPoints; ++j) {
            const double d = difference(spectra, i, j);
            // The three-component and phase-plane stages write the differences unrounded.
            graph.writeNumber((n == 3 || n == 0) && !mono ? d : roundSym(d, 2), Sep::Join);
            sum = fp::add(sum, fp::mul(d, d));
        }
        graph.endLine();
    }
    if (mono) {
        graph.endLine();
        return fp::sqrt(sum / static_cast<double>(spectra.nPoints));
    }
    return fp::sqrt(sum / static_cast<double>(spectra.nSpec) / static_cast<double>(spectra.nPoints));
}

}  // namespace qf
