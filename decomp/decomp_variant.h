#pragma once
// What distinguishes the decomposition of a quenching series (quenfit) from
// that of a single spectrum (monofit): search ranges and step schedules, the
// Stern-Volmer part of the candidate score, the area scale, the capacities
// and the layout of the reports. Both programs run the same stage code with
// one of the two variants below.

#include <array>

#include "textio/program.h"

namespace qf {

// One position axis of a grid search: its coarse range and its direction.
struct SearchAxis {
    double lower = 0.0;
    double upper = 0.0;
    bool descending = false;  // runs from the upper end down with step -s
};

// Half-width of a refined range around a best position, from the step s of
// the pass just run. Each is written as the fits give it; they differ in the
// last bits.
enum class RefineWidth {
    Step,          // best - s .. best + s
    StepAndThird,  // best - s - s / 3 .. best + s + s / 3
    FourThirds,    // best -/+ s * 4 / 3
    SevenFifths,   // best -/+ 7 * s / 5
};

struct SearchPlan {
    std::array<SearchAxis, 3> axes{};
    double firstStep = 0.0;   // 0: the three-component step of the stage state
    double divisor = 3.0;     // step of the next pass = s / divisor
    double stopBelow = 0.0;   // done after a pass whose step is below this
    RefineWidth width = RefineWidth::Step;
    bool retryAtFinerStep = false;  // coarse 8.1 repeated at 2.7 when nothing is kept
};

struct VelaVariant {
    Program program = Program::Quenfit;
    bool sternVolmer = true;   // candidate score carries the Stern-Volmer penalty
    double areaScale = 1.0;    // leading factor of the area factor
    int maxSpectra = 0;
    int maxPoints = 0;
    std::array<SearchPlan, 4> plans{};  // [1..3]

    bool mono() const { return program == Program::Monofit; }
    const SearchPlan& plan(int n) const { return plans[static_cast<std::size_t>(n)]; }
};

const VelaVariant& quenfitVariant();
const VelaVariant& monofitVariant();
const VelaVariant& velaVariant(Program program);

}  // namespace qf
