// A series on which the phase-plane stage fails still gets its component
// fits: the stage is reported as absent, one warning goes to standard error
// and VELA-I to VELA-III run as usual.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "driver/read_stage.h"
#include "driver/run.h"
#include "driver/stages.h"
#include "support/test_support.h"
#include "textio/checked.h"
#include "tools/synthetic_data.h"

namespace qf {
namespace {

using testing::readFile;
using testing::ScratchDir;

const std::string kTab40(39, ' ');
const std::string kResultAbsence = "\r\n" + kTab40 + "SUBPROGRAMM TARNO\r\nTWO-COMPONENT SOLUTION IS ABSENT!\r\n" +
                                   std::string(77, '-') + "\r\n\r\n" + kTab40 + "SUBPROGRAMM VELA-I\r\n";
const std::string kGraphAbsence = kTab40 + "SUBPROGRAMM TARNO\r\n" + kTab40 + "SUBPROGRAMM VELA-I\r\n";
const std::string kSummaryAbsence =
    "PROGRAMM    DISCR.  Nsc   N         Lm,nm             S,%        CLASS\r\n" + std::string(79, '-') +
    "\r\nTARNO      TWO-COMPONENT SOLUTION IS ABSENT!\r\n" + std::string(79, '-') + "\r\n";

// One band at 345 nm, noise-free, three spectra: every band ratio is the
// same in every spectrum, so the phase-plane lines are undefined.
synth::SeriesSpec series(std::vector<synth::Component> bands, int spectra) {
    synth::SeriesSpec s;
    s.title = "Generated series";
    for (int i = 0; i < spectra; ++i) s.concentrations.push_back(0.05 * i);
    s.components = std::move(bands);
    return s;
}
synth::SeriesSpec oneBandSeries() { return series({{345.0, 8000.0, 20.0}}, 3); }
synth::SeriesSpec twoBandSeries() { return series({{331.0, 6000.0, 3.0}, {350.0, 4000.0, 15.0}}, 10); }

// Two bands; spectrum 2 reads 0 at 320 nm, a reference point of the method.
std::string zeroInTheWindow() {
    synth::SeriesSpec s = twoBandSeries();
    s.valuesPerLine = 0;  // one line per spectrum: line 4 is spectrum 2, field 20 is 320 nm
    std::string text = synth::seriesFile(s);
    std::size_t line = 0;
    for (int n = 0; n < 4; ++n) line = text.find("\r\n", line) + 2;
    std::size_t field = line;
    for (int f = 0; f < 20; ++f) field = text.find(' ', field) + 1;
    text.replace(field, text.find(' ', field) - field, "0");
    return text;
}

struct Outcome {
    int status = -1;
    std::string err, result, graph, summary;
};

Outcome runQuenfit(const std::string& data) {
    ScratchDir dir;
    testing::writeFile(dir.file("data"), data);
    std::ostringstream out, err;
    Outcome r;
    r.status = runProgram(Program::Quenfit,
                          {dir.file("data"), dir.file("result"), dir.file("graph"), dir.file("summary")},
                          "12-07-2026", out, err);
    r.err = err.str();
    r.result = readFile(dir.file("result"));
    r.graph = readFile(dir.file("graph"));
    r.summary = readFile(dir.file("summary"));
    return r;
}

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// The absence blocks stand where the stage would have written, and the
// component fits follow to the legend.
void expectAbsentThenFits(const Outcome& r, const std::string& cause) {
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "quenfit: warning: phase-plane stage: " + cause + "; the component fits follow\n");

    // Title, date, the two quencher lines and their two empty lines come first.
    const std::size_t quencherEnd = r.result.find("\r\n", r.result.find("Quencher Chemical")) + 6;
    EXPECT_EQ(r.result.find(kResultAbsence), quencherEnd) << r.result;
    EXPECT_EQ(count(r.result, "T A B L E  1"), 0u) << "nothing of the phase-plane tables";
    EXPECT_EQ(count(r.result, "SUBPROGRAMM VELA-II\r\n"), 1u);
    EXPECT_EQ(count(r.result, "SUBPROGRAMM VELA-III\r\n"), 1u);

    EXPECT_EQ(count(r.graph, kGraphAbsence), 1u);
    EXPECT_EQ(count(r.graph, "SUBPROGRAMM TARNO"), 1u);
    EXPECT_GE(count(r.graph, "SMOOTHED NORMALIZED"), 2u) << "VELA-I and VELA-II report";

    const std::string title = r.summary.substr(0, r.summary.find("\r\n\r\n") + 4);
    EXPECT_EQ(r.summary.substr(title.size(), kSummaryAbsence.size()), kSummaryAbsence);
    EXPECT_NE(r.summary.find("\r\nVELA- 1 "), std::string::npos);
    EXPECT_NE(r.summary.find("DISCR. - Goodnes-of-Fit"), std::string::npos);
}

TEST(TarnoAbsence, OneBandSeriesGetsItsComponentFits) {
    const Outcome r = runQuenfit(synth::seriesFile(oneBandSeries()));
    expectAbsentThenFits(r, "the band ratio of 326 nm to 323 nm is the same in every spectrum, so the "
                            "phase-plane line is undefined");
}

TEST(TarnoAbsence, ZeroAtAReferencePointGetsTheComponentFits) {
    const Outcome r = runQuenfit(zeroInTheWindow());
    expectAbsentThenFits(r, "spectrum 2 has the value 0 at the reference point 320 nm, so its band ratios are undefined");
}

// The reporting pass computed and held all its lines, then fails: none of
// them reach a report, the absence lines do.
TEST(TarnoAbsence, FailedReportingPassLeavesNoneOfItsLines) {
    ScratchDir dir;
    testing::writeFile(dir.file("data"), synth::seriesFile(twoBandSeries()));
    for (const bool fails : {false, true}) {
        RunState run;
        run.program = Program::Quenfit;
        run.date = "12-07-2026";
        run.dataPath = dir.file("data");
        run.reports.result.openInMemory("report file");
        run.reports.graph.openInMemory("graph file");
        run.reports.summary.openInMemory("summary file");
        firstPass(run);
        analysisRead(run);
        const std::string result = run.reports.result.memory();
        const std::string graph = run.reports.graph.memory();
        const std::string summary = run.reports.summary.memory();
        bool reached = false;
        const TarnoEnd end = runTarnoStage(run, [&] {
            reached = true;
            if (fails) fp::record(fp::kOverflow);
        });
        EXPECT_TRUE(reached);
        if (!fails) {
            EXPECT_EQ(end, TarnoEnd::Reported);
            EXPECT_NE(run.reports.result.memory().find("T A B L E  1"), std::string::npos);
            EXPECT_TRUE(run.warnings.empty());
            continue;
        }
        EXPECT_EQ(end, TarnoEnd::Absent);
        EXPECT_EQ(run.reports.result.memory(), result + kResultAbsence);
        EXPECT_EQ(run.reports.graph.memory(), graph + kGraphAbsence);
        EXPECT_EQ(run.reports.summary.memory(), summary + kSummaryAbsence);
        ASSERT_EQ(run.warnings.size(), 1u);
        EXPECT_EQ(run.warnings[0], "phase-plane stage: arithmetic overflow; the component fits follow");
    }
}

}  // namespace
}  // namespace qf
