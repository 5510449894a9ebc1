#include "driver/stage_state.h"

#include <cassert>

#include "decomp/grid_search.h"

namespace qf {

namespace {
// The fall-back's two-component stage turns into the three-component one at
// this cycle.
constexpr int kFallBackSwitchCycle = 3;
}  // namespace

StageState::StageState(Program program)
    : program_(program),
      stage_(program == Program::Quenfit ? Stage::PhasePlane : Stage::OneComponent),
      threeCompStep_(kThreeComponentStep) {}

AcceptanceRule StageState::acceptanceRule() const {
    if (stage_ == Stage::PhasePlane) return AcceptanceRule::PhasePlane;
    return program_ == Program::Quenfit ? AcceptanceRule::SeriesFits : AcceptanceRule::SpectrumFits;
}

void StageState::enterStage(Stage stage) {
    stage_ = stage;
    cycles_ = 0;
    reportingPassDue_ = false;
    threeCompStep_ = kThreeComponentStep;
}

void StageState::nextStage() {
    assert(stage_ != Stage::Done);
    enterStage(stage_ == Stage::ThreeComponents ? Stage::Done : static_cast<Stage>(components() + 1));
}

void StageState::enterFallBack() {
    assert(program_ == Program::Monofit && !fallbackUsed_);
    enterStage(Stage::TwoComponents);
    fallbackActive_ = true;
    fallbackUsed_ = true;
}

void StageState::cycleDone(CycleDecision decision) {
    cycles_ += 1;
    if (fallbackActive_ && stage_ == Stage::TwoComponents && cycles_ == kFallBackSwitchCycle) {
        stage_ = Stage::ThreeComponents;
        reportingPassDue_ = false;
        return;
    }
    reportingPassDue_ = decision == CycleDecision::ReportingPass;
}

void StageState::thirdPositionKept() {
    if (stage_ == Stage::ThreeComponents) threeCompStep_ = kThreeComponentStep;
}

}  // namespace qf
