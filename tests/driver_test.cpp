#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "driver/run.h"
#include "support/test_support.h"

namespace qf {
namespace {

using qf::testing::readFile;
using qf::testing::ScratchDir;
using qf::testing::sourcePath;
using qf::testing::writeFile;

// Runs in the scratch folder, as a user would in the folder of the data.
class InFolder {
public:
    explicit InFolder(const std::filesystem::path& p) : old_(std::filesystem::current_path()) {
        std::filesystem::current_path(p);
    }
    ~InFolder() { std::filesystem::current_path(old_); }

private:
    std::filesystem::path old_;
};

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome run(Program program, const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = runProgram(program, args, "12-07-2026", out, err);
    return {status, out.str(), err.str()};
}

TEST(CommandLine, FourNamesOrTheDefaults) {
    const FileNames four = fileNamesFromCommandLine(Program::Quenfit, {"d", "r", "g", "s"});
    EXPECT_EQ(four.data, "d");
    EXPECT_EQ(four.result, "r");
    EXPECT_EQ(four.graph, "g");
    EXPECT_EQ(four.summary, "s");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {"d", "r", "g"}, {"d", "r", "g", "s", "x"},
          {"d", "", "r", "g", "s"}, {"d", "r", "g", "s t"}}) {
        const FileNames n = fileNamesFromCommandLine(Program::Quenfit, args);
        EXPECT_EQ(n.data, "DATA.");
        EXPECT_EQ(n.result, "Result.txt");
        EXPECT_EQ(n.graph, "Graph.txt");
        EXPECT_EQ(n.summary, "Summary.txt");
    }
    // The words are joined by blanks and split again at every blank.
    const FileNames joined = fileNamesFromCommandLine(Program::Quenfit, {"d r", "g", "s"});
    EXPECT_EQ(joined.data, "d");
    EXPECT_EQ(joined.result, "r");
    const FileNames mono = fileNamesFromCommandLine(Program::Monofit, {});
    EXPECT_EQ(mono.data, "DATAM.");
    EXPECT_EQ(mono.result, "ResultM.txt");
    EXPECT_EQ(mono.graph, "GraphM.txt");
    EXPECT_EQ(mono.summary, "SummaryM.txt");
}

TEST(CommandLine, HelpAndVersion) {
    const Outcome help = run(Program::Quenfit, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: quenfit"), std::string::npos);
    EXPECT_EQ(run(Program::Monofit, {"-h"}).status, 0);
    const Outcome version = run(Program::Monofit, {"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("monofit ", 0), 0u);
}

TEST(Run, MissingDataFileLeavesThreeEmptyReports) {
    ScratchDir dir;
    InFolder here(dir.path());
    const Outcome o = run(Program::Quenfit, {});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err.rfind("quenfit: cannot open the data file \"DATA.\"", 0), 0u) << o.err;
    for (const char* name : {"Result.txt", "Graph.txt", "Summary.txt"}) {
        EXPECT_TRUE(std::filesystem::exists(name)) << name;
        EXPECT_EQ(std::filesystem::file_size(name), 0u) << name;
    }
}

TEST(Run, DefaultNameWithoutItsDotIsRead) {
    ScratchDir dir;
    InFolder here(dir.path());
    writeFile("DATAM", readFile(sourcePath("examples/single.dat")));
    const Outcome o = run(Program::Monofit, {});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_NE(readFile("GraphM.txt").find("EXPERIMENTAL SPECTRA"), std::string::npos);
    EXPECT_NE(readFile("SummaryM.txt").find("12-07-2026"), std::string::npos);
}

TEST(Run, SameNameForInputAndOutputIsRefusedBeforeAnythingIsWritten) {
    ScratchDir dir;
    const std::string data = dir.file("series.dat");
    const std::string original = readFile(sourcePath("examples/series.dat"));
    writeFile(data, original);
    const Outcome o = run(Program::Quenfit, {data, dir.file("r.txt"), data, dir.file("s.txt")});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("the data file and the graph file are the same file"), std::string::npos) << o.err;
    EXPECT_EQ(readFile(data), original);
    EXPECT_FALSE(std::filesystem::exists(dir.file("r.txt")));
    const Outcome twoOutputs =
        run(Program::Quenfit, {data, dir.file("r.txt"), dir.file("./r.txt"), dir.file("s.txt")});
    EXPECT_EQ(twoOutputs.status, 1);
    EXPECT_NE(twoOutputs.err.find("the report file and the graph file are the same file"), std::string::npos);
}

TEST(Run, FieldFailureNamesFileLineAndTextAndKeepsTheEcho) {
    ScratchDir dir;
    const std::string data = dir.file("bad.dat");
    writeFile(data, "title\r\n1 3 320 380 6\r\n0 .1 .2\r\n1 2 3 x 5\r\n");
    const Outcome o = run(Program::Quenfit, {data, dir.file("r"), dir.file("g"), dir.file("s")});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "quenfit: " + data + ", line 4: \"x\" is not a number (spectrum 1, point 4)\n");
    EXPECT_EQ(readFile(dir.file("g")),
              "title\r\n12-07-2026\r\n\r\nEXPERIMENTAL SPECTRA, from  320  to 380  Step  6 \r\n1,2,3,");
    EXPECT_EQ(readFile(dir.file("r")), "title\r\n12-07-2026\r\n");
    EXPECT_EQ(readFile(dir.file("s")), "");
}

TEST(Run, ConcentrationsOverTwoLinesAreRefused) {
    ScratchDir dir;
    const std::string data = dir.file("bad.dat");
    writeFile(data, "title\n1 3 320 380 6\n0 .1\n.2\n1 2 3 4 5 6 7 8 9 10 11\n");
    const Outcome o = run(Program::Quenfit, {data, dir.file("r"), dir.file("g"), dir.file("s")});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("line 3: the 3 quencher concentrations must stand on one line"), std::string::npos)
        << o.err;
}

TEST(Run, SeriesOfTwoSpectraIsRefusedInTheFirstAnalysisRead) {
    ScratchDir dir;
    const std::string data = dir.file("two.dat");
    std::string text = "title\n1 2 320 380 6\n0 .1\n";
    for (int s = 0; s < 3; ++s) text += "1 2 3 4 5 6 7 8 9 10 11\n";
    writeFile(data, text);
    const Outcome o = run(Program::Quenfit, {data, dir.file("r"), dir.file("g"), dir.file("s")});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("at least three spectra with at least two different quencher activities"),
              std::string::npos);
    // The first pass is complete; the summary has its title block.
    EXPECT_NE(readFile(dir.file("g")).find("NORMALIZED CORRECTED"), std::string::npos);
    EXPECT_EQ(readFile(dir.file("s")), "title\r\n12-07-2026\r\n\r\n");
}

}  // namespace
}  // namespace qf
