#include "quench/sv_report.h"

#include "quench/stern_volmer.h"
#include "textio/checked.h"
#include "textio/rounding.h"

namespace qf {

void writeSternVolmerPlot(ReportWriter& graph, const SternVolmerBest& best,
                          std::span<const double> activity) {
    graph.endLine();
    writeFixedLine(graph, FixedLine::SternVolmerTitle);
    writeFixedLine(graph, FixedLine::SternVolmerAbscissa);
    writeFixedLine(graph, FixedLine::SternVolmerOrdinate);
    writeValueRow(graph, best.nSpec, [&](int i) {
        return fix(fp::mul(activity[static_cast<std::size_t>(i)], 1000.0) + 0.5) / 1000.0;
    });
    const Matrix& a = *best.amplitudes;
    for (int k = 0; k < best.n; ++k) {
        writeValueRow(graph, best.nSpec, [&](int i) { return roundSym(fp::div(a(k, 0), a(k, i)), 3); });
    }
    for (int k = 0; k < best.n; ++k) {
        writeValueRow(graph, best.nSpec, [&](int i) {
            const double x = activity[static_cast<std::size_t>(i)];
            return roundSym(fp::add(best.intercept[k], fp::mul(best.ksv[k], x)), 3);
        });
    }
}

void writeTable3Heading(ReportWriter& result) {
    writeFixedLine(result, FixedLine::Table3Title);
    writeFixedLine(result, FixedLine::Table3Explanation1);
    writeFixedLine(result, FixedLine::Table3Explanation2);
    result.endLine();
    writeFixedLine(result, FixedLine::Table3Heading);
}

double printedIntercept(double intercept) { return 0.01 * fix(fp::mul(100.0, intercept) + 0.5); }

void writeTable3(ReportWriter& result, const SternVolmerBest& best, double ksvTrp) {
    result.endLine();
    writeTable3Heading(result);
    for (int k = 0; k < best.n; ++k) {
        writeTable3Row(result, {k + 1, false, best.ksv[k], best.ksvSd[k], ksvRelative(best.ksv[k], ksvTrp),
                                ksvRelative(best.ksvSd[k], ksvTrp), printedIntercept(best.intercept[k]),
                                best.r[k]});
    }
}

}  // namespace qf
