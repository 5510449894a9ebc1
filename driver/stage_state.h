#pragma once
// The stage machine of a run. A quenching series runs the phase-plane stage
// and then the component fits VELA-I to VELA-III; a single spectrum runs the
// fits VELA-MONO-I to -III, with one fall-back from three components to two.
// Every stage alternates silent passes with smoothing cycles until the
// acceptance rule calls its reporting pass. The driver owns this state; the
// transitions below are the only ways it changes.

#include "prep/smoothing.h"
#include "textio/program.h"

namespace qf {

enum class Stage {
    PhasePlane,       // quenching series only
    OneComponent,     // VELA-I
    TwoComponents,    // VELA-II
    ThreeComponents,  // VELA-III
    Done,
};

// Components of a stage: 0 for the phase-plane stage, 1 to 3 for the fits.
inline int componentCount(Stage stage) { return static_cast<int>(stage); }

class StageState {
public:
    // A series starts with the phase-plane stage, a single spectrum with the
    // one-component fit.
    explicit StageState(Program program = Program::Quenfit);

    Stage stage() const { return stage_; }
    int components() const { return componentCount(stage_); }
    bool done() const { return stage_ == Stage::Done; }
    // Smoothing cycles run in the current stage ("Nsc" of the summary).
    int smoothingCycles() const { return cycles_; }
    // The last cycle called the reporting pass.
    bool reportingPassDue() const { return reportingPassDue_; }
    // The rule that decides the next cycle of the current stage.
    AcceptanceRule acceptanceRule() const;
    // Single spectrum: the second two-component stage of the fall-back runs,
    // and the fall-back was used in this run.
    bool fallbackActive() const { return fallbackActive_; }
    bool fallbackUsed() const { return fallbackUsed_; }
    // Coarse step of the three-component search; the search may refine it.
    double& threeCompStep() { return threeCompStep_; }
    double threeCompStep() const { return threeCompStep_; }

    // Enters `stage` with no cycle run and the coarse three-component step.
    void enterStage(Stage stage);
    // The phase-plane stage ends (reported or absent): VELA-I comes next.
    void leavePhasePlane() { enterStage(Stage::OneComponent); }
    // The current stage has ended; the next one (or the end after VELA-III).
    void nextStage();
    // No three-component solution yet for a single spectrum: fit two
    // components again and switch to three at the third cycle.
    void enterFallBack();
    // The run ends after the current stage.
    void finish() { stage_ = Stage::Done; }

    // Counts a smoothing cycle and takes its decision. In the fall-back's
    // two-component stage the third cycle switches to three components
    // instead: the following passes search three.
    void cycleDone(CycleDecision decision);
    // A cycle of the three-component stage after which the best third
    // position is set: the search starts again at the coarse step.
    void thirdPositionKept();

private:
    Program program_;
    Stage stage_;
    int cycles_ = 0;
    bool reportingPassDue_ = false;
    bool fallbackActive_ = false;
    bool fallbackUsed_ = false;
    double threeCompStep_;
};

}  // namespace qf
