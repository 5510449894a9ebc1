#include "decomp/decomp_report.h"

#include <cmath>

#include "band/band.h"
#include "textio/checked.h"
#include "textio/report_lines.h"
#include "textio/rounding.h"

namespace qf {

namespace {

double squared(double x) { return fp::mul(x, x); }

void computeContributions(const VelaVariant& variant, const VelaBest& best, Decomposition& d) {
    Matrix area(kMaxComponents, d.nSpec);
    std::array<double, kMaxVelaSpectra> total{};
    for (int k = 0; k < d.n; ++k) {
        const double factor =
            areaFactorScaled(best.bestMaxima[static_cast<std::size_t>(k)], variant.areaScale);
        for (int i = 0; i < d.nSpec; ++i) {
            area(k, i) = fp::mul(best.bestAmplitudes(k, i), factor);
            total[static_cast<std::size_t>(i)] = fp::add(total[static_cast<std::size_t>(i)], area(k, i));
        }
    }
    for (int i = 0; i < d.nSpec; ++i) {
        for (int k = 0; k < d.n; ++k) {
            d.contribution(k, i) =
                0.1 * fix(fp::div(fp::mul(1000.0, area(k, i)), total[static_cast<std::size_t>(i)]) + 0.5);
            // The series prints its areas on the scale of the single spectrum,
            // whose area factor already carries the 0.01.
            d.printedArea(k, i) =
                variant.mono() ? fix(area(k, i) + 0.5) : fix(0.01 * area(k, i) + 0.5);
        }
    }
}

void computePeaks(const VelaBest& best, Decomposition& d) {
    for (int k = 0; k < d.n; ++k) {
        const auto kk = static_cast<std::size_t>(k);
        const double lambdaM = best.bestMaxima[kk];
        d.peakNm[kk] = 0.1 * fix(10.0 * peakWavelength(lambdaM, lambdaM - 5.0) + 0.5);
        d.peakWavenumber[kk] = fix(wavenumber(lambdaM) + 0.5);
        d.peakWavenumberError[kk] =
            fix(d.peakWavenumber[kk] * best.maxPositionError[kk] / lambdaM + 0.5);
    }
}

// T(i, j): the theoretical spectrum on the wavelength scale.
double theoretical(const VelaBest& best, int n, int i, double lambda, double lambdaMax) {
    const double r = lambdaMax / lambda;
    double t = 0.0;
    for (int k = 0; k < n; ++k) {
        t = fp::add(t, fp::mul(fp::mul(best.bestAmplitudes(k, i),
                                       lognormalShape(best.bestMaxima[static_cast<std::size_t>(k)], lambda)),
                               squared(r)));
    }
    return t;
}

void computeResiduals(const VelaVariant& variant, const Spectra& spectra, const VelaBest& best,
                      Decomposition& d, FitResiduals& fit) {
    fit.residuals.resize(d.nSpec, d.nPoints);
    d.expResiduals.resize(d.nSpec, d.nPoints);
    double sumFit = 0.0;
    double sumExp = 0.0;
    for (int j = 0; j < d.nPoints; ++j) {
        const double lambda = spectra.wavelength(j);
        double pointFit = 0.0;
        double pointExp = 0.0;
        for (int i = 0; i < d.nSpec; ++i) {
            const double t = theoretical(best, d.n, i, lambda, spectra.lambdaMax);
            fit.residuals(i, j) = 0.01 * fp::sub(t, spectra.workSpectra(i, j));
            d.expResiduals(i, j) = 0.01 * fp::sub(t, spectra.expSpectra(i, j));
            pointFit = fp::add(pointFit, squared(fit.residuals(i, j)));
            pointExp = fp::add(pointExp, squared(d.expResiduals(i, j)));
        }
        if (variant.mono()) {
            sumFit = fp::add(sumFit, pointFit);
            sumExp = fp::add(sumExp, pointExp);
        } else {
            const double nSpec = static_cast<double>(d.nSpec);
            sumFit = fp::add(sumFit, 0.001 * fix(fp::mul(1000.0, pointFit) / nSpec));
            sumExp = fp::add(sumExp, 0.001 * fix(fp::mul(1000.0, pointExp) / nSpec));
        }
    }
    const double nPoints = static_cast<double>(d.nPoints);
    fit.fitRms = 0.001 * fix(fp::mul(1000.0, std::sqrt(sumFit / nPoints)) + 0.5);
    fit.expRms = 0.001 * fix(fp::mul(1000.0, std::sqrt(sumExp / nPoints)) + 0.5);
}

void computeCurves(const Spectra& spectra, const VelaBest& best, Decomposition& d) {
    for (int k = 0; k < d.n; ++k) {
        Matrix& curve = d.theoreticalCurves[static_cast<std::size_t>(k)];
        curve.resize(d.nSpec, kTheoreticalPoints);
        const double lambdaM = best.bestMaxima[static_cast<std::size_t>(k)];
        for (int p = 0; p < kTheoreticalPoints; ++p) {
            const double lambda = 305.0 + static_cast<double>(p);
            const double shape = lognormalShape(lambdaM, lambda);
            const double r = spectra.lambdaMax / lambda;
            for (int i = 0; i < d.nSpec; ++i) {
                curve(i, p) = fp::div(fp::mul(fp::mul(best.bestAmplitudes(k, i), shape), squared(r)),
                                      spectra.spectrumMax);
            }
        }
    }
}

// Sum over the three components, those above n counting as 0.
double curveSum(const Decomposition& d, int i, int p) {
    double sum = 0.0;
    for (int k = 0; k < kMaxComponents; ++k) {
        sum = fp::add(sum, k < d.n ? d.theoreticalCurves[static_cast<std::size_t>(k)](i, p) : 0.0);
    }
    return sum;
}

}  // namespace

Decomposition computeDecomposition(const VelaVariant& variant, const Spectra& spectra,
                                   const VelaBest& best, int n, FitResiduals& fit) {
    Decomposition d;
    d.n = n;
    d.nSpec = spectra.nSpec;
    d.nPoints = spectra.nPoints;
    computeContributions(variant, best, d);
    computePeaks(best, d);
    computeResiduals(variant, spectra, best, d, fit);
    computeCurves(spectra, best, d);
    return d;
}

void refreshSummaryCopies(const Decomposition& d, VelaBest& best) {
    for (int k = 0; k < d.n; ++k) {
        const auto kk = static_cast<std::size_t>(k);
        best.summaryPeak[kk] = d.peakNm[kk];
        best.summaryPeakError[kk] = best.maxPositionError[kk];
        best.summaryContribution[kk] = d.contribution(k, 0);
        best.summaryContributionSd[kk] = best.amplitudeError(k, 0);
    }
}

void writeTable1(ReportWriter& result, const Decomposition& d, const VelaBest& best) {
    result.endLine();
    writeFixedLine(result, FixedLine::Table1Title);
    writeFixedLine(result, FixedLine::Table1Explanation);
    result.endLine();
    writeFixedLine(result, FixedLine::Table1Heading);
    for (int k = 0; k < d.n; ++k) {
        const auto kk = static_cast<std::size_t>(k);
        writeTable1Row(result, {k + 1, d.peakNm[kk], best.maxPositionError[kk], d.peakWavenumber[kk],
                                d.peakWavenumberError[kk]});
    }
}

void writeTable2(ReportWriter& result, const Decomposition& d, const VelaBest& best,
                 std::span<const double> concentration) {
    const bool series = !concentration.empty();
    result.endLine();
    result.endLine();
    writeFixedLine(result, FixedLine::Table2Title);
    writeFixedLine(result, series ? FixedLine::Table2SeriesExplanation : FixedLine::Table2MonoExplanation);
    writeFixedLine(result, FixedLine::Table2AreaExplanation);
    result.endLine();
    writeFixedLine(result, series ? FixedLine::Table2Heading : FixedLine::Table2HeadingMono);
    if (series) result.endLine();
    for (int i = 0; i < d.nSpec; ++i) {
        for (int k = 0; k < d.n; ++k) {
            Table2Row row{std::nullopt, k + 1, d.contribution(k, i), best.amplitudeError(k, i), d.printedArea(k, i),
                          std::nullopt};
            if (k == 0) {
                if (series) row.concentration = concentration[static_cast<std::size_t>(i)];
                double total = 0.0;
                for (int c = 0; c < kMaxComponents; ++c) total = fp::add(total, c < d.n ? d.printedArea(c, i) : 0.0);
                row.totalArea = total;
            }
            writeTable2Row(result, row);
        }
        if (series) result.endLine();
    }
}

void writeFitCurves(ReportWriter& graph, const Decomposition& d, double step, bool mono) {
    if (!mono) graph.endLine();
    writeStepHeading(graph, StepTitle::Residuals, step);
    for (int i = 0; i < d.nSpec; ++i) {
        writeValueRow(graph, d.nPoints, [&](int j) { return roundSym(d.expResiduals(i, j), 2); });
    }
    graph.endLine();
    writeFixedLine(graph, FixedLine::TheoreticalTitle);
    for (int i = 0; i < d.nSpec; ++i) {
        writeValueRow(graph, kTheoreticalPoints, [&](int p) { return roundSym(curveSum(d, i, p), 3); });
    }
    graph.endLine();
    writeFixedLine(graph, FixedLine::ComponentsTitle);
    for (int k = 0; k < d.n; ++k) {
        const Matrix& curve = d.theoreticalCurves[static_cast<std::size_t>(k)];
        writeValueRow(graph, kTheoreticalPoints, [&](int p) { return roundSym(curve(0, p), 3); });
    }
}

}  // namespace qf
