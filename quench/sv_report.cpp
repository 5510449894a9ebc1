#include "quench/sv_report.h"

#include <string>

#include "quench/stern_volmer.h"
#include "textio/rounding.h"

namespace qf {

void writeSternVolmerPlot(ReportWriter& graph, const SternVolmerBest& best,
                          std::span<const double> activity) {
    graph.endLine();
    graph.line("DATA for STERN-VOLMER PLOT");
    graph.line("Quencher concentration, M");
    graph.line("Experimental points and theoretical lines for each component");
    for (int i = 0; i < best.nSpec; ++i) {
        graph.writeNumber(fix(activity[static_cast<std::size_t>(i)] * 1000.0 + 0.5) / 1000.0, Sep::Join);
    }
    graph.endLine();
    const Matrix& a = *best.amplitudes;
    for (int k = 0; k < best.n; ++k) {
        for (int i = 0; i < best.nSpec; ++i) graph.writeNumber(roundSym(a(k, 0) / a(k, i), 3), Sep::Join);
        graph.endLine();
    }
    for (int k = 0; k < best.n; ++k) {
        for (int i = 0; i < best.nSpec; ++i) {
            const double x = activity[static_cast<std::size_t>(i)];
            graph.writeNumber(roundSym(best.intercept[k] + best.ksv[k] * x, 3), Sep::Join);
        }
        graph.endLine();
    }
}

void writeTable3Heading(ReportWriter& result) {
    result.line("T A B L E 3");
    result.line("Stern-Volmer quenching constant (Ksv, 1/M), Relative quenching constant(100% corresponds "
                "to the Stern-Volmer constant of Trp in solution, Ksv(Trp))");
    result.line("Free term in Stern-Volmer equation (Bi), in ideal case should equal 1; Linear correlation "
                "coefficients for Stern-Volmer plots (R)");
    result.endLine();
    result.tab(2);
    result.printText("N comp.", Sep::Join);
    result.tab(13);
    result.printText("Ksv, 1/M", Sep::Join);
    result.tab(25);
    result.printText("s.d.", Sep::Join);
    result.tab(37);
    result.printText("Ksv/Ksv(TRP),%", Sep::Join);
    result.tab(53);
    result.printText("s.d.", Sep::Join);
    result.tab(65);
    result.printText("Bi", Sep::Join);
    result.tab(75);
    result.printText("R", Sep::End);
}

void writeTable3(ReportWriter& result, const SternVolmerBest& best, double ksvTrp) {
    result.endLine();
    writeTable3Heading(result);
    for (int k = 0; k < best.n; ++k) {
        // The number prints as a number: a sign place in front, a blank after.
        const std::string label = " " + std::to_string(k + 1) + " ";
        writeTable3Row(result, label,
                       {best.ksv[k], best.ksvSd[k], ksvRelative(best.ksv[k], ksvTrp),
                        ksvRelative(best.ksvSd[k], ksvTrp), best.intercept[k], best.r[k]});
    }
}

void writeTable3Row(ReportWriter& result, std::string_view label, const Table3Row& row) {
    result.tab(5);
    result.printText(label, Sep::Join);
    result.tab(12);
    result.printNumber(row.ksv, Sep::Join);
    result.tab(24);
    result.printNumber(row.ksvSd, Sep::Join);
    result.tab(36);
    result.printNumber(row.relKsv, Sep::Join);
    result.tab(52);
    result.printNumber(row.relKsvSd, Sep::Join);
    result.tab(64);
    result.printNumber(0.01 * fix(100.0 * row.intercept + 0.5), Sep::Join);
    result.tab(74);
    result.printNumber(row.r, Sep::End);
}

}  // namespace qf
