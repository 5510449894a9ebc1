// The report reader on real reports: the golden runs of both programs, runs
// cut short, and lines that do not belong.
#include <gtest/gtest.h>

#include "results/report_reader.h"
#include "support/test_support.h"

namespace qf::results {
namespace {

using qf::testing::readFile;
using qf::testing::sourcePath;

ReportTexts goldenTexts(const std::string& run) {
    ReportTexts t;
    t.paths = {run + "_Result.txt", run + "_Graph.txt", run + "_Summary.txt"};
    t.result = readFile(sourcePath("tests/golden/" + t.paths.result));
    t.graph = readFile(sourcePath("tests/golden/" + t.paths.graph));
    t.summary = readFile(sourcePath("tests/golden/" + t.paths.summary));
    return t;
}

TEST(ResultsReader, GoldenSeriesReadsCompletely) {
    const RunReports run = readReports(goldenTexts("series"));
    EXPECT_TRUE(run.complete) << run.result.where << " | " << run.graph.where << " | " << run.summary.where;
    EXPECT_EQ(run.program, Program::Quenfit);
    ASSERT_EQ(run.stages.size(), 4u);
}

TEST(ResultsReader, GoldenSingleReadsCompletely) {
    const RunReports run = readReports(goldenTexts("single"));
    EXPECT_TRUE(run.complete) << run.result.where << " | " << run.graph.where << " | " << run.summary.where;
    EXPECT_EQ(run.program, Program::Monofit);
    ASSERT_EQ(run.stages.size(), 3u);
}

}  // namespace
}  // namespace qf::results
