// trpfit run end to end: a folder of good and bad inputs, runs that crash or
// overrun their time, an interrupted batch completed by --resume, and shards
// merged into the table of one batch.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "batch/batch.h"
#include "batch/run_table.h"
#include "support/test_support.h"
#include "textio/csv_text.h"
#include "trpfit/run_command.h"
#include "trpfit/version.h"

namespace qf::batch {
namespace {

namespace fs = std::filesystem;
using qf::testing::readFile;
using qf::testing::ScratchDir;
using qf::testing::sourcePath;
using qf::testing::writeFile;

const std::string kBadSeries = "bad\n1 10 300 399 1\n0 1 x\n";

std::map<std::string, RunRecord> runsTable(const fs::path& outDir) {
    std::map<std::string, RunRecord> byFile;
    for (const RunRecord& r : readRunsCsv(readFile(outDir / "runs.csv"), "runs.csv")) byFile[r.file] = r;
    return byFile;
}

std::string quoted(const fs::path& p) { return "'" + p.string() + "'"; }

// Runs a command in `dir`; returns its exit status, its output in out/err.
int shell(const fs::path& dir, const std::string& command, std::string* err = nullptr) {
    const int status = std::system(("cd " + quoted(dir) + " && " + command +
                                    " >.stdout 2>.stderr").c_str());
    if (err != nullptr) *err = readFile(dir / ".stderr");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::set<std::string> firstColumn(const std::string& csv) {
    const text::CsvTable rows = text::CsvTable::parse(csv, "table");
    std::set<std::string> files;
    for (std::size_t i = 0; i < rows.size(); ++i) files.insert(rows.fields(i).front());
    return files;
}

std::string withoutHeading(const std::string& csv) { return csv.substr(csv.find("\r\n") + 2); }

BatchOptions optionsFor(const fs::path& dir, std::vector<std::string> inputs, const std::string& out) {
    BatchOptions o;
    o.inputs = std::move(inputs);
    o.outDir = (dir / out).string();
    o.jobs = 2;
    o.programDir = fs::path(QF_QUENFIT_EXE).parent_path().string();
    o.version = "test";
    return o;
}

TEST(BatchRun, FolderOfGoodAndBadInputs) {
    ScratchDir dir;
    const fs::path d = dir.path();
    fs::create_directories(d / "data");
    fs::copy_file(sourcePath("examples/series.dat"), d / "data" / "series one.dat");
    fs::copy_file(sourcePath("examples/single.dat"), d / "data" / "single.dat");
    writeFile(d / "data" / "bad series.dat", kBadSeries);
    writeFile(d / "data" / "notes.txt", "Measured on Monday.\nNothing else.\n");
    writeFile(d / "data" / "empty.dat", "");

    std::string err;
    EXPECT_EQ(shell(d, std::string(QF_TRPFIT_EXE) + " run -j 2 -o out data", &err), 1);
    auto runs = runsTable(d / "out");
    ASSERT_EQ(runs.size(), 5u);
    EXPECT_EQ(runs["data/series one.dat"].status, RunStatus::Ok);
    EXPECT_EQ(runs["data/series one.dat"].program, "quenfit");
    EXPECT_EQ(runs["data/single.dat"].status, RunStatus::Ok);
    EXPECT_EQ(runs["data/single.dat"].program, "monofit");
    const RunRecord& bad = runs["data/bad series.dat"];
    EXPECT_EQ(bad.status, RunStatus::Failed);
    EXPECT_EQ(bad.exitStatus, "1");
    EXPECT_EQ(bad.message, "data/bad series.dat, line 3: \"x\" is not a number (quencher concentration 3)");
    EXPECT_NE(err.find("trpfit: " + bad.message), std::string::npos) << err;
    for (const char* f : {"data/notes.txt", "data/empty.dat"}) {
        EXPECT_EQ(runs[f].status, RunStatus::Failed) << f;
        EXPECT_EQ(runs[f].program, "") << f;
        EXPECT_NE(runs[f].message.find("not a data file"), std::string::npos) << runs[f].message;
    }

    // The reports of the good inputs are those of the programs run by hand.
    fs::copy_file(d / "data" / "series one.dat", d / "series1.dat");
    ASSERT_EQ(shell(d, std::string(QF_QUENFIT_EXE) + " series1.dat R.txt G.txt S.txt"), 0);
    ASSERT_EQ(shell(d, std::string(QF_MONOFIT_EXE) + " data/single.dat RM.txt GM.txt SM.txt"), 0);
    const std::pair<const char*, const char*> same[] = {
        {"R.txt", "out/series one/Result.txt"}, {"G.txt", "out/series one/Graph.txt"},
        {"S.txt", "out/series one/Summary.txt"}, {"RM.txt", "out/single/ResultM.txt"},
        {"GM.txt", "out/single/GraphM.txt"},     {"SM.txt", "out/single/SummaryM.txt"}};
    for (const auto& [mine, batch] : same) {
        EXPECT_EQ(readFile(d / mine), readFile(d / batch)) << batch;
    }

    // The tables hold the good runs, exactly as their folders hold them.
    for (const char* table : {"components.csv", "contributions.csv"}) {
        const std::string all = readFile(d / "out" / table);
        EXPECT_EQ(firstColumn(all), (std::set<std::string>{"data/series one.dat", "data/single.dat"}));
        EXPECT_EQ(withoutHeading(all), withoutHeading(readFile(d / "out" / "series one" / table)) +
                                           withoutHeading(readFile(d / "out" / "single" / table)));
    }
    const std::string index = readFile(d / "out" / "index.html");
    for (const char* f : {"data/series one.dat", "data/bad series.dat", "data/empty.dat"}) {
        EXPECT_NE(index.find(f), std::string::npos) << f;
    }
    // Pages of the good runs, linked from the index; the figure of positions.
    EXPECT_TRUE(fs::exists(d / "out" / "series one" / "report.html"));
    EXPECT_TRUE(fs::exists(d / "out" / "single" / "report.html"));
    EXPECT_NE(index.find("href=\"series%20one/report.html\""), std::string::npos);
    EXPECT_NE(index.find("href=\"single/report.html\""), std::string::npos);
    EXPECT_EQ(index.find("bad%20series/report.html"), std::string::npos);
    EXPECT_NE(index.find("data/single.dat: VELA-MONO-I<"), std::string::npos);

    // A second batch into the same folder overwrites nothing unless asked.
    const std::string before = readFile(d / "out" / "runs.csv");
    EXPECT_EQ(shell(d, std::string(QF_TRPFIT_EXE) + " run -o out data", &err), 1);
    EXPECT_NE(err.find("--resume"), std::string::npos) << err;
    EXPECT_EQ(readFile(d / "out" / "runs.csv"), before);
    EXPECT_EQ(shell(d, std::string(QF_TRPFIT_EXE) + " run --shard 4/3 data"), 2);

    // A file given to the other program: its message names the file once.
    EXPECT_EQ(shell(d, std::string(QF_TRPFIT_EXE) + " run --quiet --no-fit --program quenfit -o other data/single.dat",
                    &err),
              1);
    EXPECT_EQ(err.rfind("trpfit: data/single.dat: line 2 holds 3 numbers", 0), 0u) << err;
    EXPECT_EQ(err.find("single.dat", err.find("single.dat") + 1), std::string::npos) << err;
}

// Stand-ins for monofit: a data file named crash* kills the run with a
// signal, slow* sleeps past any limit, cpus* reports the CPUs it may use as
// a warning; anything else goes to monofit.
fs::path standIns(const fs::path& dir) {
    const fs::path progs = dir / "progs";
    fs::create_directories(progs);
    writeFile(progs / "monofit", "#!/bin/sh\ncase \"$1\" in\n  *crash*) kill -SEGV $$ ;;\n"
                                 "  *slow*) sleep 60 ;;\n"
                                 "  *cpus*) echo \"monofit: warning: $(grep Cpus_allowed_list "
                                 "/proc/self/status)\" >&2 ;;\nesac\nexec " +
                                     std::string(QF_MONOFIT_EXE) + " \"$@\"\n");
    fs::permissions(progs / "monofit", fs::perms::owner_all);
    return progs;
}

TEST(BatchRun, CrashAndTimeoutAreRecordedAndTheBatchFinishes) {
    ScratchDir dir;
    const fs::path d = dir.path();
    for (const char* f : {"crash.dat", "cpus.dat", "good.dat", "slow.dat"}) {
        fs::copy_file(sourcePath("examples/single.dat"), d / f);
    }
    BatchOptions o = optionsFor(d, {d.string()}, "out");
    o.programDir = standIns(d).string();
    o.timeoutSeconds = 1.5;
    std::ostringstream out, err;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(trpfit::batchCommand(o, false, out, err), 1);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 20.0);
    auto runs = runsTable(d / "out");
    const RunRecord& crash = runs[(d / "crash.dat").string()];
    EXPECT_EQ(crash.status, RunStatus::Crashed);
    EXPECT_EQ(crash.exitStatus, "");
    EXPECT_EQ(crash.message, "killed by signal 11 (SIGSEGV)");
    const RunRecord& slow = runs[(d / "slow.dat").string()];
    EXPECT_EQ(slow.status, RunStatus::Timeout);
    EXPECT_EQ(slow.message, "stopped after the time limit of 1.5 s");
    EXPECT_EQ(runs[(d / "good.dat").string()].status, RunStatus::Ok);
    // Two analyses at a time: each may run on one core only.
    const RunRecord& cpus = runs[(d / "cpus.dat").string()];
    EXPECT_EQ(cpus.status, RunStatus::Ok);
    EXPECT_TRUE(cpus.warnings.rfind("Cpus_allowed_list:", 0) == 0 &&
                cpus.warnings.find_first_of(",-") == std::string::npos)
        << cpus.warnings;
    EXPECT_EQ(firstColumn(readFile(d / "out" / "components.csv")),
              (std::set<std::string>{(d / "cpus.dat").string(), (d / "good.dat").string()}));
}

fs::file_time_type reportTime(const fs::path& folder) {
    return fs::last_write_time(folder / "ResultM.txt");
}

TEST(BatchRun, ResumeRunsOnlyWhatIsMissingOrOutOfDate) {
    ScratchDir dir;
    const fs::path d = dir.path();
    for (const char* f : {"a.dat", "b.dat", "slow.dat"}) {
        fs::copy_file(sourcePath("examples/single.dat"), d / f);
    }
    // An interrupted batch: slow.dat is still running when the batch is stopped.
    const std::string progs = standIns(d).string();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, 1);
        ::dup2(quiet, 2);
        if (::chdir(d.c_str()) != 0) ::_exit(127);
        ::execl(QF_TRPFIT_EXE, QF_TRPFIT_EXE, "run", "-j", "1", "--quiet", "-o", "out",
                "--program-dir", progs.c_str(), "a.dat", "b.dat", "slow.dat", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(pid, 0);
    const auto bDone = [&] {
        const auto m = readMarker(d / "out" / "b");
        return m && m->record.status == RunStatus::Ok;
    };
    for (int i = 0; i < 200 && !bDone(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ::kill(pid, SIGINT);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    auto runs = runsTable(d / "out");
    EXPECT_EQ(runs["a.dat"].status, RunStatus::Ok);
    EXPECT_EQ(runs["slow.dat"].status, RunStatus::Interrupted);

    // --resume with monofit itself in place of the stand-in runs only slow.dat.
    const auto aTime = reportTime(d / "out" / "a");
    const auto bTime = reportTime(d / "out" / "b");
    BatchOptions o = optionsFor(d, {"a.dat", "b.dat", "slow.dat"}, "out");
    o.version = qf::trpfit::programVersion();
    o.resume = true;
    ASSERT_EQ(::chdir(d.c_str()), 0);
    std::ostringstream out, err;
    EXPECT_EQ(trpfit::batchCommand(o, false, out, err), 0) << err.str();
    EXPECT_NE(out.str().find("; 1 run now."), std::string::npos) << out.str();
    EXPECT_EQ(reportTime(d / "out" / "a"), aTime);
    EXPECT_EQ(reportTime(d / "out" / "b"), bTime);
    for (const auto& [file, r] : runsTable(d / "out")) EXPECT_EQ(r.status, RunStatus::Ok) << file;
    EXPECT_EQ(firstColumn(readFile(d / "out" / "components.csv")),
              (std::set<std::string>{"a.dat", "b.dat", "slow.dat"}));

    // A data file changed after its run is run again.
    fs::last_write_time(d / "b.dat", fs::file_time_type::clock::now() + std::chrono::seconds(5));
    std::ostringstream out2;
    EXPECT_EQ(trpfit::batchCommand(o, false, out2, err), 0) << err.str();
    EXPECT_NE(out2.str().find("; 1 run now."), std::string::npos) << out2.str();
    EXPECT_EQ(reportTime(d / "out" / "a"), aTime);
    EXPECT_NE(reportTime(d / "out" / "b"), bTime);

    // Runs of another version are not kept.
    o.version = "another";
    std::ostringstream out3;
    EXPECT_EQ(trpfit::batchCommand(o, false, out3, err), 0) << err.str();
    EXPECT_NE(out3.str().find("; 3 run now."), std::string::npos) << out3.str();
    ASSERT_EQ(::chdir("/"), 0);
}

TEST(BatchRun, ShardsCoverEveryInputOnceAndMergeToTheWholeBatch) {
    ScratchDir dir;
    const fs::path d = dir.path();
    fs::create_directories(d / "data");
    fs::copy_file(sourcePath("examples/series.dat"), d / "data" / "s.dat");
    for (const char* f : {"m1.dat", "m2.dat", "m3.dat"}) {
        fs::copy_file(sourcePath("examples/single.dat"), d / "data" / f);
    }
    writeFile(d / "data" / "x.dat", kBadSeries);
    ASSERT_EQ(::chdir(d.c_str()), 0);
    std::ostringstream out, err;
    EXPECT_EQ(trpfit::batchCommand(optionsFor(d, {"data"}, "whole"), false, out, err), 1);
    std::vector<std::string> shards;
    std::multiset<std::string> seen;
    for (int k = 1; k <= 3; ++k) {
        BatchOptions o = optionsFor(d, {"data"}, "shard" + std::to_string(k));
        o.shardIndex = k;
        o.shardCount = 3;
        trpfit::batchCommand(o, false, out, err);
        shards.push_back(o.outDir);
        for (const auto& [file, r] : runsTable(o.outDir)) seen.insert(file);
    }
    EXPECT_EQ(seen, (std::multiset<std::string>{"data/m1.dat", "data/m2.dat", "data/m3.dat",
                                                "data/s.dat", "data/x.dat"}));
    MergeOptions m;
    m.dirs = shards;
    m.outDir = (d / "merged").string();
    EXPECT_EQ(trpfit::mergeCommand(m, out, err), 1) << err.str();
    for (const char* table : {"components.csv", "contributions.csv"}) {
        EXPECT_EQ(readFile(d / "merged" / table), readFile(d / "whole" / table)) << table;
    }
    auto whole = runsTable(d / "whole");
    auto merged = runsTable(d / "merged");
    ASSERT_EQ(merged.size(), whole.size());
    for (auto& [file, r] : merged) {
        EXPECT_EQ(r.status, whole[file].status) << file;
        EXPECT_EQ(r.message, whole[file].message) << file;
        EXPECT_TRUE(fs::exists(d / "merged" / r.folder)) << r.folder;
    }
    EXPECT_NE(readFile(d / "merged" / "index.html").find("data/x.dat"), std::string::npos);

    // The same inputs give the same bytes, apart from the seconds.
    trpfit::batchCommand(optionsFor(d, {"data"}, "again"), false, out, err);
    for (const char* file : {"index.html", "components.csv", "contributions.csv",
                             "s/report.html", "m2/figures/vela-mono-ii-decomposition.svg"}) {
        EXPECT_EQ(readFile(d / "again" / file), readFile(d / "whole" / file)) << file;
    }
    ASSERT_EQ(::chdir("/"), 0);
}

}  // namespace
}  // namespace qf::batch
