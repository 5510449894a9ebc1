// Whole runs on the bundled examples compared byte for byte with the stored
// reports. After an intended change of the reports, regenerate them with
//   QF_UPDATE_GOLDEN=1 build/tests/golden_test
// and review the difference before committing it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "driver/run.h"
#include "support/test_support.h"

namespace qf {
namespace {

using qf::testing::readFile;
using qf::testing::ScratchDir;
using qf::testing::sourcePath;
using qf::testing::writeFile;

struct GoldenCase {
    const char* name;
    Program program;
    const char* data;
};

class GoldenRun : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenRun, ReportsMatchByteForByte) {
    const GoldenCase& c = GetParam();
    ScratchDir dir;
    const std::vector<std::string> args = {sourcePath(c.data).string(), dir.file("Result.txt"),
                                           dir.file("Graph.txt"), dir.file("Summary.txt")};
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(runProgram(c.program, args, "12-07-2026", out, err), 0) << err.str();
    EXPECT_EQ(err.str(), "");
    const bool update = std::getenv("QF_UPDATE_GOLDEN") != nullptr;
    for (const char* report : {"Result.txt", "Graph.txt", "Summary.txt"}) {
        const auto golden = sourcePath(std::string("tests/golden/") + c.name + "_" + report);
        const std::string actual = readFile(dir.file(report));
        if (update) {
            writeFile(golden, actual);
            continue;
        }
        const std::string difference = qf::testing::firstDifference(actual, readFile(golden));
        EXPECT_EQ(difference, "") << report << " of " << c.name << " differs from " << golden;
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, GoldenRun,
                         ::testing::Values(GoldenCase{"series", Program::Quenfit, "examples/series.dat"},
                                           GoldenCase{"single", Program::Monofit, "examples/single.dat"}),
                         [](const auto& param) { return std::string(param.param.name); });

// A failing comparison shows the first line that differs, not two whole reports.
TEST(GoldenDifference, NamesTheFirstDifferingLine) {
    EXPECT_EQ(qf::testing::firstDifference("a\r\nb\r\n", "a\r\nb\r\n"), "");
    EXPECT_EQ(qf::testing::firstDifference("a\r\nbX\r\nc\r\n", "a\r\nbY\r\nc\r\n"),
              "first difference at line 2\n  expected: \"bY\r\"\n  actual:   \"bX\r\"\n"
              "  sizes: 10 expected, 10 actual");
    EXPECT_EQ(qf::testing::firstDifference("a\n", "a\nb\n"),
              "first difference at line 2\n  expected: \"b\"\n  actual:   (end of text)\n"
              "  sizes: 4 expected, 2 actual");
}

}  // namespace
}  // namespace qf
