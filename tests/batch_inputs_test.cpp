// The inputs of a batch and the tables it keeps: which program a file is
// for, run folders for clashing names, shards, and the CSV and marker texts
// read back as written.
#include <gtest/gtest.h>

#include <set>

#include "batch/inputs.h"
#include "batch/run_folder.h"
#include "batch/run_table.h"
#include "support/test_support.h"
#include "textio/failure.h"

namespace qf::batch {
namespace {

using qf::testing::ScratchDir;
using qf::testing::writeFile;

std::optional<Program> detectText(const std::string& text, std::string& why) {
    ScratchDir dir;
    writeFile(dir.path() / "f.dat", text);
    return detectProgram(dir.file("f.dat"), why);
}

TEST(BatchInputs, ProgramFromLineTwo) {
    std::string why;
    EXPECT_EQ(detectText("t\n1 10 300 399 1\n0 .1\n", why), Program::Quenfit);
    EXPECT_EQ(detectText("t\r\n1,3,300,399,1 0 .1 .2\r\n1\r\n", why), Program::Quenfit);
    EXPECT_EQ(detectText("t\n300 420 1\n5\n", why), Program::Monofit);
    EXPECT_EQ(detectText("t\r\n\t300 ,420, 1\r\n5\r\n", why), Program::Monofit);
    EXPECT_EQ(detectText("t\n300 420\n", why), std::nullopt);
    EXPECT_NE(why.find("2 numbers"), std::string::npos) << why;
    EXPECT_EQ(detectText("t\n300 420 x\n", why), std::nullopt);
    EXPECT_NE(why.find("\"x\""), std::string::npos) << why;
    EXPECT_EQ(detectText("", why), std::nullopt);
    EXPECT_NE(why.find("empty"), std::string::npos) << why;
    EXPECT_EQ(detectText("only a title", why), std::nullopt);
    EXPECT_EQ(detectText("title\n", why), std::nullopt);
    ScratchDir dir;
    EXPECT_EQ(detectProgram(dir.path().string(), why), std::nullopt);
    EXPECT_EQ(why, "not a regular file");
}

TEST(BatchInputs, FoldersSortedHiddenAndOutputLeftOut) {
    ScratchDir dir;
    const auto d = dir.path();
    std::filesystem::create_directories(d / "in" / "sub");
    std::filesystem::create_directories(d / "in" / "out");
    for (const char* f : {"in/b.dat", "in/a.dat", "in/.hidden", "in/sub/c.dat", "in/out/x.dat"}) {
        writeFile(d / f, "t\n300 420 1\n");
    }
    const std::string in = (d / "in").string();
    auto names = [](const std::vector<Input>& inputs) {
        std::vector<std::string> n;
        for (const Input& i : inputs) n.push_back(i.path);
        return n;
    };
    EXPECT_EQ(names(collectInputs({in}, false, d / "in" / "out")),
              (std::vector<std::string>{in + "/a.dat", in + "/b.dat"}));
    // A file named and found in a named folder runs once; a missing name is kept.
    const auto inputs = collectInputs({in + "/a.dat", in, d / "nothing.dat"}, true, d / "in" / "out");
    EXPECT_EQ(names(inputs), (std::vector<std::string>{in + "/a.dat", in + "/b.dat",
                                                       in + "/sub/c.dat",
                                                       (d / "nothing.dat").string()}));
    EXPECT_EQ(inputs[3].problem, "no such file or folder");
    // A batch whose output folder is its input folder does not take its own tables.
    writeFile(d / "in" / "runs.csv", "file\r\n");
    writeFile(d / "in" / "index.html", "<html>");
    EXPECT_EQ(names(collectInputs({in}, false, d / "in")),
              (std::vector<std::string>{in + "/a.dat", in + "/b.dat"}));
}

TEST(BatchInputs, ClashingNamesGetDistinctFoldersAndShardsCoverAll) {
    std::vector<Input> inputs;
    for (const char* p : {"a/s.dat", "b/s.dat", "b/s-2.dat", "c/s.txt", "t.dat"}) {
        inputs.push_back({p, "", ""});
    }
    assignFolders(inputs);
    std::vector<std::string> folders;
    for (const Input& i : inputs) folders.push_back(i.folder);
    EXPECT_EQ(folders, (std::vector<std::string>{"s", "s-2", "s-2-2", "s-3", "t"}));
    std::multiset<std::string> seen;
    for (int k = 1; k <= 3; ++k) {
        for (const Input& i : shardOf(inputs, k, 3)) seen.insert(i.path);
    }
    EXPECT_EQ(seen.size(), inputs.size());
    for (const Input& i : inputs) EXPECT_EQ(seen.count(i.path), 1u) << i.path;
    EXPECT_EQ(shardOf(inputs, 2, 3).front().path, "b/s.dat");
}

TEST(BatchTables, RunsTableReadsBackAsWritten) {
    std::vector<RunRecord> records(2);
    records[0] = {"d/a, \"x\".dat", "a", "quenfit", RunStatus::Failed, "1",
                  "d/a.dat, line 3: \"x\" is\nnot a number", "w1; w2", 0.25};
    records[1] = {"b.dat", "b", "monofit", RunStatus::Timeout, "", "stopped", "", 600};
    const std::vector<RunRecord> back = readRunsCsv(runsCsv(records), "runs.csv");
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].file, records[0].file);
    EXPECT_EQ(back[0].message, "d/a.dat, line 3: \"x\" is not a number");
    EXPECT_EQ(back[1].status, RunStatus::Timeout);
    EXPECT_DOUBLE_EQ(back[1].seconds, 600.0);

