// The analysis of a data text in memory against the programs on files: the
// same reports byte for byte (or the same absence), the same warning lines,
// the same failure line and exit status, for both programs.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "driver/analysis.h"
#include "driver/run.h"
#include "support/test_support.h"
#include "tools/synthetic_data.h"

namespace qf {
namespace {

using qf::testing::readFile;
using qf::testing::ScratchDir;
using qf::testing::sourcePath;
using qf::testing::writeFile;
namespace fs = std::filesystem;

constexpr const char* kDate = "12-07-2026";

// What a program leaves behind: the reports (absent when not created), the
// lines on standard error and the exit status.
struct Left {
    std::optional<std::string> result, graph, summary;
    std::vector<std::string> warnings;
    std::optional<std::string> failure;
    int status = 0;
};

std::optional<std::string> fileOrNothing(const std::string& path) {
    if (!fs::exists(path)) return std::nullopt;
    return readFile(path);
}

Left cliRun(Program program, const std::string& text, const ScratchDir& dir) {
    const std::string data = dir.file("input.dat");
    writeFile(data, text);
    for (const char* name : {"r.txt", "g.txt", "s.txt"}) fs::remove(dir.file(name));
    std::ostringstream out, err;
    Left left;
    left.status = runProgram(program, {data, dir.file("r.txt"), dir.file("g.txt"), dir.file("s.txt")},
                             kDate, out, err);
    left.result = fileOrNothing(dir.file("r.txt"));
    left.graph = fileOrNothing(dir.file("g.txt"));
    left.summary = fileOrNothing(dir.file("s.txt"));
    std::istringstream lines(err.str());
    for (std::string line; std::getline(lines, line);) {
        if (line.find(": warning: ") != std::string::npos) {
            left.warnings.push_back(line);
        } else {
            EXPECT_FALSE(left.failure) << "two failure lines";
            left.failure = line;
        }
    }
    return left;
}

Left memoryRun(Program program, const std::string& text, const std::string& name) {
    const AnalysisOutcome o = analyseText(
        text, program == Program::Quenfit ? ProgramChoice::Quenfit : ProgramChoice::Monofit, kDate, {}, name);
    EXPECT_EQ(o.program, program);
    Left left;
    left.result = o.result;
    left.graph = o.graph;
    left.summary = o.summary;
    left.warnings = o.warnings;
    if (o.failure) left.failure = o.failure->message;
    left.status = o.status();
    return left;
}

void expectSame(const Left& memory, const Left& cli) {
    EXPECT_EQ(memory.status, cli.status);
    EXPECT_EQ(memory.failure, cli.failure);
    EXPECT_EQ(memory.warnings, cli.warnings);
    const auto same = [](const char* role, const std::optional<std::string>& m, const std::optional<std::string>& c) {
        SCOPED_TRACE(role);
        ASSERT_EQ(m.has_value(), c.has_value());
        if (m) {
            EXPECT_EQ(qf::testing::firstDifference(*m, *c), "");
        }
    };
    same("report file", memory.result, cli.result);
    same("graph file", memory.graph, cli.graph);
    same("summary file", memory.summary, cli.summary);
}

synth::SeriesSpec generatedSeries(int spectra) {
    synth::SeriesSpec s;
    s.title = "Generated series";
    for (int i = 0; i < spectra; ++i) s.concentrations.push_back(0.05 * i);
    s.components = {{331.0, 6000.0, 3.0}, {350.0, 4000.0, 15.0}};
    s.noise = 0.002;
    return s;
}

synth::SeriesSpec oneBandSpectrum() {
    synth::SeriesSpec s;
    s.title = "One band";
    s.concentrations = {0.0};
    s.components = {{340.0, 8000.0, 0.0}};
    s.seed = 7;
    return s;
}

const std::string kTinyStandard = "0.317 0.887 0.957 0.631\n";

struct Case {
    const char* name;
    Program program;
    std::string text;
};

std::vector<Case> cases() {
    const std::string series = readFile(sourcePath("examples/series.dat"));
    const std::string single = readFile(sourcePath("examples/single.dat"));
    const std::string tinySeries = "Tiny series\n1 3 320 380 20\n0 .1 .2\n";
    const std::string tinySingle = "Tiny spectrum\n320 380 20\n";
    return {
        {"series example", Program::Quenfit, series},
        {"single example", Program::Monofit, single},
        // Completed with warnings.
        {"numbers after the standard", Program::Quenfit, series + "1 2 3\r\n"},
        {"phase-plane stage absent", Program::Quenfit,
         tinySeries + "8 4 2 1\n4 8 4 2\n2 4 8 4\n" + kTinyStandard},
        {"fall-back to two components", Program::Monofit, synth::singleSpectrumFile(oneBandSpectrum())},
        // Refused before any report exists.
        {"empty", Program::Quenfit, ""},
        {"empty", Program::Monofit, ""},
        {"not a number", Program::Quenfit, tinySeries + "8 4 x 1\n"},
        {"not a number", Program::Monofit, tinySingle + "8 4 2 1\n0.317 0.887 - 0.631\n"},
        {"31 spectra", Program::Quenfit, synth::seriesFile(generatedSeries(31))},
        {"quencher type 6", Program::Quenfit, "T\n6 3 320 380 20\n0 .1 .2\n"},
        {"two spectra", Program::Quenfit, "T\n1 2 320 380 20\n0 .1\n8 4 2 1\n4 8 4 2\n" + kTinyStandard},
        {"zero in the standard after a warning", Program::Monofit, tinySingle + "8 4 2 1\n0 0 0 0\n5 5\n"},
        {"the other program's file", Program::Quenfit, single},
        {"the other program's file", Program::Monofit, series},
        // Failed in a stage: partial reports.
        {"fails in VELA-I", Program::Quenfit, tinySeries + "0 0 0 1\n0 0 0 1\n0 0 0 1\n" + kTinyStandard},
        {"fails in VELA-MONO-I", Program::Monofit, tinySingle + "0 0 0 1\n" + kTinyStandard},
        {"fuzz corpus: tiny unquenched", Program::Quenfit,
         readFile(sourcePath("fuzz/corpus/quenfit/tiny-unquenched.dat"))},
    };
}

TEST(AnalysisInMemory, LeavesWhatTheProgramLeavesOnFiles) {
    ScratchDir dir;
    int failedInAStage = 0, refused = 0, completed = 0;
    for (const Case& c : cases()) {
        SCOPED_TRACE(std::string(c.name) + (c.program == Program::Quenfit ? " (quenfit)" : " (monofit)"));
        const Left cli = cliRun(c.program, c.text, dir);
        expectSame(memoryRun(c.program, c.text, dir.file("input.dat")), cli);
        if (cli.status == 0) ++completed;
        else if (cli.result) ++failedInAStage;
        else ++refused;
    }
    // The cases cover every way a run can end.
    EXPECT_EQ(completed, 5);
    EXPECT_EQ(refused, 10);
    EXPECT_EQ(failedInAStage, 3);
}

TEST(AnalysisInMemory, GivesTheGoldenReports) {
    const struct {
        const char* golden;
        const char* example;
        ProgramChoice choice;
        Program program;
        std::vector<std::string> stages;
    } goldens[] = {
        {"series", "examples/series.dat", ProgramChoice::Auto, Program::Quenfit,
         {"TARNO", "VELA-I", "VELA-II", "VELA-III"}},
        {"single", "examples/single.dat", ProgramChoice::Auto, Program::Monofit,
         {"VELA-MONO-I", "VELA-MONO-II", "VELA-MONO-III"}},
        {"series", "examples/series.dat", ProgramChoice::Quenfit, Program::Quenfit,
         {"TARNO", "VELA-I", "VELA-II", "VELA-III"}},
        {"single", "examples/single.dat", ProgramChoice::Monofit, Program::Monofit,
         {"VELA-MONO-I", "VELA-MONO-II", "VELA-MONO-III"}},
    };
    for (const auto& g : goldens) {
        SCOPED_TRACE(g.golden);
        std::vector<std::string> stages;
        const AnalysisOutcome o = analyseText(readFile(sourcePath(g.example)), g.choice, kDate,
                                              [&](const std::string& stage) { stages.push_back(stage); });
        ASSERT_EQ(o.status(), 0) << o.failure->message;
        EXPECT_EQ(o.program, g.program);
        EXPECT_TRUE(o.warnings.empty());
        EXPECT_EQ(stages, g.stages);
        const std::string golden = std::string("tests/golden/") + g.golden + "_";
        ASSERT_TRUE(o.result && o.graph && o.summary);
        EXPECT_EQ(qf::testing::firstDifference(*o.result, readFile(sourcePath(golden + "Result.txt"))), "");
        EXPECT_EQ(qf::testing::firstDifference(*o.graph, readFile(sourcePath(golden + "Graph.txt"))), "");
        EXPECT_EQ(qf::testing::firstDifference(*o.summary, readFile(sourcePath(golden + "Summary.txt"))), "");
    }
}

// The stage headings of a results report, in order.
std::vector<std::string> headings(const std::string& result) {
    std::vector<std::string> names;
    const std::string mark = "SUBPROGRAMM ";
    for (std::size_t at = result.find(mark); at != std::string::npos; at = result.find(mark, at)) {
        at += mark.size();
        names.push_back(result.substr(at, result.find('\r', at) - at));
    }
    return names;
}

// Every read of the data starts a stage and its heading: the fall-back
// names VELA-MONO-II again.
TEST(AnalysisInMemory, ProgressFollowsTheStageHeadings) {
    std::vector<std::string> stages;
    const AnalysisOutcome o =
        analyseText(synth::singleSpectrumFile(oneBandSpectrum()), ProgramChoice::Monofit, kDate,
                    [&](const std::string& stage) { stages.push_back(stage); });
    ASSERT_EQ(o.status(), 0);
    ASSERT_GE(stages.size(), 4u);
    EXPECT_EQ(stages[3], "VELA-MONO-II");
    EXPECT_EQ(stages, headings(*o.result));
}

// "auto" decides by line 2 as `trpfit run` does; a text it cannot place is
// refused with the reason and no program.
TEST(AnalysisInMemory, AutoTellsTheProgramFromLineTwo) {
    const struct {
        std::string text;
        std::optional<Program> program;
        const char* message;  // for a refusal
    } cases[] = {
        {"T\n300 399 1\n", Program::Monofit, ""},
        {"T\r\n1 3 300 399 1\r\n", Program::Quenfit, ""},
        {"T\n1,3,300,399,1,0,.1,.2\n", Program::Quenfit, ""},
        {"", std::nullopt, "my.dat: empty file, not a data file"},
        {"only a title", std::nullopt, "my.dat: not a data file: no line 2"},
        {"T\n\n", std::nullopt, "my.dat: not a data file: line 2 is empty"},
        {"T\n300 399\x01 1\n", std::nullopt, "my.dat: not a data file: line 2 holds \"399?\", not a number"},
        {"T\n1 3 300 399\n", std::nullopt,
         "my.dat: not a data file: line 2 holds 4 numbers (3 for a single spectrum, 5 for a quenching series)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const AnalysisOutcome o = analyseText(c.text, ProgramChoice::Auto, kDate, {}, "my.dat");
        EXPECT_EQ(o.program, c.program);
        EXPECT_EQ(o.status(), 1);  // the texts hold no spectra
        if (!c.program) {
            ASSERT_TRUE(o.failure);
            EXPECT_EQ(o.failure->message, c.message);
        }
        EXPECT_FALSE(o.result || o.graph || o.summary);
    }
}

// Messages name the data as the program names its path; without a name, the
// program's default data name.
TEST(AnalysisInMemory, MessagesNameTheData) {
    const AnalysisOutcome unnamed = analyseText("T\n300 399 1\n", ProgramChoice::Quenfit, kDate);
    ASSERT_TRUE(unnamed.failure);
    EXPECT_EQ(unnamed.failure->message,
              "quenfit: DATA.: line 2 holds 3 numbers, the parameter line of a single spectrum: analyse it "
              "with monofit");
    const AnalysisOutcome named = analyseText("T\n300 399 1\n", ProgramChoice::Monofit, kDate, {}, "s.dat");
    ASSERT_TRUE(named.failure);
    EXPECT_EQ(named.failure->message, "monofit: s.dat, line 3: the file ends where spectrum 1, point 1 was expected");
    EXPECT_EQ(programChoiceFromName("auto"), ProgramChoice::Auto);
    EXPECT_EQ(programChoiceFromName("monofit"), ProgramChoice::Monofit);
    EXPECT_FALSE(programChoiceFromName("Quenfit"));
}

// A text beyond the bound of a data file is refused as the file would be.
TEST(AnalysisInMemory, RefusesATextLargerThanADataFile) {
    const std::string huge(std::size_t{64} << 20 | 1, '1');
    const AnalysisOutcome o = analyseText(huge, ProgramChoice::Monofit, kDate, {}, "big.dat");
    ASSERT_TRUE(o.failure);
    EXPECT_EQ(o.failure->message, "monofit: the data file \"big.dat\" is larger than 64 MiB");
    EXPECT_FALSE(o.result);
}

// One analysis leaves nothing behind for the next: a run that ends in an
// arithmetic failure, then the example, gives the golden reports.
TEST(AnalysisInMemory, AnalysesDoNotInfluenceEachOther) {
    const AnalysisOutcome failed = analyseText("T\n320 380 20\n0 0 0 1\n" + kTinyStandard,
                                               ProgramChoice::Monofit, kDate);
    ASSERT_EQ(failed.status(), 1);
    const AnalysisOutcome o = analyseText(readFile(sourcePath("examples/single.dat")), ProgramChoice::Monofit, kDate);
    ASSERT_EQ(o.status(), 0) << o.failure->message;
    EXPECT_EQ(*o.summary, readFile(sourcePath("tests/golden/single_Summary.txt")));
    EXPECT_EQ(*o.result, readFile(sourcePath("tests/golden/single_Result.txt")));
}

}  // namespace
}  // namespace qf
