#include "phase/contributions.h"

#include <cmath>
#include <string>

#include "quench/stern_volmer.h"
#include "textio/checked.h"
#include "textio/failure.h"
#include "textio/fpcheck.h"
#include "textio/number_text.h"
#include "textio/rounding.h"

namespace qf {

using fp::Real;

namespace {

std::string spectrumName(int i) { return "spectrum " + std::to_string(i + 1); }

[[noreturn]] void failCoinciding(const ComponentBands& bands) {
    fail("phase-plane stage: the phase-plane points of the two components (" +
         numberText(bands.lambdaM[0]) + " nm and " + numberText(bands.lambdaM[1]) +
         " nm) coincide, so the lever rule cannot split the spectra");
}

// Amplitudes that the share fbar of component 1 in F(i, j) implies.
struct Amplitudes {
    double A1 = 0.0, A2 = 0.0, Q1 = 0.0, Q2 = 0.0;

    void add(double fbar, double value, double shape1, double shape2) {
        const Real a1 = Real(fbar) * value / shape1;
        const Real a2 = (1.0 - Real(fbar)) * value / shape2;
        A1 = (A1 + a1).value();
        A2 = (A2 + a2).value();
        Q1 = (Q1 + a1 * a1).value();
        Q2 = (Q2 + a2 * a2).value();
    }
};

}  // namespace

ComponentBands::ComponentBands(const PhasePositions& positions, const Spectra& spectra) {
    for (std::size_t c = 0; c < 2; ++c) {
        lambdaM[c] = positions.component[c].lambdaM;
        band[c] = bandShape(lambdaM[c]);
        gridShape[c].resize(static_cast<std::size_t>(spectra.nPoints));
        for (int j = 0; j < spectra.nPoints; ++j) {
            gridShape[c][static_cast<std::size_t>(j)] = lognormalShape(band[c], spectra.wavelength(j));
        }
        areaFactor[c] = qf::areaFactor(lambdaM[c]);
    }
}

LeverTables::LeverTables(const ComponentBands& bands, const PairTable& pairs, const Spectra& spectra)
    : points_(static_cast<std::size_t>(spectra.nPoints)) {
    const int P = spectra.nPoints;
    for (std::size_t c = 0; c < 2; ++c) ratio_[c].assign(points_ * points_, 0.0);
    separation_.resize(points_);
    for (int j = 0; j < P; ++j) {
        const double lambdaJ = spectra.wavelength(j);
        for (int k : pairs.usedPoints(j)) {
            for (std::size_t c = 0; c < 2; ++c) {
                ratio_[c][static_cast<std::size_t>(j) * points_ + static_cast<std::size_t>(k)] =
                    shapeRatio(bands.band[c], spectra.wavelength(k), lambdaJ);
            }
        }
        std::vector<double>& sep = separation_[static_cast<std::size_t>(j)];
        for (const WavelengthPair& p : pairs.of(j)) {
            const double x1 = ratio(0, j, p.k), y1 = ratio(0, j, p.l);
            const double x2 = ratio(1, j, p.k), y2 = ratio(1, j, p.l);
            const Real d = (Real(x1) - x2) * (Real(x1) - x2) + (Real(y1) - y2) * (Real(y1) - y2);
            if (d == 0.0) failCoinciding(bands);
            sep.push_back(d.value());
        }
    }
}

std::array<double, 2> areaPercentages(double area1, double area2, int spectrum) {
    if (area1 + area2 == 0.0) {
        fail("phase-plane stage: the component areas of " + spectrumName(spectrum) +
             " add up to 0, so their percentages are undefined");
    }
    const double s1 = (0.1 * fix(1000.0 * Real(area1) / (Real(area1) + area2) + 0.5)).value();
    return {s1, 100.0 - s1};
}

SpectrumShare shareFromSums(double A1, double A2, double Q1, double Q2, int nPoints,
                          const ComponentBands& bands, int i) {
    const Real P = static_cast<double>(nPoints);
    SpectrumShare s;
    const Real amp0 = A1 / P;
    const Real amp1 = A2 / P;
    s.amp[0] = amp0.value();
    s.amp[1] = amp1.value();
    s.sdAmp[0] = fix(sqrt(fabs(amp0 * amp0 - Q1 / P)) + 0.5).value();
    s.sdAmp[1] = fix(sqrt(fabs(amp1 * amp1 - Q2 / P)) + 0.5).value();
    s.area[1] = fix(0.01 * amp1 * bands.areaFactor[1] + 0.5).value();
    s.area[0] = fix(0.01 * amp0 * bands.areaFactor[0] + 0.5).value();
    s.percent = areaPercentages(s.area[0], s.area[1], i);
    for (std::size_t c = 0; c < 2; ++c) {
        if (s.amp[c] == 0.0) {
            fail("phase-plane stage: component " + std::to_string(c + 1) + " has amplitude 0 in " +
                 spectrumName(i));
        }
        s.sd[c] = (fix(1000.0 * Real(s.sdAmp[c]) / s.amp[c] + 0.5) / 10.0).value();
    }
    fp::check("phase-plane stage, lever rule of " + spectrumName(i));
    return s;
}

SpectrumShare leverRuleDirect(const Matrix& F, int i, const Spectra& spectra,
                              const ComponentBands& bands) {
    const int P = spectra.nPoints;
    Amplitudes sums;
    for (int j = 0; j < P; ++j) {
        const double lambdaJ = spectra.wavelength(j);
        double fsum = 0.0;
        double count = 0.0;
        for (const WavelengthPair& p : pairsOf(j, P)) {
            const double lambdaK = spectra.wavelength(p.k);
            const double lambdaL = spectra.wavelength(p.l);
            const double x = fp::div(F(i, p.k), F(i, j));
            const double y = fp::div(F(i, p.l), F(i, j));
            const double x1 = shapeRatio(bands.lambdaM[0], lambdaK, lambdaJ);
            const double y1 = shapeRatio(bands.lambdaM[0], lambdaL, lambdaJ);
            const double x2 = shapeRatio(bands.lambdaM[1], lambdaK, lambdaJ);
            const double y2 = shapeRatio(bands.lambdaM[1], lambdaL, lambdaJ);
            const Real separation = (Real(x1) - x2) * (Real(x1) - x2) + (Real(y1) - y2) * (Real(y1) - y2);
            if (separation == 0.0) failCoinciding(bands);
            fsum = fp::add(fsum, leverShare(x, y, x2, y2, separation.value()));
            count = count + 1.0;
        }
        const double fbar = fp::div(fsum, count);
        sums.add(fbar, F(i, j), lognormalShape(bands.lambdaM[0], lambdaJ),
                 lognormalShape(bands.lambdaM[1], lambdaJ));
    }
    return shareFromSums(sums.A1, sums.A2, sums.Q1, sums.Q2, P, bands, i);
}

SpectrumShare leverRule(const Matrix& F, int i, const PairTable& pairs, const LeverTables& tables,
                        const ComponentBands& bands) {
    const int P = F.cols();
    if (P > kMaxTarnoPoints) fail("phase-plane stage: more than " + std::to_string(kMaxTarnoPoints) + " window points");
    std::array<double, kMaxTarnoPoints> ratio{};
    Amplitudes sums;
    for (int j = 0; j < P; ++j) {
        const double value = F(i, j);
        for (int k : pairs.usedPoints(j)) ratio[static_cast<std::size_t>(k)] = fp::div(F(i, k), value);
        const std::vector<WavelengthPair>& list = pairs.of(j);
        const std::vector<double>& separation = tables.separation(j);
        double fsum = 0.0;
        double count = 0.0;
        for (std::size_t p = 0; p < list.size(); ++p) {
            const int k = list[p].k;
            const int l = list[p].l;
            fsum = fp::add(fsum, leverShare(ratio[static_cast<std::size_t>(k)], ratio[static_cast<std::size_t>(l)],
                                            tables.ratio(1, j, k), tables.ratio(1, j, l), separation[p]));
            count = count + 1.0;
        }
        const double fbar = fp::div(fsum, count);
        sums.add(fbar, value, bands.gridShape[0][static_cast<std::size_t>(j)],
                 bands.gridShape[1][static_cast<std::size_t>(j)]);
    }
    return shareFromSums(sums.A1, sums.A2, sums.Q1, sums.Q2, P, bands, i);
}

PhaseSternVolmer componentSternVolmer(std::span<const SpectrumShare> shares, int component,
                                      std::span<const double> activity, double ksvTrp) {
    const auto c = static_cast<std::size_t>(component);
    std::vector<double> y;
    y.reserve(shares.size());
    for (const SpectrumShare& s : shares) y.push_back(fp::div(shares[0].amp[c], s.amp[c]));
    const SternVolmerLine line = sternVolmerLine(activity.first(shares.size()), y);
    PhaseSternVolmer sv;
    sv.ksv = line.ksv;
    sv.sd = line.ksvSd;
    sv.intercept = line.intercept;
    sv.r = line.r;
    sv.relKsv = ksvRelative(sv.ksv, ksvTrp);
    sv.relSd = ksvRelative(sv.sd, ksvTrp);
    if (fp::raised()) {
        fp::clear();
        fail("phase-plane stage: the Stern-Volmer line of component " + std::to_string(component + 1) +
             " cannot be fitted (all quencher activities equal, or F0/F the same in every spectrum)");
    }
    return sv;
}

Matrix theoreticalSpectra(std::span<const SpectrumShare> shares, const ComponentBands& bands,
                          const Spectra& spectra) {
    const int n = static_cast<int>(shares.size());
    Matrix T(n, spectra.nPoints);
    for (int j = 0; j < spectra.nPoints; ++j) {
        const double g1 = bands.gridShape[0][static_cast<std::size_t>(j)];
        const double g2 = bands.gridShape[1][static_cast<std::size_t>(j)];
        const double t = spectra.lambdaMax / spectra.wavelength(j);
        const double scale = t * t;
        for (int i = 0; i < n; ++i) {
            const SpectrumShare& s = shares[static_cast<std::size_t>(i)];
            const Real c1 = 0.001 * fix(1000.0 * Real(s.amp[0]) * (0.0001 * Real(g1) * spectra.spectrumMax * scale) + 0.5);
            const Real c2 = 0.001 * fix(1000.0 * Real(s.amp[1]) * (0.0001 * Real(g2) * spectra.spectrumMax * scale) + 0.5);
            T(i, j) = (c1 + c2).value();
        }
    }
    return T;
}

PhaseResiduals phaseResiduals(const Matrix& T, const Spectra& spectra, FitResiduals& fit) {
    const int n = T.rows();
    const int P = T.cols();
    double tMax = 0.0;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < P; ++j) {
            if (T(i, j) > tMax) tMax = T(i, j);
        }
    }
    if (tMax == 0.0) {
        fail("phase-plane stage: the theoretical spectra are 0 at every window point, so the "
             "residuals are undefined");
    }
    PhaseResiduals out;
    out.deviation.resize(n, P);
    fit.residuals.resize(n, P);
    std::vector<Real> ss(static_cast<std::size_t>(n), 0.0);
    Real msSum = 0.0;
    for (int j = 0; j < P; ++j) {
        Real ms = 0.0;
        for (int i = 0; i < n; ++i) {
            const Real r = 0.01 * (10000.0 * Real(T(i, j)) / tMax - spectra.workSpectra(i, j));
            fit.residuals(i, j) = r.value();
            out.deviation(i, j) = (0.01 * (10000.0 * Real(T(i, j)) / tMax - spectra.expSpectra(i, j))).value();
            ss[static_cast<std::size_t>(i)] = ss[static_cast<std::size_t>(i)] + r * r;
            ms = ms + r * r;
        }
        ms = 0.001 * fix(1000.0 * ms / static_cast<double>(n));
        msSum = msSum + ms;
    }
    Real ssSum = 0.0;
    for (Real v : ss) ssSum = ssSum + v;
    fit.fitRms = (0.001 * fix(1000.0 * sqrt(msSum / static_cast<double>(P)))).value();
    out.tarnoRms =
        (0.001 * fix(1000.0 * sqrt(ssSum / (static_cast<double>(n) * static_cast<double>(P))) + 0.5)).value();
    fp::check("phase-plane stage, residuals");
    return out;
}

double phaseDiscriminant(double tarnoRms, double smoothingRms) {
    return (0.001 * fix(1000.0 * (Real(tarnoRms) + smoothingRms) + 0.5)).value();
}

std::array<Matrix, 2> componentCurves(std::span<const SpectrumShare> shares,
                                      const ComponentBands& bands, double lambdaMax) {
    const int n = static_cast<int>(shares.size());
    std::array<Matrix, 2> U{Matrix(n, kTarnoCurvePoints), Matrix(n, kTarnoCurvePoints)};
    for (int m = 0; m < kTarnoCurvePoints; ++m) {
        const double lambda = 305.0 + static_cast<double>(m);
        const double t = lambdaMax / lambda;
        const double scale = t * t;
        for (std::size_t c = 0; c < 2; ++c) {
            const double shape = lognormalShape(bands.band[c], lambda);
            for (int i = 0; i < n; ++i) {
                U[c](i, m) = (Real(shares[static_cast<std::size_t>(i)].amp[c]) * 0.0001 * shape * scale).value();
            }
        }
    }
    fp::check("phase-plane stage, 305-400 nm curves");
    return U;
}

}  // namespace qf
