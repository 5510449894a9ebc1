#pragma once
// Contributions of the two phase-plane components: the lever rule splits
// every spectrum between the components at each reference point, the split
// gives amplitudes, band areas and percentages; then the Stern-Volmer lines
// of both components, the theoretical spectra, the residuals that drive the
// next smoothing cycle, and the 305-400 nm curves.

#include <array>
#include <cmath>
#include <span>
#include <vector>

#include "band/band.h"
#include "phase/pairs.h"
#include "phase/phase_state.h"
#include "prep/spectra.h"
#include "prep/fit_residuals.h"
#include "textio/checked.h"
#include "textio/matrix.h"

namespace qf {

// The two component bands of a pass and their values on the window grid.
struct ComponentBands {
    std::array<double, 2> lambdaM{};
    std::array<BandShape, 2> band{};
    std::array<std::vector<double>, 2> gridShape;  // lognormalShape(lambdaM, lambda_j)
    std::array<double, 2> areaFactor{};

    ComponentBands(const PhasePositions& positions, const Spectra& spectra);
};

// Points of the two pure components on the phase plane of every pair, and
// the squared distance between them; they do not depend on the spectrum.
class LeverTables {
public:
    // Fails when the two component points of a pair coincide.
    LeverTables(const ComponentBands& bands, const PairTable& pairs, const Spectra& spectra);

    double ratio(int component, int j, int k) const {
        return ratio_[static_cast<std::size_t>(component)]
                     [static_cast<std::size_t>(j) * points_ + static_cast<std::size_t>(k)];
    }
    // (x1 - x2)^2 + (y1 - y2)^2 of pair p of reference point j.
    const std::vector<double>& separation(int j) const { return separation_[static_cast<std::size_t>(j)]; }

private:
    std::size_t points_;
    std::array<std::vector<double>, 2> ratio_;
    std::vector<std::vector<double>> separation_;
};

// The share of component 1 in F(i, j) at a measured point (x, y), from the
// component points (x1, y1) and (x2, y2) and their squared separation: the
// distance from component 2 over the distance between the components.
inline double leverShare(double x, double y, double x2, double y2, double separation) {
    using fp::Real;
    return sqrt(((Real(x) - x2) * (Real(x) - x2) + (Real(y) - y2) * (Real(y) - y2)) / separation).value();
}

// Amplitudes A/P, their spreads, the areas, percentages and relative
// spreads of spectrum i from the sums of a1, a2 and their squares over the
// P reference points. Fails when an amplitude is 0.
SpectrumShare shareFromSums(double A1, double A2, double Q1, double Q2, int nPoints,
                            const ComponentBands& bands, int i);

// Lever rule of spectrum i, straight from the band model.
SpectrumShare leverRuleDirect(const Matrix& F, int i, const Spectra& spectra,
                              const ComponentBands& bands);

// Lever rule of spectrum i with the precomputed component points; the
// results are bit-identical to leverRuleDirect.
SpectrumShare leverRule(const Matrix& F, int i, const PairTable& pairs, const LeverTables& tables,
                        const ComponentBands& bands);

// Percentages from the rounded areas: S1 = 0.1 * Fix(1000 * Ai1 / (Ai1 + Ai2) + 0.5).
// Fails when the areas add up to 0.
std::array<double, 2> areaPercentages(double area1, double area2, int spectrum);

// Stern-Volmer line of one component: F0/F = amp(1) / amp(i) over the
// quencher activities. Fails in words when the line cannot be fitted.
PhaseSternVolmer componentSternVolmer(std::span<const SpectrumShare> shares, int component,
                                      std::span<const double> activity, double ksvTrp);

// T(i, j) = c1 + c2 on the window grid, each kept to 0.001.
Matrix theoreticalSpectra(std::span<const SpectrumShare> shares, const ComponentBands& bands,
                          const Spectra& spectra);

// Residuals against the working spectra (into fit.residuals, fitRms) and the
// experimental spectra (deviation), and the rounded RMS over all points.
// Fails when the theoretical spectra are zero everywhere.
struct PhaseResiduals {
    Matrix deviation;
    double tarnoRms = 0.0;
};
PhaseResiduals phaseResiduals(const Matrix& T, const Spectra& spectra, FitResiduals& fit);

// tarnoRms + smoothingRms, to 0.001.
double phaseDiscriminant(double tarnoRms, double smoothingRms);

// U1, U2 on 305..400 nm at 1 nm, on the scale where the largest working value is 1.
std::array<Matrix, 2> componentCurves(std::span<const SpectrumShare> shares,
                                      const ComponentBands& bands, double lambdaMax);

}  // namespace qf
