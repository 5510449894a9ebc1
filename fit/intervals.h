#pragma once
// Quantities derived from a solution (shares, peaks), the parametric
// bootstrap that gives their 95 % intervals, and the leave-one-spectrum-out
// stability of the positions.

#include <cstdint>
#include <vector>

#include "fit/model.h"

namespace qf::fit {

// Shares (%) of the components at zero quencher: amplitude times band area.
std::vector<double> sharesOf(const Solution& s);

// Peak of the band on the wavelength-intensity scale (nm), to 1e-6 nm.
double exactPeak(double lambdaM);

// Percentile bounds of every position, Ksv and share from `rounds` fits to
// data simulated around `fit` under `noise`, weighted as the fit was. The
// draws are made per round from the seed, so the result does not depend on
// the number of threads.
struct Bounds {
    std::vector<double> posLow, posHigh, ksvLow, ksvHigh, shareLow, shareHigh;
};
Bounds bootstrap(const Observations& obs, const Whitening& w, const NoiseModel& noise,
                 const Solution& fit, int rounds, std::uint64_t seed);

// Largest shift of each position (nm) when one spectrum at a time is left
// out and the fit is repeated from `fit`.
std::vector<double> leaveOneOutShifts(const Observations& obs, const NoiseModel& noise,
                        const std::vector<double>& muReference, const Solution& fit);

}  // namespace qf::fit
