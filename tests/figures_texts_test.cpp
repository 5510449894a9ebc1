// The report page made in memory, as the browser page makes it: the same
// page, figures and tables as the files `trpfit report` writes, a message
// instead of an exception for reports that cannot be read, and reports
// given in the wrong order named for what they look like.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "figures/report_texts.h"
#include "support/test_support.h"

namespace qf::figures {
namespace {

namespace fs = std::filesystem;
using qf::testing::readFile;
using qf::testing::ScratchDir;
using qf::testing::sourcePath;

ReportTextsInput goldenInput(const std::string& name) {
    ReportTextsInput in;
    in.result = readFile(sourcePath("tests/golden/" + name + "_Result.txt"));
    in.graph = readFile(sourcePath("tests/golden/" + name + "_Graph.txt"));
    in.summary = readFile(sourcePath("tests/golden/" + name + "_Summary.txt"));
    return in;
}

TEST(ReportTexts, SameOutputsAsTheCommandWritesAndNoFileTouched) {
    ScratchDir dir;
    const fs::path g = sourcePath("tests/golden");
    const std::string command = std::string(QF_TRPFIT_EXE) + " report -o " + dir.file("out") + " " +
                                (g / "series_Result.txt").string() + " " + (g / "series_Graph.txt").string() + " " +
                                (g / "series_Summary.txt").string() + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);

    ReportTextsInput in = goldenInput("series");
    in.resultName = (g / "series_Result.txt").string();
    in.graphName = (g / "series_Graph.txt").string();
    in.summaryName = (g / "series_Summary.txt").string();
    in.fileLabel = in.resultName;
    const fs::path before = fs::current_path();
    const ReportPageTexts made = reportPageFromTexts(in);
    ASSERT_TRUE(made.ok) << made.message;
    EXPECT_TRUE(made.warnings.empty());
    EXPECT_EQ(made.page, readFile(dir.path() / "out" / "report.html"));
    ASSERT_EQ(made.tables.size(), 3u);
    std::size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path() / "out")) files += entry.is_regular_file();
    EXPECT_EQ(files, 1 + made.figures.size() + made.tables.size());
    for (const auto* set : {&made.figures, &made.tables}) {
        for (const NamedText& t : *set) {
            EXPECT_EQ(t.text, readFile(dir.path() / "out" / t.name)) << t.name;
            // The page shows every figure it names.
            if (t.name.rfind("figures/", 0) == 0) {
                EXPECT_NE(made.page.find(t.name), std::string::npos) << t.name;
            }
        }
    }
    EXPECT_EQ(fs::current_path(), before);
}

TEST(ReportTexts, BadReportsGiveAMessageNamingTheReportAndLine) {
    ReportTextsInput in = goldenInput("single");
    in.graphName = "GraphM.txt";
    in.graph.insert(in.graph.find("NORMALIZED"), "no such line\r\n");
    const ReportPageTexts made = reportPageFromTexts(in);
    EXPECT_FALSE(made.ok);
    EXPECT_TRUE(made.page.empty());
    EXPECT_EQ(made.message.rfind("GraphM.txt, line ", 0), 0u) << made.message;
}

TEST(ReportTexts, ReportsInAnotherOrderAreNamedForWhatTheyLookLike) {
    for (const char* name : {"series", "single"}) {
        const ReportTextsInput golden = goldenInput(name);
        EXPECT_EQ(reportKindOf(golden.result), "results") << name;
        EXPECT_EQ(reportKindOf(golden.graph), "graph") << name;
        EXPECT_EQ(reportKindOf(golden.summary), "summary") << name;
    }
    // Only title and date: a run that failed at once tells nothing.
    EXPECT_EQ(reportKindOf("Title\r\n12-07-2026\r\n\r\n"), "");
    // A title that reads like another report's line does not decide.
    EXPECT_EQ(reportKindOf("T A B L E 1\r\n12-07-2026\r\n"), "");

    ReportTextsInput in = goldenInput("series");
    std::swap(in.graph, in.summary);
    in.resultName = "Result.txt";
    in.graphName = "b.txt";
    in.summaryName = "c.txt";
    const ReportPageTexts made = reportPageFromTexts(in);
    EXPECT_FALSE(made.ok);
    EXPECT_NE(made.message.find("b.txt looks like the summary report"), std::string::npos) << made.message;
    EXPECT_NE(made.message.find("c.txt looks like the graph report"), std::string::npos) << made.message;
    EXPECT_EQ(made.message.find("Result.txt"), std::string::npos) << made.message;
    EXPECT_EQ(reportOrderProblem("a", in.result, "b", in.summary, "c", in.graph), "");

    // The command says the same and writes nothing.
    ScratchDir dir;
    const fs::path g = sourcePath("tests/golden");
    const std::string command = std::string(QF_TRPFIT_EXE) + " report -o " + dir.file("out") + " " +
                                (g / "single_Graph.txt").string() + " " + (g / "single_Result.txt").string() + " " +
                                (g / "single_Summary.txt").string() + " >/dev/null 2>" + dir.file("err");
    EXPECT_NE(std::system(command.c_str()), 0);
    const std::string err = readFile(dir.path() / "err");
    EXPECT_NE(err.find("single_Graph.txt looks like the graph report, given as the results report"),
              std::string::npos) << err;
    EXPECT_NE(err.find("single_Result.txt looks like the results report, given as the graph report"),
              std::string::npos) << err;
    EXPECT_FALSE(fs::exists(dir.path() / "out"));
}

}  // namespace
}  // namespace qf::figures
