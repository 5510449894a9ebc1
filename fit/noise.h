#pragma once
// The noise model of a fit, estimated from its residuals, and the
// simulation of data under it (the parametric bootstrap).

#include <random>
#include <vector>

#include "fit/model.h"

namespace qf::fit {

// Estimates the shared and independent parts of the error from the
// residuals y - mu of a fit with `parameters` fitted parameters. In a
// single spectrum the standard's error is one more error per point: only
// its parts that grow where the standard is weak (`sharedCounting`,
// `sharedAdditive`) are told from the spectrum's own noise, and
// `sharedRelative` is left 0.
NoiseModel estimateNoise(const Observations& obs, const std::vector<double>& mu, int parameters);

// One data set drawn from the model: mu plus a shared error per wavelength
// and independent errors per point.
std::vector<double> simulate(const Observations& obs, const NoiseModel& noise,
                             const std::vector<double>& mu, std::mt19937_64& rng);

}  // namespace qf::fit
