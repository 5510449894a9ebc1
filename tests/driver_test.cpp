#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <iterator>
#include <map>
#include <optional>
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

// Every file below a folder with its bytes.
using Snapshot = std::map<std::string, std::string>;
Snapshot snapshot(const std::filesystem::path& folder) {
    Snapshot files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string name = std::filesystem::relative(entry.path(), folder).string();
        files[name] = entry.is_regular_file() ? readFile(entry.path()) : std::string("<folder>");
    }
    return files;
}

// A folder as a user has it: the reports of an earlier run under the default
// names, and a data file.
void layOutEarlierRun(Program program) {
    const bool series = program == Program::Quenfit;
    writeFile(series ? "Result.txt" : "ResultM.txt", std::string(10887, 'r'));
    writeFile(series ? "Graph.txt" : "GraphM.txt", std::string(67834, 'g'));
    writeFile(series ? "Summary.txt" : "SummaryM.txt", std::string(1483, 's'));
    writeFile("series.dat", readFile(sourcePath(series ? "examples/series.dat" : "examples/single.dat")));
}

TEST(CommandLine, NoWordsAreTheDefaultsFourWordsTheNames) {
    const std::optional<FileNames> four = fileNamesFromCommandLine(Program::Quenfit, {"d", "r", "g", "s"});
    ASSERT_TRUE(four);
    EXPECT_EQ(four->data, "d");
    EXPECT_EQ(four->result, "r");
    EXPECT_EQ(four->graph, "g");
    EXPECT_EQ(four->summary, "s");
    const std::optional<FileNames> none = fileNamesFromCommandLine(Program::Quenfit, {});
    ASSERT_TRUE(none);
    EXPECT_EQ(none->data, "DATA.");
    EXPECT_EQ(none->result, "Result.txt");
    EXPECT_EQ(none->graph, "Graph.txt");
    EXPECT_EQ(none->summary, "Summary.txt");
    // The words are joined by blanks and split again at every blank.
    const std::optional<FileNames> joined = fileNamesFromCommandLine(Program::Quenfit, {"d r", "g", "s"});
    ASSERT_TRUE(joined);
    EXPECT_EQ(joined->data, "d");
    EXPECT_EQ(joined->result, "r");
    EXPECT_EQ(joined->summary, "s");
    const std::optional<FileNames> mono = fileNamesFromCommandLine(Program::Monofit, {});
    ASSERT_TRUE(mono);
    EXPECT_EQ(mono->data, "DATAM.");
    EXPECT_EQ(mono->result, "ResultM.txt");
    EXPECT_EQ(mono->graph, "GraphM.txt");
    EXPECT_EQ(mono->summary, "SummaryM.txt");
}

TEST(CommandLine, AnyOtherCommandLineHasNoNames) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"d"}, {"d", "r"}, {"d", "r", "g"}, {"d", "r", "g", "s", "x"},
          {"d", "", "r", "g", "s"}, {"d", "", "r", "g"}, {"d", "r", "g", "s t"}, {"d  r", "g", "s"},
          {""}, {"--bogus"}, {"-x", "a", "b", "c"}, {"d", "r", "g", "-s"}, {"--help", "r", "g", "s"},
          {"-h", "x"}, {"--version", "x"}}) {
        for (const Program program : {Program::Quenfit, Program::Monofit}) {
            EXPECT_FALSE(fileNamesFromCommandLine(program, args)) << ::testing::PrintToString(args);
        }
    }
}

