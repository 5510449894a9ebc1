#include "phase/phase_report.h"

#include <cmath>

#include "classify/discriminant.h"
#include "classify/summary_report.h"
#include "prep/smoothed_report.h"
#include "quench/sv_report.h"
#include "textio/report_blocks.h"
#include "textio/report_lines.h"
#include "textio/rounding.h"

namespace qf {

void TarnoReport::stageHeadings() { writeStageHeading(r_, stageHeadingName(StageHeading::Tarno), true); }

double TarnoReport::smoothedSpectra(const Spectra& s) {
    return writeSmoothedSpectra(r_.graph, s, 0, Program::Quenfit);
}

void TarnoReport::sternVolmerHeading() {
    r_.graph.endLine();
    writeFixedLine(r_.graph, FixedLine::SternVolmerTitle);
    writeFixedLine(r_.graph, FixedLine::SternVolmerAbscissa);
    writeFixedLine(r_.graph, FixedLine::SternVolmerOrdinate);
}

void TarnoReport::table1Heading() {
    writeFixedLine(r_.result, FixedLine::Table1TitleTarno);
    writeFixedLine(r_.result, FixedLine::Table1Explanation);
    r_.result.endLine();
}

void TarnoReport::table1(const PhasePositions& positions) {
    ReportWriter& w = r_.result;
    writeFixedLine(w, FixedLine::Table1Heading);
    for (std::size_t c = 0; c < 2; ++c) {
        const PhaseComponent& pc = positions.component[c];
        writeTable1Row(w, {static_cast<int>(c + 1), pc.L, pc.DL, pc.V, pc.DV});
    }
    w.endLine();
}

void TarnoReport::table2Heading() {
    ReportWriter& w = r_.result;
    w.endLine();
    writeFixedLine(w, FixedLine::Table2TitleTarno);
    writeFixedLine(w, FixedLine::Table2TarnoExplanation1);
    writeFixedLine(w, FixedLine::Table2TarnoExplanation2);
    w.endLine();
    writeFixedLine(w, FixedLine::Table2Heading);
}

void TarnoReport::table2Rows(double concentration, const SpectrumShare& s) {
    ReportWriter& w = r_.result;
    writeTable2Row(w, {concentration, 1, s.percent[0], s.sd[0], s.area[0], fp::add(s.area[0], s.area[1])});
    writeTable2Row(w, {std::nullopt, 2, s.percent[1], s.sd[1], s.area[1], std::nullopt});
    w.endLine();
}

void TarnoReport::sternVolmerAbscissa(std::span<const double> activity) {
    writeValueRow(r_.graph, static_cast<int>(activity.size()),
                  [&](int i) { return roundTrunc(activity[static_cast<std::size_t>(i)], 3); });
}

void TarnoReport::sternVolmerPoints(std::span<const SpectrumShare> shares, int component) {
    const auto c = static_cast<std::size_t>(component);
    writeValueRow(r_.graph, static_cast<int>(shares.size()), [&](int i) {
        return roundSym(fp::div(shares[0].amp[c], shares[static_cast<std::size_t>(i)].amp[c]), 3);
    });
}

void TarnoReport::sternVolmerLine(const PhaseSternVolmer& sv, std::span<const double> activity) {
    writeValueRow(r_.graph, static_cast<int>(activity.size()), [&](int i) {
        return roundSym(fp::add(sv.intercept, fp::mul(activity[static_cast<std::size_t>(i)], sv.ksv)), 3);
    });
}

void TarnoReport::table3(const std::array<PhaseSternVolmer, 2>& sv) {
    ReportWriter& w = r_.result;
    w.endLine();
    w.endLine();
    writeTable3Heading(w);
    // The phase-plane table prints the component number as bare text.
    for (std::size_t c = 0; c < 2; ++c) {
        writeTable3Row(w, {static_cast<int>(c + 1), true, sv[c].ksv, sv[c].sd, sv[c].relKsv, sv[c].relSd,
                           printedIntercept(sv[c].intercept), sv[c].r});
    }
}

void TarnoReport::residuals(const Matrix& deviation, double step) {
    ReportWriter& g = r_.graph;
    g.endLine();
    writeStepHeading(g, StepTitle::Residuals, step);
    for (int i = 0; i < deviation.rows(); ++i) {
        writeValueRow(g, deviation.cols(), [&](int j) { return roundTrunc(deviation(i, j), 2); });
    }
}

void TarnoReport::curves(const std::array<Matrix, 2>& U) {
    ReportWriter& g = r_.graph;
    g.endLine();
    writeFixedLine(g, FixedLine::TheoreticalTitle);
    for (int i = 0; i < U[0].rows(); ++i) {
        writeValueRow(g, kTarnoCurvePoints, [&](int m) { return roundSym(fp::add(U[0](i, m), U[1](i, m)), 3); });
    }
    g.endLine();
    writeFixedLine(g, FixedLine::ComponentsTitle);
    for (std::size_t k = 0; k < 2; ++k) {
        writeValueRow(g, kTarnoCurvePoints, [&](int m) { return roundSym(U[k](0, m), 3); });
    }
}

void TarnoReport::summary(const PhasePositions& positions, const SpectrumShare& first,
                          double discriminant, int smoothingCycles) {
    writeSummaryHeading(r_.summary);
    writeSummaryStageRow(r_.summary, SummaryMethod::PhasePlane, Program::Quenfit, 2, discriminant, smoothingCycles);
    for (std::size_t c = 0; c < 2; ++c) {
        writeSummaryComponent(r_.summary, static_cast<int>(c + 1), positions.component[c].L,
                              positions.component[c].DL, first.percent[c], first.sd[c]);
    }
    writeRule(r_.summary, '-', 79);
}

void TarnoReport::discriminant(double value) {
    writeGoodnessOfFit(r_.result, value);
    writeRule(r_.result, '-', 77);
    writeGraphDiscriminant(r_.graph, value, 77);
}

void TarnoReport::nextStageHeadings() { writeStageHeading(r_, stageHeadingName(StageHeading::Vela1), true); }

}  // namespace qf
