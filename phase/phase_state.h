#pragma once
// What the phase-plane stage keeps: the wavenumber-scale spectra of the last
// rescaling (the reporting pass works on those of the pass before it) and
// the results of the last pass, which the reports and the tests read.

#include <array>
#include <vector>

#include "textio/capacities.h"
#include "textio/matrix.h"

namespace qf {

inline constexpr int kMaxTarnoSpectra = kMaxSeriesSpectra;
inline constexpr int kMaxTarnoPoints = kMaxSeriesPoints;
inline constexpr int kTarnoCurvePoints = 96;  // 305..400 nm, 1 nm

// One of the two phase-plane components.
struct PhaseComponent {
    double lambdaM = 0.0;  // band maximum (nm), unrounded
    double DL = 0.0;       // spread of the votes (nm, 0.1)
    double V = 0.0;        // wavenumber of lambdaM (1/cm)
    double DV = 0.0;       // DL in wavenumbers (1/cm)
    double L = 0.0;        // peak on the wavelength scale (nm, 0.1)
};

struct PhasePositions {
    std::array<PhaseComponent, 2> component{};
    double tarnoMeanR = 0.0;
};

// The share of the two components in one spectrum (lever rule).
struct SpectrumShare {
    std::array<double, 2> amp{};      // amplitudes on the wavenumber scale
    std::array<double, 2> sdAmp{};    // spread over the reference points
    std::array<double, 2> area{};     // Ai1, Ai2
    std::array<double, 2> percent{};  // S1, S2 (%)
    std::array<double, 2> sd{};       // sd1, sd2 (%)
};

struct PhaseSternVolmer {
    double ksv = 0.0, sd = 0.0, intercept = 0.0, r = 0.0;
    double relKsv = 0.0, relSd = 0.0;
};

struct TarnoState {
    Matrix wavenumberSpectra;  // F = workSpectra * (lambda / lambdaMax)^2
    bool haveWavenumberSpectra = false;
    int passes = 0;            // passes run in the current stage

    PhasePositions positions;
    std::vector<SpectrumShare> shares;
    std::array<PhaseSternVolmer, 2> sternVolmer{};
    Matrix deviation;  // dE: residuals against the experimental spectra (%)
    double tarnoRms = 0.0;
    double tarnoDiscriminant = 0.0;
    std::array<Matrix, 2> curves;  // U1, U2: spectra x 96 points, 305..400 nm
};

}  // namespace qf
