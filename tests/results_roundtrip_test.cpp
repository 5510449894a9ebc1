// Nothing of the reports is lost in the model: written back, the model of a
// finished run gives its three reports byte for byte. Runs of both programs:
// the golden examples, and fresh runs with a stage without a solution and
// monofit's fall-back from three components to two.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sys/wait.h>

#include "results/report_reader.h"
#include "support/report_render.h"
#include "support/test_support.h"
#include "tools/synthetic_data.h"

namespace qf::results {
namespace {

using qf::testing::readFile;
using qf::testing::ScratchDir;
using qf::testing::sourcePath;
using qf::testing::writeFile;
using render::writeReportTexts;

void expectRoundTrip(const ReportTexts& texts, const std::string& name) {
    const RunReports run = readReports(texts);
    EXPECT_TRUE(run.complete) << name << ": " << run.result.where << " / " << run.graph.where << " / "
                              << run.summary.where;
    const ReportTexts back = writeReportTexts(run);
    EXPECT_EQ(back.result, texts.result) << name << " results report";
    EXPECT_EQ(back.graph, texts.graph) << name << " graph report";
    EXPECT_EQ(back.summary, texts.summary) << name << " summary report";
}

// The reports of a run that failed: not complete, yet written back the
// same, up to where each report ends.
void expectCutRoundTrip(const ReportTexts& texts, const std::string& name) {
    const RunReports run = readReports(texts);
    EXPECT_FALSE(run.complete) << name;
    const ReportTexts back = writeReportTexts(run);
    EXPECT_EQ(back.result, texts.result) << name << " results report";
    EXPECT_EQ(back.graph, texts.graph) << name << " graph report";
    EXPECT_EQ(back.summary, texts.summary) << name << " summary report";
}

// Runs `program` on `data` in a scratch folder and returns its reports;
// the program must end with `status` (0: the run finished).
ReportTexts runProgram(const char* program, const std::string& data, const ScratchDir& dir, int status = 0) {
    const std::string cmd = std::string("cd '") + dir.path().string() + "' && '" + program + "' '" + data +
                            "' r.txt g.txt s.txt >/dev/null 2>&1";
    const int raw = std::system(cmd.c_str());
    EXPECT_TRUE(WIFEXITED(raw)) << cmd;
    EXPECT_EQ(WEXITSTATUS(raw), status) << cmd;
    ReportTexts t;
    t.paths = {dir.file("r.txt"), dir.file("g.txt"), dir.file("s.txt")};
    t.result = readFile(t.paths.result);
    t.graph = readFile(t.paths.graph);
    t.summary = readFile(t.paths.summary);
    return t;
}

TEST(ResultsRoundTrip, GoldenRunsOfBothPrograms) {
    for (const std::string name : {"series", "single"}) {
        ReportTexts t;
        t.result = readFile(sourcePath("tests/golden/" + name + "_Result.txt"));
        t.graph = readFile(sourcePath("tests/golden/" + name + "_Graph.txt"));
        t.summary = readFile(sourcePath("tests/golden/" + name + "_Summary.txt"));
        expectRoundTrip(t, name);
    }
}

// A 0.75 nm grid whose three-component search finds nothing: the last
// stage is an absence line in the results and the summary.
TEST(ResultsRoundTrip, SeriesWithoutAThreeComponentSolution) {
    ScratchDir dir;
    const ReportTexts t =
        runProgram(QF_QUENFIT_EXE, sourcePath("fuzz/corpus/quenfit/series-0.75nm-one.dat").string(), dir);
    ASSERT_NE(t.result.find("THREE-COMPONENT SOLUTION IS ABSENT!"), std::string::npos);
    expectRoundTrip(t, "series-0.75nm-one");
}

const std::string kTarnoHeading = std::string(39, ' ') + "SUBPROGRAMM TARNO\r\n";
const std::string kTarnoAbsenceRow = "TARNO      TWO-COMPONENT SOLUTION IS ABSENT!\r\n";

// A tiny series on which the phase-plane stage fails: the stage is absent
// in all three reports and VELA-I to VELA-III finish the run.
TEST(ResultsRoundTrip, SeriesWithoutAPhasePlaneSolution) {
    ScratchDir dir;
    const ReportTexts t = runProgram(QF_QUENFIT_EXE, sourcePath("fuzz/corpus/quenfit/tiny.dat").string(), dir);
    ASSERT_NE(t.summary.find(kTarnoAbsenceRow), std::string::npos);
    ASSERT_NE(t.graph.find(kTarnoHeading), std::string::npos);
    const RunReports run = readReports(t);
    ASSERT_EQ(run.stages.size(), 4u);
    EXPECT_EQ(run.stages[0].kind, StageKind::Tarno);
    EXPECT_EQ(run.stages[0].outcome, Outcome::Absent);
    ASSERT_TRUE(run.stages[0].summary.has_value());
    EXPECT_TRUE(run.stages[0].summary->absent);
    EXPECT_EQ(run.stages[0].summary->method, SummaryMethod::PhasePlane);
    EXPECT_TRUE(run.stages[0].smoothed.values.empty());
    EXPECT_EQ(run.stages[1].outcome, Outcome::Reported);
    EXPECT_FALSE(run.stages[1].smoothed.values.empty());
    expectRoundTrip(t, "tiny");
}

// A tiny series without quencher effect: the phase-plane stage is absent,
// then VELA-I fails and the reports end after its heading.
TEST(ResultsRoundTrip, FailedRunAfterAnAbsentPhasePlaneStage) {
    ScratchDir dir;
    const ReportTexts t =
        runProgram(QF_QUENFIT_EXE, sourcePath("fuzz/corpus/quenfit/tiny-unquenched.dat").string(), dir, 1);
    ASSERT_NE(t.summary.find(kTarnoAbsenceRow), std::string::npos);
    const RunReports run = readReports(t);
    ASSERT_EQ(run.stages.size(), 2u);
    EXPECT_EQ(run.stages[0].outcome, Outcome::Absent);
    EXPECT_EQ(run.stages[1].kind, StageKind::Vela1);
    EXPECT_EQ(run.stages[1].outcome, Outcome::Nothing);
    EXPECT_EQ(run.result.where, "the heading of VELA-I");
    EXPECT_EQ(run.graph.where, "the heading of VELA-I");
    expectCutRoundTrip(t, "tiny-unquenched");
}

// One band: monofit finds no third component, falls back to two and prints
// the VELA-MONO-II heading again.
TEST(ResultsRoundTrip, SingleSpectrumFallingBackToTwoComponents) {
    for (double noise : {0.0, 0.03}) {
        ScratchDir dir;
        synth::SeriesSpec oneBand;
        oneBand.title = "One band";
        oneBand.concentrations = {0.0};
        oneBand.components = {{340.0, 8000.0, 0.0}};
        oneBand.noise = noise;
        oneBand.seed = 7;
        writeFile(dir.path() / "one.dat", synth::singleSpectrumFile(oneBand));
        const ReportTexts t = runProgram(QF_MONOFIT_EXE, dir.file("one.dat"), dir);
        const RunReports run = readReports(t);
        ASSERT_GE(run.stages.size(), 4u);
        EXPECT_EQ(run.stages[3].kind, StageKind::VelaMono2);
        EXPECT_EQ(run.stages[3].occurrence, 2);
        expectRoundTrip(t, "one band, noise " + std::to_string(noise));
    }
}

}  // namespace
}  // namespace qf::results
