// The stage machine through its transitions, as both drivers use them.
#include <gtest/gtest.h>

#include "decomp/grid_search.h"
#include "driver/stage_state.h"

namespace qf {
namespace {

TEST(StageState, SeriesRunsThePhasePlaneStageThenThreeFits) {
    StageState s(Program::Quenfit);
    EXPECT_EQ(s.stage(), Stage::PhasePlane);
    EXPECT_EQ(s.acceptanceRule(), AcceptanceRule::PhasePlane);
    s.cycleDone(CycleDecision::SilentPass);
    EXPECT_FALSE(s.reportingPassDue());
    s.cycleDone(CycleDecision::ReportingPass);
    EXPECT_TRUE(s.reportingPassDue());
    EXPECT_EQ(s.smoothingCycles(), 2);

    s.threeCompStep() = kThreeComponentRetryStep;
    s.leavePhasePlane();
    EXPECT_EQ(s.stage(), Stage::OneComponent);
    EXPECT_EQ(s.acceptanceRule(), AcceptanceRule::SeriesFits);
    EXPECT_EQ(s.smoothingCycles(), 0);
    EXPECT_FALSE(s.reportingPassDue());
    EXPECT_EQ(s.threeCompStep(), kThreeComponentStep);

    s.cycleDone(CycleDecision::ReportingPass);
    s.nextStage();
    EXPECT_EQ(s.components(), 2);
    EXPECT_FALSE(s.reportingPassDue());
    s.nextStage();
    EXPECT_EQ(s.components(), 3);
    s.nextStage();
    EXPECT_TRUE(s.done());
}

TEST(StageState, FallBackSwitchesToThreeComponentsAtItsThirdCycle) {
    StageState s(Program::Monofit);
    EXPECT_EQ(s.stage(), Stage::OneComponent);
    EXPECT_EQ(s.acceptanceRule(), AcceptanceRule::SpectrumFits);
    // Without the fall-back the third cycle of stage 2 is an ordinary one.
    s.enterStage(Stage::TwoComponents);
    for (int c = 0; c < 3; ++c) s.cycleDone(CycleDecision::SilentPass);
    EXPECT_EQ(s.stage(), Stage::TwoComponents);

    s.enterStage(Stage::ThreeComponents);
    s.enterFallBack();
    EXPECT_EQ(s.stage(), Stage::TwoComponents);
    EXPECT_TRUE(s.fallbackActive());
    EXPECT_TRUE(s.fallbackUsed());
    s.cycleDone(CycleDecision::SilentPass);
    s.cycleDone(CycleDecision::SilentPass);
    EXPECT_EQ(s.stage(), Stage::TwoComponents);
    // The switch wins over an accepted cycle: the next pass searches three.
    s.cycleDone(CycleDecision::ReportingPass);
    EXPECT_EQ(s.stage(), Stage::ThreeComponents);
    EXPECT_FALSE(s.reportingPassDue());
    EXPECT_EQ(s.smoothingCycles(), 3);  // the count goes on in the switched stage
    s.cycleDone(CycleDecision::ReportingPass);
    EXPECT_TRUE(s.reportingPassDue());
    s.nextStage();
    EXPECT_TRUE(s.done());
}

TEST(StageState, CoarseThreeComponentStepComesBackOnlyInStageThree) {
    StageState s(Program::Monofit);
    s.threeCompStep() = kThreeComponentRetryStep;
    s.thirdPositionKept();
    EXPECT_EQ(s.threeCompStep(), kThreeComponentRetryStep);
    s.enterStage(Stage::ThreeComponents);
    s.threeCompStep() = kThreeComponentRetryStep;
    s.thirdPositionKept();
    EXPECT_EQ(s.threeCompStep(), kThreeComponentStep);
}

}  // namespace
}  // namespace qf
