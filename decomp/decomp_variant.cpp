#include "decomp/decomp_variant.h"

#include "textio/capacities.h"

namespace qf {

namespace {

VelaVariant makeQuenfit() {
    VelaVariant v;
    v.program = Program::Quenfit;
    v.sternVolmer = true;
    v.areaScale = 1.0;
    v.maxSpectra = kMaxSeriesSpectra;
    v.maxPoints = kMaxSeriesPoints;
    v.plans[1] = SearchPlan{{{{305.0, 370.0, false}, {}, {}}}, 2.7, 3.0, 0.1, RefineWidth::Step, false};
    v.plans[2] = SearchPlan{{{{300.0, 350.0, false}, {310.0, 370.0, false}, {}}},
                            8.1, 3.0, 0.3, RefineWidth::FourThirds, false};
    v.plans[3] = SearchPlan{{{{300.0, 360.0, false}, {305.0, 367.0, false}, {310.0, 377.0, false}}},
                            0.0, 3.0, 0.15, RefineWidth::StepAndThird, true};
    return v;
}

VelaVariant makeMonofit() {
    VelaVariant v;
    v.program = Program::Monofit;
    v.sternVolmer = false;
    v.areaScale = 0.01;
    v.maxSpectra = 1;
    v.maxPoints = kMaxSpectrumPoints;
    v.plans[1] = SearchPlan{{{{300.0, 370.0, false}, {}, {}}}, 2.5, 5.0, 0.2,
                            RefineWidth::SevenFifths, false};
    v.plans[2] = SearchPlan{{{{300.0, 350.0, false}, {310.0, 370.0, true}, {}}},
                            8.1, 3.0, 0.15, RefineWidth::FourThirds, false};
    v.plans[3] = SearchPlan{{{{300.0, 350.0, false}, {305.0, 367.0, false}, {310.0, 377.0, true}}},
                            0.0, 3.0, 0.15, RefineWidth::FourThirds, true};
    return v;
}

}  // namespace

const VelaVariant& quenfitVariant() {
    static const VelaVariant variant = makeQuenfit();
    return variant;
}

const VelaVariant& monofitVariant() {
    static const VelaVariant variant = makeMonofit();
    return variant;
}

const VelaVariant& velaVariant(Program program) {
    return program == Program::Monofit ? monofitVariant() : quenfitVariant();
}

}  // namespace qf
