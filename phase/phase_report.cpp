#include "phase/phase_report.h"

#include <cmath>

#include "classify/discriminant.h"
#include "classify/summary_report.h"
#include "prep/smoothed_report.h"
#include "quench/sv_report.h"
#include "textio/report_blocks.h"
#include "textio/rounding.h"

namespace qf {

void TarnoReport::stageHeadings() { writeStageHeading(r_, "TARNO", true); }

double TarnoReport::smoothedSpectra(const Spectra& s) {
    return writeSmoothedSpectra(r_.graph, s, 0, Program::Quenfit);
}

void TarnoReport::sternVolmerHeading() {
    r_.graph.endLine();
    r_.graph.line("DATA for STERN-VOLMER PLOT");
    r_.graph.line("Quencher concentration, M");
    r_.graph.line("Experimental points and theoretical lines for each component");
}

void TarnoReport::table1Heading() {
    r_.result.line("T A B L E  1");
    r_.result.line("Maximum position of spectral components in wavelengths (L, nm) and wavenumbers (V, 1/cm)");
    r_.result.endLine();
}

void TarnoReport::table1(const PhasePositions& positions) {
    ReportWriter& w = r_.result;
    writeTable1ColumnHeading(w);
    const char* labels[2] = {" 1 ", " 2 "};
    for (std::size_t c = 0; c < 2; ++c) {
        const PhaseComponent& pc = positions.component[c];
        w.printText(labels[c], Sep::Join);
        writeNumberCells(w, {{18, pc.L}, {28, pc.DL}, {43, pc.V}, {53, pc.DV}}, Sep::End);
    }
    w.endLine();
}

void TarnoReport::table2Heading() {
    ReportWriter& w = r_.result;
    w.endLine();
    w.line("T A B L E  2");
    w.line("Quencher concentration (Cq, M), Contribution of spectral components into the area under the spectrum in % (Si, %)");
    w.line("Standart error (s.d., %); Area under spectral components (Ai), Area under the whole spectrum (Atotal=Sum(Ai))");
    w.endLine();
    writeTable2ColumnHeading(w, true);
}

void TarnoReport::table2Rows(double concentration, const SpectrumShare& s) {
    ReportWriter& w = r_.result;
    w.printNumber(concentration, Sep::Join);
    w.tab(9);
    w.printText("1", Sep::Join);
    writeNumberCells(w, {{20, s.percent[0]}, {34, s.sd[0]}, {47, s.area[0]}, {64, fp::add(s.area[0], s.area[1])}}, Sep::End);
    w.tab(9);
    w.printText("2", Sep::Join);
    writeNumberCells(w, {{20, s.percent[1]}, {34, s.sd[1]}, {47, s.area[1]}}, Sep::End);
    w.endLine();
}

void TarnoReport::sternVolmerAbscissa(std::span<const double> activity) {
    for (double a : activity) r_.graph.writeNumber(roundTrunc(a, 3), Sep::Join);
    r_.graph.endLine();
}

void TarnoReport::sternVolmerPoints(std::span<const SpectrumShare> shares, int component) {
    const auto c = static_cast<std::size_t>(component);
    // Component 2's points are written with "," after each value.
    const Sep sep = component == 0 ? Sep::Join : Sep::Zone;
    for (const SpectrumShare& s : shares) {
        r_.graph.writeNumber(roundSym(fp::div(shares[0].amp[c], s.amp[c]), 3), sep);
    }
    r_.graph.endLine();
}

void TarnoReport::sternVolmerLine(const PhaseSternVolmer& sv, std::span<const double> activity) {
    for (double a : activity) r_.graph.writeNumber(roundSym(fp::add(sv.intercept, fp::mul(a, sv.ksv)), 3), Sep::Join);
    r_.graph.endLine();
}

void TarnoReport::table3(const std::array<PhaseSternVolmer, 2>& sv) {
    ReportWriter& w = r_.result;
    w.endLine();
    w.endLine();
    writeTable3Heading(w);
    // The phase-plane table prints the component number as bare text.
    const char* labels[2] = {"1", "2"};
    for (std::size_t c = 0; c < 2; ++c) {
        writeTable3Row(w, labels[c], {sv[c].ksv, sv[c].sd, sv[c].relKsv, sv[c].relSd, sv[c].intercept, sv[c].r});
    }
}

void TarnoReport::residuals(const Matrix& deviation, double step) {
    ReportWriter& g = r_.graph;
    g.endLine();
    g.printText("RESIDUALS, % (Diference between theoretical and experimental spectra) from 320 to 380, Step ",
                Sep::Join);
    g.printNumber(step, Sep::End);
    for (int i = 0; i < deviation.rows(); ++i) {
        for (int j = 0; j < deviation.cols(); ++j) g.writeNumber(roundTrunc(deviation(i, j), 2), Sep::Join);
        g.endLine();
    }
}

void TarnoReport::curves(const std::array<Matrix, 2>& U) {
    ReportWriter& g = r_.graph;
    g.endLine();
    g.line("THEORETICAL SPECTRA, from 305 to 400, Step 1nm");
    for (int i = 0; i < U[0].rows(); ++i) {
        for (int m = 0; m < kTarnoCurvePoints; ++m) g.writeNumber(roundSym(fp::add(U[0](i, m), U[1](i, m)), 3), Sep::Join);
        g.endLine();
    }
    g.endLine();
    g.line("COMPONENTS FOR THE FIRST THEORETICAL SPECTRUM, from 305 to 400, Step 1nm");
    for (int m = 0; m < kTarnoCurvePoints; ++m) g.writeNumber(roundSym(U[0](0, m), 3), Sep::Join);
    g.printText("", Sep::End);
    for (int m = 0; m < kTarnoCurvePoints; ++m) g.writeNumber(roundSym(U[1](0, m), 3), Sep::Join);
    g.endLine();
}

void TarnoReport::summary(const PhasePositions& positions, const SpectrumShare& first,
                          double discriminant, int smoothingCycles) {
    writeSummaryHeading(r_.summary);
    writeSummaryStageRow(r_.summary, "TARNO", 0, discriminant, smoothingCycles);
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

void TarnoReport::nextStageHeadings() { writeStageHeading(r_, "VELA-I", true); }

}  // namespace qf
