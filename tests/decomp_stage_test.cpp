#include <gtest/gtest.h>

#include "decomp/grid_search.h"
#include "driver/stages.h"
#include "decomp_fixture.h"

namespace qf::testing {
namespace {

std::unique_ptr<RunState> emptySeries() {
    auto run = seriesRun({{340.0, 8000.0, 5.0}}, {0.0, 0.1, 0.2});
    run->spectra.workSpectra.resize(3, 61, 0.0);
    run->spectra.expSpectra.resize(3, 61, 0.0);
    return run;
}

// No solution: the absence lines, no tables, no smoothing cycle; stages 1
// and 2 go on, stage 3 ends the run.
TEST(VelaStage, AbsenceMessages) {
    auto run = emptySeries();
    EXPECT_EQ(runVelaStage(*run), StageEnd::NextStage);
    run->stage.nextStage();
    EXPECT_EQ(runVelaStage(*run), StageEnd::NextStage);
    run->stage.nextStage();
    EXPECT_EQ(runVelaStage(*run), StageEnd::EndRun);
    EXPECT_EQ(run->stage.smoothingCycles(), 0);
    EXPECT_EQ(run->stage.threeCompStep(), kThreeComponentRetryStep);
    const std::string r77(77, '-');
    EXPECT_EQ(run->reports.result.memory(), "MONOCOMPONENT SOLUTION IS ABSENT!\r\n" + r77 +
                                                "\r\nTWO-COMPONENT SOLUTION IS ABSENT!\r\n" + r77 +
                                                "\r\nTHREE-COMPONENT SOLUTION IS ABSENT!\r\n" + r77 + "\r\n");
    EXPECT_EQ(run->reports.summary.memory(),
              "MONOCOMPONENT SOLUTION IS ABSENT!\r\n" + std::string(79, '-') +
                  "\r\nTWO-COMPONENT SOLUTION IS ABSENT!\r\n" + std::string(75, '-') +
                  "\r\nTHREE-COMPONENT SOLUTION IS ABSENT!\r\n" + std::string(79, '-') + "\r\n");
    EXPECT_TRUE(run->reports.graph.memory().empty());
}

// The reporting pass of stage 1: the layout of Tables 1 and 2 and of the
// summary block, and the order of the graph sections.
TEST(VelaStage, ReportLayoutOfOneComponent) {
    auto run = seriesRun({{345.0, 8000.0, 8.4}}, {0.0, 0.1, 0.2, 0.3});
    ASSERT_EQ(runVelaStage(*run), StageEnd::NextStage);
    const std::string& result = run->reports.result.memory();
    EXPECT_EQ(result.rfind("\r\nT A B L E 1\r\nMaximum position of spectral components in wavelengths (L, nm) and "
                           "wavenumbers (V, 1/cm)\r\n\r\nN comp.           L (nm)    DL             V (1/cm)  DV\r\n"
                           " 1                341.8     .5             28986     42 \r\n",
                           0),
              0u)
        << result;
    EXPECT_NE(result.find("\r\nCq    N comp.       Si, %         s.d., %      Ai               Atotal\r\n\r\n"
                          " 0      1           100 "),
              std::string::npos);
    EXPECT_NE(result.find("Ksv/Ksv(TRP),%"), std::string::npos);
    EXPECT_NE(result.find("     1      8.4         0           50 "), std::string::npos);

    const std::string& graph = run->reports.graph.memory();
    const std::vector<std::string> order{"SMOOTHED NORMALIZED CORRECTED", "DIFERENCE", "DATA for STERN-VOLMER PLOT",
                                         "RESIDUALS", "THEORETICAL SPECTRA", "COMPONENTS FOR THE FIRST",
                                         "DISCRIMINANT = ", "SUBPROGRAMM VELA-II"};
    std::size_t at = 0;
    for (const std::string& s : order) {
        const std::size_t found = graph.find(s, at);
        ASSERT_NE(found, std::string::npos) << s;
        at = found;
    }
    const std::string& summary = run->reports.summary.memory();
    EXPECT_EQ(summary.substr(0, 12), "VELA- 1     ");
    EXPECT_NE(summary.find("    1    341.8 +/- .5      100 +/- 0       II\r\n" + std::string(79, '-') + "\r\n"),
              std::string::npos)
        << summary;
}

// After a cycle of the three-component stage whose third position is set,
// the coarse step goes back to 8.1 from the retry's 2.7.
TEST(VelaStage, ThreeComponentStepIsResetAfterACycle) {
    const std::vector<Band> truth{{316.0, 3000.0, 1.0}, {331.0, 6000.0, 4.0}, {350.0, 5000.0, 15.0}};
    auto run = seriesRun(truth, tenConcentrations());
    run->stage.enterStage(Stage::ThreeComponents);
    run->stage.threeCompStep() = 2.7;
    ASSERT_EQ(runVelaStage(*run), StageEnd::NextStage);
    EXPECT_EQ(run->stage.threeCompStep(), 8.1);
    EXPECT_EQ(run->reports.result.memory().find("SUBPROGRAMM"), std::string::npos);  // no heading after stage 3
}

}  // namespace
}  // namespace qf::testing
