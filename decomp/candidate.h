#pragma once
// Evaluation of one candidate decomposition: for given maximum positions the
// amplitudes of every spectrum follow by linear least squares (Cramer's rule
// on the Gram matrix of the component shapes), and the candidate is scored
// by its total absolute misfit on the wavenumber scale, inflated by how far
// each component's amplitudes depart from a Stern-Volmer line.

#include <span>
#include <vector>

#include "decomp/decomp_state.h"
#include "textio/matrix.h"

namespace qf {

inline constexpr int kMaxFitPoints = kMaxSpectrumPoints;

// What the evaluation reads: the window wavelengths, the spectra on the
// wavenumber scale, and the quencher activities (empty: no Stern-Volmer part).
struct FitProblem {
    int nSpec = 0;
    int nPoints = 0;
    std::vector<double> wavelengths;  // lambda_j = 320 + (j - 1) * step
    const Matrix* wavenumberSpectra = nullptr;
    std::span<const double> activity;

    bool sternVolmer() const { return !activity.empty(); }
};

// Fills candidate.criterion (0 = rejected), the amplitudes, the Stern-Volmer
// values and svPenalty for the n components at candidate.trialMaxima.
// Rejected: a band that cannot be evaluated at a window wavelength or 5 nm
// below its position (amplitudes untouched), a singular system (amplitudes
// untouched), a non-positive amplitude, or an implausible Stern-Volmer line.
void evaluateCandidate(const FitProblem& problem, int n, Candidate& candidate);

// Copies the candidate to the best solution when its criterion is strictly
// lower than bestCriterion. Returns true when it was kept.
bool keepIfBetter(const Candidate& candidate, int n, int nSpec, VelaBest& best);

// The determinant of the Gram matrix, N = 1, 2 or 3, in the fixed term order.
double gramDeterminant(const std::array<std::array<double, 3>, 3>& m, int n);

}  // namespace qf
