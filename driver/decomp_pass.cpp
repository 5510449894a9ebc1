#include "driver/decomp_pass.h"

#include <cassert>
#include <string>

#include "classify/discriminant.h"
#include "classify/summary_report.h"
#include "decomp/decomp_report.h"
#include "decomp/error_estimate.h"
#include "prep/smoothed_report.h"
#include "quench/sv_report.h"
#include "textio/failure.h"
#include "textio/report_lines.h"
#include "textio/fpcheck.h"
#include "textio/rounding.h"

namespace qf {

namespace {

std::string passName(int n) { return std::string(velaStageName(n)) + " pass"; }

void checkCapacity(const VelaRun& run, int n) {
    const std::string stage = velaStageName(n);
    assert(n >= 1 && n <= kMaxComponents);
    const Spectra& s = run.spectra;
    if (s.nSpec < 1 || s.nSpec > run.variant.maxSpectra) {
        fail(stage + ": " + std::to_string(s.nSpec) + " spectra, the component fits hold 1 to " +
             std::to_string(run.variant.maxSpectra));
    }
    if (s.nPoints < 1 || s.nPoints > run.variant.maxPoints || s.nPoints > kMaxFitPoints) {
        fail(stage + ": " + std::to_string(s.nPoints) + " window points, the component fits hold at most " +
             std::to_string(run.variant.maxPoints));
    }
    if (run.variant.sternVolmer &&
        (run.quencher == nullptr || run.quencher->activity.size() < static_cast<std::size_t>(s.nSpec))) {
        fail(stage + ": the quencher activities do not cover every spectrum");
    }
}

FitProblem fitProblem(const VelaRun& run) {
    FitProblem p;
    p.nSpec = run.spectra.nSpec;
    p.nPoints = run.spectra.nPoints;
    p.wavelengths.resize(static_cast<std::size_t>(p.nPoints));
    for (int j = 0; j < p.nPoints; ++j) p.wavelengths[static_cast<std::size_t>(j)] = run.spectra.wavelength(j);
    p.wavenumberSpectra = &run.vela.wavenumberSpectra;
    if (run.variant.sternVolmer) {
        p.activity = std::span<const double>(run.quencher->activity).first(static_cast<std::size_t>(p.nSpec));
    }
    return p;
}

void writeSummaryBlock(ReportWriter& summary, const VelaBest& vela, int n, double discriminant,
                       int smoothingCycles, bool mono) {
    writeSummaryStageRow(summary, SummaryMethod::ComponentFit, mono ? Program::Monofit : Program::Quenfit, n,
                         discriminant, smoothingCycles);
    for (int k = 0; k < n; ++k) {
        const auto kk = static_cast<std::size_t>(k);
        writeSummaryComponent(summary, k + 1, vela.summaryPeak[kk], vela.summaryPeakError[kk],
                              vela.summaryContribution[kk], vela.summaryContributionSd[kk]);
    }
    writeRule(summary, '-', 79);
}

void writeNextStageHeading(Reports& reports, int n) {
    if (n >= 3) return;
    writeStageHeading(reports, velaStageName(n + 1), false);
}

void writeSeriesReports(VelaRun& run, const Decomposition& d, int n) {
    Reports& out = run.reports;
    const VelaBest& v = run.vela;
    writeTable1(out.result, d, v);
    writeTable2(out.result, d, v, run.quencher->concentration);
    const SternVolmerBest lines{n, d.nSpec, &v.bestAmplitudes, v.bestKsv.data(), v.bestKsvSd.data(),
                                v.bestSvIntercept.data(), v.bestSvR.data()};
    writeTable3(out.result, lines, run.quencher->ksvTrp);
    writeSternVolmerPlot(out.graph, lines, run.quencher->activity);
    writeFitCurves(out.graph, d, run.spectra.step, false);

    const double term = fitTerm(run.fit.fitRms, v.bestSvPenalty);
    const double discriminant = seriesDiscriminant(term, run.fit.smoothingRms, n);
    writeGoodnessOfFit(out.result, roundSym(fp::mul(static_cast<double>(n), fp::add(term, run.fit.smoothingRms)), 3));
    writeSummaryBlock(out.summary, v, n, discriminant, run.stage.smoothingCycles(), false);
    writeRule(out.result, '-', 77);
    out.result.endLine();
    writeGraphDiscriminant(out.graph, discriminant, 77);
    writeNextStageHeading(out, n);
}

void writeSpectrumReports(VelaRun& run, const Decomposition& d, int n) {
    Reports& out = run.reports;
    const VelaBest& v = run.vela;
    writeTable1(out.result, d, v);
    writeTable2(out.result, d, v, {});
    writeFitCurves(out.graph, d, run.spectra.step, true);

    const double discriminant = spectrumDiscriminant(run.fit.smoothingRms, run.fit.fitRms, n);
    writeGoodnessOfFit(out.result, discriminant);
    writeRule(out.result, '=', 69);
    out.result.endLine();
    if (n == 1) writeSummaryHeading(out.summary);
    writeSummaryBlock(out.summary, v, n, discriminant, run.stage.smoothingCycles(), true);
    writeGraphDiscriminant(out.graph, discriminant, 79);
}

}  // namespace

const char* velaStageName(int n) {
    if (n < 1 || n > 3) return "VELA";
    // The names are string literals: their data ends in a null.
    return stageHeadingName(componentFitHeading(Program::Quenfit, n)).data();
}

SearchResult runVelaPass(VelaRun& run, PassKind kind) {
    const int n = run.stage.components();
    checkCapacity(run, n);
    const bool reporting = kind == PassKind::Reporting;
    if (!reporting) {
        run.vela.wavenumberSpectra = wavenumberSpectra(run.spectra);
        run.vela.bestCriterion = kNoCriterion;
    } else {
        run.fit.smoothingRms = writeSmoothedSpectra(run.reports.graph, run.spectra, n, run.variant.program);
    }
    const FitProblem problem = fitProblem(run);
    if (!(reporting && run.variant.mono())) {
        const SearchResult found = gridSearch(problem, run.variant.plan(n), n, run.vela, run.stage.threeCompStep());
        fp::check(passName(n));
        if (found == SearchResult::Absent) return found;
    }
    estimateErrors(problem, n, run.vela);
    const Decomposition d = computeDecomposition(run.variant, run.spectra, run.vela, n, run.fit);
    fp::check(passName(n));
    if (!reporting) return SearchResult::Found;

    refreshSummaryCopies(d, run.vela);
    if (run.variant.sternVolmer) {
        writeSeriesReports(run, d, n);
    } else {
        writeSpectrumReports(run, d, n);
    }
    return SearchResult::Found;
}

void writeAbsence(Reports& reports, int n) {
    writeFixedLine(reports.result, absenceLine(n));
    writeRule(reports.result, '-', 77);
    writeFixedLine(reports.summary, absenceLine(n));
    writeRule(reports.summary, '-', n == 2 ? 75 : 79);
}

void resetThreeCompStep(StageState& stage, const VelaBest& vela) {
    if (vela.bestMaxima[2] > 0.0) stage.thirdPositionKept();
}

}  // namespace qf
