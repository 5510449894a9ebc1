#pragma once
// State of the component decomposition that lives for the whole run: the
// spectra on the wavenumber scale of the last new pass, the candidate being
// evaluated, the best decomposition and its error estimate, and the copies
// the summary report reads. Positions and amplitudes of the best solution are
// never cleared: they survive from pass to pass and from stage to stage.

#include <array>

#include "textio/capacities.h"
#include "textio/matrix.h"

namespace qf {

inline constexpr int kMaxComponents = 3;
inline constexpr int kMaxVelaSpectra = kMaxSeriesSpectra;
// Best criterion before a search has kept anything: 10^8, above any score.
inline constexpr double kNoCriterion = 100000000.0;

using ComponentValues = std::array<double, kMaxComponents>;

// The candidate being evaluated. Its amplitudes keep what the last
// evaluation wrote, also when that evaluation rejected the candidate.
struct Candidate {
    ComponentValues trialMaxima{};
    Matrix amplitudes{kMaxComponents, kMaxVelaSpectra};
    ComponentValues ksv{};
    ComponentValues ksvSd{};
    ComponentValues svIntercept{};
    ComponentValues svR{};
    ComponentValues svRelDev{};
    double svPenalty = 0.0;
    double criterion = 0.0;  // 0 = rejected
};

struct VelaBest {
    Matrix wavenumberSpectra;  // workSpectra * (lambda / lambdaMax)^2
    Candidate candidate;

    ComponentValues bestMaxima{};
    Matrix bestAmplitudes{kMaxComponents, kMaxVelaSpectra};
    ComponentValues bestKsv{};
    ComponentValues bestKsvSd{};
    ComponentValues bestSvIntercept{};
    ComponentValues bestSvR{};
    double bestCriterion = kNoCriterion;
    double bestSvPenalty = 0.0;

    // Error estimate of the last pass.
    ComponentValues maxPositionError{};  // nm, a multiple of 0.5
    Matrix amplitudeError{kMaxComponents, kMaxVelaSpectra};  // whole per cent

    // Copies for the summary, refreshed by the reporting pass.
    ComponentValues summaryPeak{};
    ComponentValues summaryPeakError{};
    ComponentValues summaryContribution{};
    ComponentValues summaryContributionSd{};
};

}  // namespace qf
