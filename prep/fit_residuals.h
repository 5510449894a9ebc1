#pragma once
// What a pass leaves for the smoothing cycle that follows it and for the
// discriminant of the reporting pass.

#include "textio/matrix.h"

namespace qf {

struct FitResiduals {
    Matrix residuals;  // % of 10000: 0.01 * (theoretical - workSpectra)
    double fitRms = 0.0;
    double expRms = 0.0;
    double smoothingRms = 0.0;
    double tarnoMeanR = 0.0;
};

}  // namespace qf
