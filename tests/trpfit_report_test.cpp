// trpfit report as a user runs it: a folder of either program's reports,
// three named reports, a run that failed part-way, outputs that exist, and
// reports it cannot read.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "trpfit/report_command.h"
#include "support/test_support.h"

namespace qf::trpfit {
namespace {

namespace fs = std::filesystem;
using qf::testing::readFile;
using qf::testing::ScratchDir;
using qf::testing::sourcePath;
using qf::testing::writeFile;

void copyGolden(const std::string& run, const fs::path& dir, const std::string& suffix) {
    for (const char* report : {"Result", "Graph", "Summary"}) {
        writeFile(dir / (std::string(report) + suffix + ".txt"),
                  readFile(sourcePath("tests/golden/" + run + "_" + report + ".txt")));
    }
}

struct Outcome {
    int status;
    std::string out, err;
};

ReportCommandOptions options(std::vector<std::string> inputs, std::string outDir = "", bool force = false) {
    ReportCommandOptions o;
    o.inputs = std::move(inputs);
    o.outDir = std::move(outDir);
    o.force = force;
    return o;
}

Outcome run(const ReportCommandOptions& options) {
    std::ostringstream out, err;
    const int status = reportCommand(options, out, err);
    return {status, out.str(), err.str()};
}

TEST(ReportCommand, FolderOfEitherProgramGetsItsTablesBeside) {
    for (const auto& [name, suffix] : {std::pair{"series", ""}, std::pair{"single", "M"}}) {
        ScratchDir dir;
        copyGolden(name, dir.path(), suffix);
        const Outcome o = run(options({dir.path().string()}));
        EXPECT_EQ(o.status, 0) << o.err;
        EXPECT_EQ(o.err, "");
        // The golden tables, with the results report's path in the file column.
        for (const char* table : {"components", "contributions", "spectra"}) {
            std::string golden = readFile(sourcePath(std::string("tests/golden/") + name + "_" + table + ".csv"));
            const std::string label = std::string("\n") + name + ",";
            const std::string path = std::string("\n") + dir.file(std::string("Result") + suffix + ".txt") + ",";
            for (std::size_t at = golden.find(label); at != std::string::npos; at = golden.find(label, at)) {
                golden.replace(at, label.size(), path);
                at += path.size();
            }
            EXPECT_EQ(readFile(dir.path() / (std::string(table) + ".csv")), golden) << table;
        }
    }
}

TEST(ReportCommand, ExistingTablesAreKeptUnlessForced) {
    ScratchDir dir;
    copyGolden("series", dir.path(), "");
    const fs::path out = dir.path() / "tables";
    const ReportCommandOptions plain =
        options({dir.file("Result.txt"), dir.file("Graph.txt"), dir.file("Summary.txt")}, out.string());
    ASSERT_EQ(run(plain).status, 0);
    writeFile(out / "spectra.csv", "mine");
    fs::remove(out / "components.csv");
    const Outcome refused = run(plain);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find(".csv: exists already; use --force"), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(out / "components.csv"));  // nothing written
    EXPECT_EQ(readFile(out / "spectra.csv"), "mine");
    ReportCommandOptions forced = plain;
    forced.force = true;
    EXPECT_EQ(run(forced).status, 0);
    EXPECT_NE(readFile(out / "spectra.csv"), "mine");
}

// The page and its figures folder are kept like the tables: nothing is
// written while one of them exists, everything with --force.
TEST(ReportCommand, PageAndFiguresAreKeptLikeTheTables) {
    ScratchDir dir;
    copyGolden("single", dir.path(), "M");
    const Outcome first = run(options({dir.path().string()}));
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_NE(first.out.find(dir.file("report.html") + "\n"), std::string::npos);
    EXPECT_NE(first.out.find(dir.file("figures/vela-mono-iii-decomposition.svg") + "\n"), std::string::npos);
    for (const char* name : {"spectra.csv", "components.csv", "contributions.csv", "report.html"}) {
        fs::remove(dir.path() / name);
    }
    // An empty figures folder is refused too: it may be another run's.
    fs::remove_all(dir.path() / "figures");
    fs::create_directory(dir.path() / "figures");
    const Outcome second = run(options({dir.path().string()}));
    EXPECT_EQ(second.status, 1);
    EXPECT_EQ(second.err, "trpfit: " + dir.file("figures") + ": exists already; use --force to replace it\n");
    EXPECT_FALSE(fs::exists(dir.path() / "spectra.csv"));
    const Outcome forced = run(options({dir.path().string()}, "", true));
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_TRUE(fs::exists(dir.path() / "report.html"));
}

// A file that cannot be replaced (a folder stands at its name) ends the
// command with the path and the cause; the file's neighbours written before
// it are whole, and nothing is left half-written.
TEST(ReportCommand, AFileThatCannotBeWrittenIsNamed) {
    ScratchDir dir;
    copyGolden("single", dir.path(), "M");
    fs::create_directories(dir.path() / "out" / "report.html" / "inside");
    const Outcome o = run(options({dir.path().string()}, dir.file("out"), true));
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err.rfind("trpfit: " + dir.file("out/report.html") + ": cannot write the file: ", 0), 0u) << o.err;
    EXPECT_TRUE(fs::is_directory(dir.path() / "out" / "report.html" / "inside"));
    // The tables come before the page and are complete.
    EXPECT_EQ(readFile(dir.path() / "out" / "components.csv").substr(0, 5), "file,");
    for (const auto& entry : fs::recursive_directory_iterator(dir.path() / "out")) {
        EXPECT_NE(entry.path().extension(), ".part") << entry.path();
    }
}