// The command-line table: each command line in a folder holding the reports
// of an earlier run and a data file; only a run with four names writes, and
// only the files it names.
TEST(CommandLine, OnlyARunWritesAndOnlyTheFilesItNames) {
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* out;      // beginning of standard output
        const char* err;      // standard error, exactly (with %s for the program name)
        bool writesNamed;     // creates r.txt, g.txt and s.txt
    };
    const Case cases[] = {
        {{}, 1, "", "%s: cannot open the data file \"%D.\": No such file or directory\n", false},
        {{"series.dat", "r.txt", "g.txt", "s.txt"}, 0, "", "", true},
        {{"series.dat"}, 2, "", "%s: usage: %s [DATA REPORT GRAPH SUMMARY]\n", false},
        {{"series.dat", "r.txt"}, 2, "", "%s: usage: %s [DATA REPORT GRAPH SUMMARY]\n", false},
        {{"series.dat", "r.txt", "g.txt"}, 2, "", "%s: usage: %s [DATA REPORT GRAPH SUMMARY]\n", false},
        {{"series.dat", "r.txt", "g.txt", "s.txt", "x.txt"}, 2, "",
         "%s: usage: %s [DATA REPORT GRAPH SUMMARY]\n", false},
        {{"series.dat", "", "r.txt", "g.txt"}, 2, "", "%s: usage: %s [DATA REPORT GRAPH SUMMARY]\n", false},
        {{"series.dat r.txt  g.txt s.txt"}, 2, "", "%s: usage: %s [DATA REPORT GRAPH SUMMARY]\n", false},
        {{"--bogus"}, 2, "", "%s: usage: %s [DATA REPORT GRAPH SUMMARY]\n", false},
        {{"-x", "r.txt", "g.txt", "s.txt"}, 2, "", "%s: usage: %s [DATA REPORT GRAPH SUMMARY]\n", false},
        {{"--help"}, 0, "usage: %s [DATA REPORT GRAPH SUMMARY]\n", "", false},
        {{"-h"}, 0, "usage: %s [DATA REPORT GRAPH SUMMARY]\n", "", false},
        {{"--version"}, 0, "%s ", "", false},
    };
    for (const Program program : {Program::Quenfit, Program::Monofit}) {
        const std::string name = program == Program::Quenfit ? "quenfit" : "monofit";
        const std::string defaultData = program == Program::Quenfit ? "DATA" : "DATAM";
        const auto fill = [&](std::string text) {
            for (std::size_t at; (at = text.find("%s")) != std::string::npos;) text.replace(at, 2, name);
            for (std::size_t at; (at = text.find("%D")) != std::string::npos;) text.replace(at, 2, defaultData);
            return text;
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(name + " " + ::testing::PrintToString(c.args));
            ScratchDir dir;
            InFolder here(dir.path());
            layOutEarlierRun(program);
            const Snapshot before = snapshot(dir.path());
            const Outcome o = run(program, c.args);
            EXPECT_EQ(o.status, c.status);
            EXPECT_EQ(o.out.rfind(fill(c.out), 0), 0u) << o.out;
            EXPECT_EQ(o.err, fill(c.err));
            Snapshot after = snapshot(dir.path());
            if (c.writesNamed) {
                for (const char* report : {"r.txt", "g.txt", "s.txt"}) {
                    EXPECT_GT(after[report].size(), 0u) << report;
                    after.erase(report);
                }
            }
            EXPECT_EQ(after, before);
        }
    }
}

// The command line of a new user, through the built programs: a usage error
// with exit status 2 that leaves the folder as it was.
TEST(CommandLine, OneNameIsAUsageErrorOfTheProgram) {
    const struct {
        const char* exe;
        Program program;
        const char* name;
    } programs[] = {{QF_QUENFIT_EXE, Program::Quenfit, "quenfit"},
                    {QF_MONOFIT_EXE, Program::Monofit, "monofit"}};
    for (const auto& p : programs) {
        SCOPED_TRACE(p.name);
        ScratchDir dir;
        ScratchDir outputs;
        {
            InFolder here(dir.path());
            layOutEarlierRun(p.program);
        }
        const Snapshot before = snapshot(dir.path());
        const std::string errPath = outputs.file("stderr.txt");
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::chdir(dir.path().c_str()) != 0) ::_exit(126);
            const int errFd = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(errFd, STDERR_FILENO);
            ::execl(p.exe, p.exe, "series.dat", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        int raw = 0;
        ASSERT_EQ(::waitpid(pid, &raw, 0), pid);
        ASSERT_TRUE(WIFEXITED(raw));
        EXPECT_EQ(WEXITSTATUS(raw), 2);
        EXPECT_EQ(readFile(errPath),
                  std::string(p.name) + ": usage: " + p.name + " [DATA REPORT GRAPH SUMMARY]\n");
        EXPECT_EQ(snapshot(dir.path()), before);
    }
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

TEST(Run, MissingDataFileLeavesEveryFileAsItWas) {
    ScratchDir dir;
    InFolder here(dir.path());
    layOutEarlierRun(Program::Quenfit);
    const Snapshot before = snapshot(dir.path());
    const Outcome o = run(Program::Quenfit, {});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err.rfind("quenfit: cannot open the data file \"DATA.\"", 0), 0u) << o.err;
    const Outcome named = run(Program::Quenfit, {"missing.dat", "Result.txt", "Graph.txt", "Summary.txt"});
    EXPECT_EQ(named.status, 1);
    EXPECT_EQ(named.err, "quenfit: cannot open the data file \"missing.dat\": No such file or directory\n");
    EXPECT_EQ(snapshot(dir.path()), before);
}

