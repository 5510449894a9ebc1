#pragma once
// Stage flags and counters of a run, and the residual state that a pass
// leaves for the smoothing cycle that follows it.

#include <array>

#include "textio/matrix.h"

namespace qf {

enum class Program { Quenfit, Monofit };

struct StageState {
    int runIndex = 0;         // component count: 0 = phase-plane stage, 1..3 VELA stages
    int smoothingCycles = 0;  // "Nsc" of the summary
    int cycleClean = 0;       // 1 = the last cycle corrected nothing (or was forced)
    std::array<int, 4> stageClean{};  // [1..3]: copy of cycleClean per VELA stage
    std::array<int, 4> finalPass{};   // [1..3]: 1 = next pass is the reporting pass
    int velaFlag = 0;   // phase-plane stage accepted
    int tarnoFlag = 0;  // phase-plane reporting pass due
    double threeCompStep = 8.1;
    // Single-spectrum analyser: fall-back from three to two components.
    bool fallbackActive = false;
    bool fallbackUsed = false;
};

// What the pass just completed leaves for the smoothing cycle and the
// discriminant.
struct FitResiduals {
    Matrix residuals;  // % of 10000: 0.01 * (theoretical - workSpectra)
    double fitRms = 0.0;
    double expRms = 0.0;
    double smoothingRms = 0.0;
    double tarnoMeanR = 0.0;
};

}  // namespace qf
