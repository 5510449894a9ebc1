#include "decomp/decomp_report.h"

#include <cmath>

#include "band/band.h"
#include "textio/checked.h"
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

void writeRow(ReportWriter& graph, int count, auto value) {
    for (int x = 0; x < count; ++x) graph.writeNumber(value(x), Sep::Join);
    graph.endLine();
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
    result.line("T A B L E 1");
    result.line("Maximum position of spectral components in wavelengths (L, nm) and wavenumbers (V, 1/cm)");
    result.endLine();
    writeTable1ColumnHeading(result);
    for (int k = 0; k < d.n; ++k) {
        const auto kk = static_cast<std::size_t>(k);
        result.printNumber(k + 1, Sep::Join);
        result.tab(18);
        result.printNumber(d.peakNm[kk], Sep::Join);
        result.tab(28);
        result.printNumber(best.maxPositionError[kk], Sep::Join);
        result.tab(43);
        result.printNumber(d.peakWavenumber[kk], Sep::Join);
        result.tab(53);
        result.printNumber(d.peakWavenumberError[kk], Sep::End);
    }
}

void writeTable2(ReportWriter& result, const Decomposition& d, const VelaBest& best,
                 std::span<const double> concentration) {
    const bool series = !concentration.empty();
    result.endLine();
    result.endLine();
    result.line("T A B L E 2");
    if (series) {
        result.line("Quencher concentration (Cq, M), Contribution of each spectral components (Si, %), "
                    "Standart deviation (s.d., %)");
    } else {
        result.line("Contribution of each spectral components (Si, %), Standart deviation (s.d., %)");
    }
    result.line("Area under the spectral components (Ai), Area under the whole spectrum (Atotal=Sum(Ai))");
    result.endLine();
    writeTable2ColumnHeading(result, series);
    if (series) result.endLine();
    static constexpr std::array<const char*, 3> kNumbers{"1", "2", "3"};
    for (int i = 0; i < d.nSpec; ++i) {
        for (int k = 0; k < d.n; ++k) {
            if (k == 0 && series) result.printNumber(concentration[static_cast<std::size_t>(i)], Sep::Join);
            result.tab(9);
            result.printText(kNumbers[static_cast<std::size_t>(k)], Sep::Join);
            result.tab(20);
            result.printNumber(d.contribution(k, i), Sep::Join);
            result.tab(34);
            result.printNumber(best.amplitudeError(k, i), Sep::Join);
            result.tab(47);
            if (k == 0) {
                result.printNumber(d.printedArea(k, i), Sep::Join);
                double total = 0.0;
                for (int c = 0; c < kMaxComponents; ++c) total = fp::add(total, c < d.n ? d.printedArea(c, i) : 0.0);
                result.tab(64);
                result.printNumber(total, Sep::End);
            } else {
                result.printNumber(d.printedArea(k, i), Sep::End);
            }
        }
        if (series) result.endLine();
    }
}

void writeFitCurves(ReportWriter& graph, const Decomposition& d, double step, bool mono) {
    if (!mono) graph.endLine();
    graph.printText(
        "RESIDUALS, % (Diference between theoretical and experimental spectra) from 320 to 380, Step ",
        Sep::Join);
    graph.printNumber(step, Sep::End);
    for (int i = 0; i < d.nSpec; ++i) {
        writeRow(graph, d.nPoints, [&](int j) { return roundSym(d.expResiduals(i, j), 2); });
    }
    graph.endLine();
    graph.line("THEORETICAL SPECTRA, from 305 to 400, Step 1nm");
    for (int i = 0; i < d.nSpec; ++i) {
        writeRow(graph, kTheoreticalPoints, [&](int p) { return roundSym(curveSum(d, i, p), 3); });
    }
    graph.endLine();
    graph.line("COMPONENTS FOR THE FIRST THEORETICAL SPECTRUM, from 305 to 400, Step 1nm");
    for (int k = 0; k < d.n; ++k) {
        const Matrix& curve = d.theoreticalCurves[static_cast<std::size_t>(k)];
        writeRow(graph, kTheoreticalPoints, [&](int p) { return roundSym(curve(0, p), 3); });
    }
}

}  // namespace qf