TEST(Run, FolderAsDataFileLeavesEveryFileAsItWas) {
    for (const Program program : {Program::Quenfit, Program::Monofit}) {
        ScratchDir dir;
        InFolder here(dir.path());
        layOutEarlierRun(program);
        std::filesystem::create_directory("data");
        const Snapshot before = snapshot(dir.path());
        const std::string prefix = program == Program::Quenfit ? "quenfit: " : "monofit: ";
        const Outcome o = run(program, {"data", "Result.txt", "Graph.txt", "Summary.txt"});
        EXPECT_EQ(o.status, 1);
        EXPECT_EQ(o.err, prefix + "cannot read the data file \"data\": Is a directory\n");
        // The default data name as a folder.
        std::filesystem::create_directory(program == Program::Quenfit ? "DATA." : "DATAM.");
        const Snapshot withDefault = snapshot(dir.path());
        const Outcome d = run(program, {});
        EXPECT_EQ(d.status, 1);
        EXPECT_NE(d.err.find("Is a directory"), std::string::npos) << d.err;
        EXPECT_EQ(snapshot(dir.path()), withDefault);
        std::filesystem::remove(program == Program::Quenfit ? "DATA." : "DATAM.");
        EXPECT_EQ(snapshot(dir.path()), before);
    }
}

TEST(Run, UnreadableDataFileLeavesEveryFileAsItWas) {
    ScratchDir dir;
    InFolder here(dir.path());
    layOutEarlierRun(Program::Quenfit);
    std::filesystem::permissions("series.dat", std::filesystem::perms::none);
    if (::access("series.dat", R_OK) == 0) GTEST_SKIP() << "permissions are not enforced (root)";
    const Snapshot before = [&] {
        Snapshot s;
        for (const char* name : {"Result.txt", "Graph.txt", "Summary.txt"}) s[name] = readFile(name);
        return s;
    }();
    const Outcome o = run(Program::Quenfit, {"series.dat", "Result.txt", "Graph.txt", "Summary.txt"});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "quenfit: cannot open the data file \"series.dat\": Permission denied\n");
    for (const auto& [name, text] : before) EXPECT_EQ(readFile(name), text) << name;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), std::filesystem::directory_iterator()), 4);
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

TEST(Run, FieldFailureNamesFileLineAndTextBeforeAnyReportExists) {
    ScratchDir dir;
    const std::string data = dir.file("bad.dat");
    writeFile(data, "title\r\n1 3 320 380 6\r\n0 .1 .2\r\n1 2 3 x 5\r\n");
    const Outcome o = run(Program::Quenfit, {data, dir.file("r"), dir.file("g"), dir.file("s")});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "quenfit: " + data + ", line 4: \"x\" is not a number (spectrum 1, point 4)\n");
    for (const char* report : {"r", "g", "s"}) EXPECT_FALSE(std::filesystem::exists(dir.file(report))) << report;
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

// The series rules belong to the first analysis read, which runs before the
// reports are created.
TEST(Run, SeriesOfTwoSpectraIsRefusedBeforeAnyReportExists) {
    ScratchDir dir;
    const std::string data = dir.file("two.dat");
    std::string text = "title\n1 2 320 380 6\n0 .1\n";
    for (int s = 0; s < 3; ++s) text += "1 2 3 4 5 6 7 8 9 10 11\n";
    writeFile(data, text);
    const Outcome o = run(Program::Quenfit, {data, dir.file("r"), dir.file("g"), dir.file("s")});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("at least three spectra with at least two different quencher activities"),
              std::string::npos);
    for (const char* report : {"r", "g", "s"}) EXPECT_FALSE(std::filesystem::exists(dir.file(report))) << report;
}

