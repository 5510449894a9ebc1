#include "driver/phase_pass.h"

#include <cassert>
#include <optional>
#include <string>

#include "phase/contributions.h"
#include "phase/pairs.h"
#include "phase/parallel.h"
#include "phase/position_search.h"
#include "phase/phase_report.h"
#include "textio/failure.h"
#include "textio/fpcheck.h"

namespace qf {

void requireTarnoSeries(const Spectra& spectra, const QuencherSeries& quencher) {
    const int n = spectra.nSpec;
    if (n > kMaxTarnoSpectra) {
        fail("phase-plane stage: the series has " + std::to_string(n) +
             " spectra, the phase-plane method takes at most " + std::to_string(kMaxTarnoSpectra));
    }
    if (n < 3) {
        fail("phase-plane stage: the series has " + std::to_string(n) +
             " spectra, the phase-plane lines need at least 3");
    }
    if (spectra.nPoints > kMaxTarnoPoints) {
        fail("phase-plane stage: the window has " + std::to_string(spectra.nPoints) +
             " points, the phase-plane method takes at most " + std::to_string(kMaxTarnoPoints));
    }
    // The analysis read sizes the matrices to the series.
    assert(spectra.workSpectra.rows() >= n && spectra.workSpectra.cols() >= spectra.nPoints &&
           spectra.expSpectra.rows() >= n && spectra.expSpectra.cols() >= spectra.nPoints);
    if (static_cast<int>(quencher.activity.size()) < n ||
        static_cast<int>(quencher.concentration.size()) < n) {
        fail("phase-plane stage: the quencher series has fewer concentrations than spectra");
    }
}

namespace {

// Lever rule of every spectrum; a failure stands for the first spectrum
// whose rule fails, the spectra before it are complete.
struct Shares {
    std::vector<SpectrumShare> share;
    std::optional<IndexedFailure> failure;
};

Shares leverRuleAll(const Matrix& F, const Spectra& spectra, const ComponentBands& bands,
                    int threads, TarnoMethod method) {
    if (method == TarnoMethod::Direct) {
        Shares out;
        for (int i = 0; i < spectra.nSpec; ++i) {
            try {
                out.share.push_back(leverRuleDirect(F, i, spectra, bands));
            } catch (...) {
                out.failure = IndexedFailure{i, std::current_exception()};
                out.share.resize(static_cast<std::size_t>(spectra.nSpec));
                return out;
            }
        }
        return out;
    }
    const PairTable pairs(spectra.nPoints);
    const LeverTables tables(bands, pairs, spectra);
    Shares out;
    out.share.resize(static_cast<std::size_t>(spectra.nSpec));
    out.failure = forEachIndex(
        spectra.nSpec, threads,
        [&](int i, int) { out.share[static_cast<std::size_t>(i)] = leverRule(F, i, pairs, tables, bands); },
        [](int i) { return "phase-plane stage, lever rule of spectrum " + std::to_string(i + 1); });
    return out;
}

}  // namespace

void tarnoPass(const TarnoPassContext& pass) {
    const Spectra& spectra = pass.spectra;
    TarnoState& tarno = pass.tarno;
    requireTarnoSeries(spectra, pass.quencher);
    const int n = spectra.nSpec;
    const bool reporting = pass.reports != nullptr;
    std::optional<TarnoReport> report;
    if (reporting) report.emplace(*pass.reports);

    if (!reporting || !tarno.haveWavenumberSpectra) {
        tarno.wavenumberSpectra = wavenumberSpectra(spectra);
        tarno.haveWavenumberSpectra = true;
    }
    tarno.passes += 1;
    const Matrix& F = tarno.wavenumberSpectra;

    if (report) {
        report->stageHeadings();
        pass.fit.smoothingRms = report->smoothedSpectra(spectra);
        report->sternVolmerHeading();
        report->table1Heading();
    }

    tarno.positions = pass.method == TarnoMethod::Direct
                          ? searchPositionsDirect(F, spectra.step)
                          : searchPositions(F, spectra.step, pass.threads);
    pass.fit.tarnoMeanR = tarno.positions.tarnoMeanR;
    if (report) {
        report->table1(tarno.positions);
        report->table2Heading();
    }

    const ComponentBands bands(tarno.positions, spectra);
    Shares shares = leverRuleAll(F, spectra, bands, pass.threads, pass.method);
    for (int i = 0; i < n; ++i) {
        if (shares.failure && shares.failure->index == i) std::rethrow_exception(shares.failure->error);
        if (report) report->table2Rows(pass.quencher.concentration[static_cast<std::size_t>(i)],
                                       shares.share[static_cast<std::size_t>(i)]);
    }
    tarno.shares = std::move(shares.share);

    const std::span<const double> activity(pass.quencher.activity.data(), static_cast<std::size_t>(n));
    if (report) report->sternVolmerAbscissa(activity);
    for (int c = 0; c < 2; ++c) {
        if (report) report->sternVolmerPoints(tarno.shares, c);
        tarno.sternVolmer[static_cast<std::size_t>(c)] =
            componentSternVolmer(tarno.shares, c, activity, pass.quencher.ksvTrp);
    }
    if (report) {
        report->sternVolmerLine(tarno.sternVolmer[0], activity);
        report->sternVolmerLine(tarno.sternVolmer[1], activity);
        report->table3(tarno.sternVolmer);
    }

    const Matrix T = theoreticalSpectra(tarno.shares, bands, spectra);
    PhaseResiduals residuals = phaseResiduals(T, spectra, pass.fit);
    tarno.deviation = std::move(residuals.deviation);
    tarno.tarnoRms = residuals.tarnoRms;
    if (report) report->residuals(tarno.deviation, spectra.step);

    tarno.tarnoDiscriminant = phaseDiscriminant(tarno.tarnoRms, pass.fit.smoothingRms);
    tarno.curves = componentCurves(tarno.shares, bands, spectra.lambdaMax);
    if (report) {
        report->curves(tarno.curves);
        report->summary(tarno.positions, tarno.shares[0], tarno.tarnoDiscriminant,
                        pass.smoothingCycles);
        report->discriminant(tarno.tarnoDiscriminant);
        report->nextStageHeadings();
    }
    fp::check("phase-plane stage");
}

}  // namespace qf
