#include "quench/sv_report.h"

#include <string>

#include "quench/stern_volmer.h"
#include "textio/checked.h"
#include "textio/report_blocks.h"
#include "textio/rounding.h"

namespace qf {

void writeSternVolmerPlot(ReportWriter& graph, const SternVolmerBest& best,
                          std::span<const double> activity) {
    graph.endLine();
    graph.line("DATA for STERN-VOLMER PLOT");
    graph.line("Quencher concentration, M");
    graph.line("Experimental points and theoretical lines for each component");
    for (int i = 0; i < best.nSpec; ++i) {
        graph.writeNumber(fix(fp::mul(activity[static_cast<std::size_t>(i)], 1000.0) + 0.5) / 1000.0, Sep::Join);
    }
    graph.endLine();
    const Matrix& a = *best.amplitudes;
    for (int k = 0; k < best.n; ++k) {
        for (int i = 0; i < best.nSpec; ++i) graph.writeNumber(roundSym(fp::div(a(k, 0), a(k, i)), 3), Sep::Join);
        graph.endLine();
    }
    for (int k = 0; k < best.n; ++k) {
        for (int i = 0; i < best.nSpec; ++i) {
            const double x = activity[static_cast<std::size_t>(i)];
            graph.writeNumber(roundSym(fp::add(best.intercept[k], fp::mul(best.ksv[k], x)), 3), Sep::Join);
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
    writeTextCells(result, {{2, "N comp."}, {13, "Ksv, 1/M"}, {25, "s.d."}, {37, "Ksv/Ksv(TRP),%"}, {53, "s.d."},
                            {65, "Bi"}, {75, "R"}});
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
    writeNumberCells(result,
                     {{12, row.ksv}, {24, row.ksvSd}, {36, row.relKsv}, {52, row.relKsvSd},
                      {64, 0.01 * fix(fp::mul(100.0, row.intercept) + 0.5)}, {74, row.r}},
                     Sep::End);
}

}  // namespace qf
