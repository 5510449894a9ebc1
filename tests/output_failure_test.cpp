// Reports that cannot be written: a full disk or a closed pipe must end the
// run with the failure message and status 1, and the reports that could be
// written must still be complete.

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "driver/run.h"
#include "support/test_support.h"

namespace {

using qf::Program;
using qf::testing::readFile;
using qf::testing::ScratchDir;
using qf::testing::sourcePath;
using qf::testing::writeFile;

constexpr const char* kDate = "12-07-2026";

struct Reports {
    std::string result, graph, summary;
};

std::string exampleOf(Program program) {
    return sourcePath(program == Program::Quenfit ? "examples/series.dat" : "examples/single.dat")
        .string();
}

Reports referenceRun(Program program, const ScratchDir& dir) {
    std::ostringstream out, err;
    const int status = qf::runProgram(
        program, {exampleOf(program), dir.file("ref-r"), dir.file("ref-g"), dir.file("ref-s")},
        kDate, out, err);
    EXPECT_EQ(status, 0) << err.str();
    return {readFile(dir.file("ref-r")), readFile(dir.file("ref-g")), readFile(dir.file("ref-s"))};
}

class FullDisk : public ::testing::TestWithParam<Program> {};

// Each report in turn goes to /dev/full; the other two must be complete.
TEST_P(FullDisk, FailsWithTheMessageAndKeepsTheOtherReports) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const Program program = GetParam();
    ScratchDir dir;
    const Reports reference = referenceRun(program, dir);
    ASSERT_FALSE(reference.result.empty());

    const char* roles[] = {"report file", "graph file", "summary file"};
    for (int full = 0; full < 3; ++full) {
        SCOPED_TRACE(roles[full]);
        std::vector<std::string> names = {exampleOf(program), dir.file("r"), dir.file("g"),
                                          dir.file("s")};
        names[static_cast<std::size_t>(full) + 1] = "/dev/full";
        std::ostringstream out, err;
        EXPECT_EQ(qf::runProgram(program, names, kDate, out, err), 1);
        EXPECT_NE(err.str().find(std::string("cannot write the ") + roles[full] + " \"/dev/full\""),
                  std::string::npos)
            << err.str();
        EXPECT_EQ(err.str().find('\n'), err.str().size() - 1) << err.str();
        // The graph file outgrows the write buffer, so a full disk stops the
        // run there and the other reports keep what was written up to that
        // point. The report and summary files fail only when they are
        // closed at the end, after everything was written.
        const auto keeps = [&](const std::string& path, const std::string& whole) {
            const std::string text = readFile(path);
            if (full == 1) {
                EXPECT_FALSE(text.empty());
                EXPECT_EQ(whole.compare(0, text.size(), text), 0) << "not a beginning of the report";
            } else {
                EXPECT_EQ(text, whole);
            }
        };
        if (full != 0) keeps(dir.file("r"), reference.result);
        if (full != 1) keeps(dir.file("g"), reference.graph);
        if (full != 2) keeps(dir.file("s"), reference.summary);
    }
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, FullDisk,
                         ::testing::Values(Program::Quenfit, Program::Monofit));

// Reports are created anew: longer old files are replaced, not overwritten
// in place.
TEST(Reports, ReplaceOlderFilesOfTheSameName) {
    for (const Program program : {Program::Quenfit, Program::Monofit}) {
        ScratchDir dir;
        const Reports reference = referenceRun(program, dir);
        const std::string old(200000, 'x');
        for (const char* name : {"r", "g", "s"}) writeFile(dir.file(name), old);
        std::ostringstream out, err;
        ASSERT_EQ(qf::runProgram(program, {exampleOf(program), dir.file("r"), dir.file("g"), dir.file("s")},
                                 kDate, out, err),
                  0)
            << err.str();
        EXPECT_EQ(readFile(dir.file("r")), reference.result);
        EXPECT_EQ(readFile(dir.file("g")), reference.graph);
        EXPECT_EQ(readFile(dir.file("s")), reference.summary);

        // A run whose data file cannot be opened leaves the files as they were.
        for (const char* name : {"r", "g", "s"}) writeFile(dir.file(name), old);
        ASSERT_EQ(qf::runProgram(program,
                                 {dir.file("missing.dat"), dir.file("r"), dir.file("g"), dir.file("s")},
                                 kDate, out, err),
                  1);
        EXPECT_EQ(readFile(dir.file("r")), old);
        EXPECT_EQ(readFile(dir.file("g")), old);
        EXPECT_EQ(readFile(dir.file("s")), old);
    }
}

// The data file is checked before any report is opened: a refused file ends
// the run with its own message even when a report could not be written.
TEST(Reports, RefusedDataFileOpensNoReport) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    for (const Program program : {Program::Quenfit, Program::Monofit}) {
        ScratchDir dir;
        writeFile(dir.file("bad.dat"), "title\n");
        std::ostringstream out, err;
        EXPECT_EQ(qf::runProgram(program, {dir.file("bad.dat"), dir.file("r"), "/dev/full", dir.file("s")},
                                 kDate, out, err),
                  1);
        EXPECT_NE(err.str().find("line 2: the file ends where"), std::string::npos) << err.str();
        EXPECT_FALSE(std::filesystem::exists(dir.file("r")));
        EXPECT_FALSE(std::filesystem::exists(dir.file("s")));
    }
}

struct ChildResult {
    bool exited = false;
    int status = -1;
    std::string err;
};

// Runs the built program with the graph file on a pipe whose reader is gone.
// The child starts with the default action for SIGPIPE, as from a shell.
ChildResult runWithClosedPipe(const char* exe, const std::string& data, const ScratchDir& dir) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return {};
    ::close(pipeFds[0]);
    const std::string errPath = dir.file("stderr.txt");
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::signal(SIGPIPE, SIG_DFL);
        ::dup2(pipeFds[1], STDOUT_FILENO);
        const int errFd = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(errFd, STDERR_FILENO);
        const std::string result = dir.file("r"), summary = dir.file("s");
        ::execl(exe, exe, data.c_str(), result.c_str(), "/dev/stdout", summary.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    ChildResult r;
    r.exited = WIFEXITED(raw);
    r.status = r.exited ? WEXITSTATUS(raw) : -WTERMSIG(raw);
    r.err = readFile(errPath);
    return r;
}

TEST(ClosedPipe, EndsTheRunWithTheMessage) {
    const struct {
        const char* exe;
        Program program;
        const char* prefix;
    } programs[] = {{QF_QUENFIT_EXE, Program::Quenfit, "quenfit: "},
                    {QF_MONOFIT_EXE, Program::Monofit, "monofit: "}};
    for (const auto& p : programs) {
        SCOPED_TRACE(p.prefix);
        ScratchDir dir;
        const ChildResult r = runWithClosedPipe(p.exe, exampleOf(p.program), dir);
        EXPECT_TRUE(r.exited) << "ended by signal " << -r.status;
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err.rfind(std::string(p.prefix) + "cannot write the graph file", 0), 0u) << r.err;
    }
}

}  // namespace