    for (const char* bad : {"file,folder\r\n", "x", "", "\"open", "a\"b",
                            "file,folder,program,status,exit_status,message,warnings,seconds\r\n"
                            "f,f,quenfit,fine,0,,,1\r\n",
                            "file,folder,program,status,exit_status,message,warnings,seconds\r\n"
                            "f,f,quenfit,ok,0,,,-1\r\n"}) {
        EXPECT_THROW(readRunsCsv(bad, "runs.csv"), FileFailure) << bad;
    }
}

TEST(BatchTables, MarkerAndErrorText) {
    ScratchDir dir;
    RunRecord r{"x.dat", "x", "quenfit", RunStatus::Crashed, "", "killed by signal 11", "", 1.5};
    writeMarker(dir.path(), r, "9.9");
    const auto m = readMarker(dir.path());
    ASSERT_TRUE(m);
    EXPECT_EQ(m->version, "9.9");
    EXPECT_EQ(m->record.status, RunStatus::Crashed);
    EXPECT_EQ(m->record.message, r.message);
    writeFile(dir.path() / outputs::kRunMarker, "version=1\nstatus=ok\n");
    EXPECT_FALSE(readMarker(dir.path()));

    std::string message, warnings;
    splitErrorText("quenfit: warning: phase-plane stage: no vote\nquenfit: warning: w2\n"
                   "quenfit: /dev/fd/3, line 4: bad\n",
                   "quenfit", "/dev/fd/3", "my data.dat", message, warnings);
    EXPECT_EQ(message, "my data.dat, line 4: bad");
    EXPECT_EQ(warnings, "phase-plane stage: no vote; w2");
}

TEST(BatchTables, CompleteRunOnlyOfTheSameFileVersionAndProgramAndNewer) {
    ScratchDir dir;
    const auto d = dir.path();
    const std::string data = (d / "s.dat").string();
    writeFile(data, "t\n300 420 1\n");
    const auto past = std::filesystem::last_write_time(data) - std::chrono::seconds(60);
    std::filesystem::last_write_time(data, past);
    for (const std::string& name : reportNames(Program::Monofit)) writeFile(d / name, "r");
    RunRecord r{data, "s", "monofit", RunStatus::Ok, "0", "", "", 0.1};
    writeMarker(d, r, "1.0");
    EXPECT_TRUE(holdsCompleteRun(d, Program::Monofit, data, "1.0"));
    EXPECT_FALSE(holdsCompleteRun(d, Program::Monofit, data, "1.1"));
    EXPECT_FALSE(holdsCompleteRun(d, Program::Quenfit, data, "1.0"));
    EXPECT_TRUE(holdsCompleteRun(d, Program::Monofit, (d / "." / "s.dat").string(), "1.0"));
    writeFile(d / "other.dat", "t\n300 420 1\n");
    std::filesystem::last_write_time(d / "other.dat", past);
    EXPECT_FALSE(holdsCompleteRun(d, Program::Monofit, (d / "other.dat").string(), "1.0"));
    std::filesystem::last_write_time(data, past + std::chrono::seconds(120));
    EXPECT_FALSE(holdsCompleteRun(d, Program::Monofit, data, "1.0"));
    std::filesystem::last_write_time(data, past);
    std::filesystem::remove(d / "GraphM.txt");
    EXPECT_FALSE(holdsCompleteRun(d, Program::Monofit, data, "1.0"));
    writeFile(d / "GraphM.txt", "r");
    // A run made without the global fit is not complete for a batch that
    // asks for it; one the fit was tried on is.
    EXPECT_FALSE(holdsCompleteRun(d, Program::Monofit, data, "1.0", true));
    writeMarker(d, r, "1.0", true);
    EXPECT_TRUE(holdsCompleteRun(d, Program::Monofit, data, "1.0", true));
    EXPECT_TRUE(holdsCompleteRun(d, Program::Monofit, data, "1.0"));
    r.status = RunStatus::Failed;
    writeMarker(d, r, "1.0");
    EXPECT_FALSE(holdsCompleteRun(d, Program::Monofit, data, "1.0"));
}

}  // namespace
}  // namespace qf::batch
