#pragma once
// Uncertainty of the best maximum positions and amplitudes: each position in
// turn walks away from its best value in 0.5 nm steps, downward and then
// upward, until the criterion departs by more than 1 % from the best one (or
// the walk reaches 40 nm). The mean distance reached is the position's
// uncertainty, the mean relative change of its amplitudes at the two ends
// that of the amplitudes.

#include "decomp/candidate.h"

namespace qf {

inline constexpr double kMaxWalkOffset = 40.0;  // nm

// Fills best.maxPositionError and best.amplitudeError for n components. Uses
// best.candidate for the evaluations; never changes the best solution.
void estimateErrors(const FitProblem& problem, int n, VelaBest& best);

}  // namespace qf