TEST(ReportCommand, UnreadableReportsFailWithFileAndLine) {
    ScratchDir dir;
    copyGolden("series", dir.path(), "");
    std::string graph = readFile(dir.path() / "Graph.txt");
    graph.insert(graph.find("THEORETICAL"), "stray\r\n");
    writeFile(dir.path() / "Graph.txt", graph);
    Outcome o = run(options({dir.path().string()}));
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err.rfind("trpfit: " + dir.file("Graph.txt") + ", line 77: cannot place this line", 0), 0u)
        << o.err;
    EXPECT_FALSE(fs::exists(dir.path() / "components.csv"));

    o = run(options({dir.file("nothing")}));
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("not a folder"), std::string::npos);
    ScratchDir empty;
    o = run(options({empty.path().string()}));
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("holds neither"), std::string::npos);
    copyGolden("single", dir.path(), "M");
    o = run(options({dir.path().string()}));
    EXPECT_NE(o.err.find("of quenfit and of monofit"), std::string::npos);
}

// A real failed run: quenfit stops in its first component fit (a series
// without quenching) and leaves reports
// that end early; the command writes what they hold and says so.
TEST(ReportCommand, FailedRunGivesTablesAndSaysWhereTheReportsEnd) {
    ScratchDir dir;
    const std::string cmd = std::string("cd '") + dir.path().string() + "' && '" + QF_QUENFIT_EXE + "' '" +
                            sourcePath("fuzz/corpus/quenfit/tiny-unquenched.dat").string() +
                            "' Result.txt Graph.txt Summary.txt >/dev/null 2>&1";
    ASSERT_NE(std::system(cmd.c_str()), 0);
    const Outcome o = run(options({dir.path().string()}));
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_NE(o.err.find("the reports end early"), std::string::npos) << o.err;
    // The phase-plane stage is absent and VELA-I fails: the results and
    // graph reports end with the heading of VELA-I.
    EXPECT_NE(o.err.find("Result.txt ends at the heading of VELA-I"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("Graph.txt ends at the heading of VELA-I"), std::string::npos) << o.err;
    const std::string spectra = readFile(dir.path() / "spectra.csv");
    EXPECT_NE(spectra.find("first pass,experimental,1,320,"), std::string::npos);
    // No stage has components: the tables hold their header line only.
    for (const char* table : {"components.csv", "contributions.csv"}) {
        const std::string text = readFile(dir.path() / table);
        EXPECT_EQ(text.find('\n'), text.size() - 1) << table << ":\n" << text;
    }
}

TEST(ReportCommand, UsageErrorsExitWithTwo) {
    const std::string exe = QF_TRPFIT_EXE;
    EXPECT_EQ(std::system((exe + " report >/dev/null 2>&1").c_str()) >> 8, 2);
    EXPECT_EQ(std::system((exe + " report a b >/dev/null 2>&1").c_str()) >> 8, 2);
    EXPECT_EQ(std::system((exe + " report --help >/dev/null 2>&1").c_str()) >> 8, 0);
    EXPECT_EQ(std::system((exe + " report /nonexistent-folder >/dev/null 2>&1").c_str()) >> 8, 1);
}

}  // namespace
}  // namespace qf::trpfit