// The names in the wrong order, in a folder holding an earlier run: the
// earlier results report is taken for the data file and refused (its line 2
// is the date), so the data file named last is not cut and every file keeps
// its bytes.
TEST(Run, NamesInTheWrongOrderLeaveEveryFileAsItWas) {
    const struct {
        Program program;
        const char* golden;
        const char* example;
        const char* names[3];
    } cases[] = {
        {Program::Quenfit, "series", "examples/series.dat", {"Result.txt", "Graph.txt", "Summary.txt"}},
        {Program::Monofit, "single", "examples/single.dat", {"ResultM.txt", "GraphM.txt", "SummaryM.txt"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.golden);
        ScratchDir dir;
        InFolder here(dir.path());
        const char* kinds[] = {"Result.txt", "Graph.txt", "Summary.txt"};
        for (int i = 0; i < 3; ++i) {
            writeFile(c.names[i], readFile(sourcePath(std::string("tests/golden/") + c.golden + "_" + kinds[i])));
        }
        writeFile("mydata.dat", readFile(sourcePath(c.example)));
        const Snapshot before = snapshot(dir.path());
        for (const int rotation : {0, 1, 2}) {
            // The data file in each place but the first.
            std::vector<std::string> args = {c.names[0], c.names[1], c.names[2]};
            args.insert(args.begin() + 1 + rotation, "mydata.dat");
            SCOPED_TRACE(::testing::PrintToString(args));
            const Outcome o = run(c.program, args);
            EXPECT_EQ(o.status, 1);
            EXPECT_EQ(o.err.rfind(std::string(c.program == Program::Quenfit ? "quenfit: " : "monofit: ") +
                                      args[0] + ", line ",
                                  0),
                      0u)
                << o.err;
            EXPECT_EQ(snapshot(dir.path()), before);
        }
    }
}

// Each program given the other's file says so, and leaves the earlier
// reports alone.
TEST(Run, TheOtherProgramsFileIsNamedAsSuch) {
    for (const Program program : {Program::Quenfit, Program::Monofit}) {
        ScratchDir dir;
        InFolder here(dir.path());
        layOutEarlierRun(program);
        const bool series = program == Program::Quenfit;
        writeFile("other.dat", readFile(sourcePath(series ? "examples/single.dat" : "examples/series.dat")));
        const Snapshot before = snapshot(dir.path());
        const Outcome o = run(program, {"other.dat", series ? "Result.txt" : "ResultM.txt",
                                        series ? "Graph.txt" : "GraphM.txt",
                                        series ? "Summary.txt" : "SummaryM.txt"});
        EXPECT_EQ(o.status, 1);
        EXPECT_EQ(o.err, series ? "quenfit: other.dat: line 2 holds 3 numbers, the parameter line of a single "
                                  "spectrum: analyse it with monofit\n"
                                : "monofit: other.dat: line 2 holds 5 numbers, the parameter line of a "
                                  "quenching series: analyse it with quenfit\n");
        EXPECT_EQ(snapshot(dir.path()), before);
    }
}

// The warning about numbers after the measured standard comes before the
// failure line also when the check refuses the file.
TEST(Run, RefusedFileStillWarnsFirst) {
    ScratchDir dir;
    const std::string data = dir.file("commas.dat");
    writeFile(data, "title\n320 380 20\n8 4 2 1\n0 0 0 0\n5 5\n");
    const Outcome o = run(Program::Monofit, {data, dir.file("r"), dir.file("g"), dir.file("s")});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "monofit: warning: " + data +
                         ": 2 more numbers after the measured standard (from line 5); check the grid and "
                         "the number of spectra, and that the file uses decimal points, not decimal "
                         "commas\nmonofit: division by zero: the measured standard has no value above 0\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("g")));
}

}  // namespace
}  // namespace qf
