// Child processes of a batch: exit status, signals, time limits, standard
// error, and one core per child when several run at once, which the
// phase-plane stage reads as one thread.
#include <gtest/gtest.h>

#include <chrono>
#include <map>

#include <sched.h>

#include "batch/process_pool.h"
#include "phase/parallel.h"
#include "support/test_support.h"

namespace qf::batch {
namespace {

using qf::testing::ScratchDir;

std::map<std::size_t, ChildResult> runAll(ProcessPool& pool, const std::vector<ChildSpec>& specs) {
    std::map<std::size_t, ChildResult> results;
    std::size_t next = 0;
    while (results.size() < specs.size()) {
        while (next < specs.size() && pool.hasFreeSlot()) {
            pool.start(next, specs[next]);
            ++next;
        }
        for (ChildResult& r : pool.wait(100)) results[r.id] = std::move(r);
    }
    return results;
}

ChildSpec shell(const std::string& script, const std::string& dir, double timeout = 20) {
    ChildSpec s;
    s.program = "/bin/sh";
    s.args = {"-c", script};
    s.workDir = dir;
    s.timeoutSeconds = timeout;
    return s;
}

TEST(BatchPool, EndsOfChildrenAreToldApart) {
    ScratchDir dir;
    ProcessPool pool(3, {});
    const auto start = std::chrono::steady_clock::now();
    const auto results = runAll(
        pool, {shell("echo 'quenfit: warning: w' >&2; echo 'quenfit: cause' >&2; exit 1", dir.file("")),
               shell("kill -SEGV $$", dir.file("")),
               // The sleeping grandchild goes with its group when the time is up.
               shell("sleep 30; echo late >&2", dir.file(""), 0.5),
               shell("pwd >&2", dir.file(""))});
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 10.0);
    EXPECT_EQ(results.at(0).end, ChildEnd::Exited);
    EXPECT_EQ(results.at(0).exitStatus, 1);
    EXPECT_EQ(results.at(0).errText, "quenfit: warning: w\nquenfit: cause\n");
    EXPECT_EQ(results.at(1).end, ChildEnd::Signalled);
    EXPECT_EQ(results.at(1).signal, SIGSEGV);
    EXPECT_EQ(results.at(2).end, ChildEnd::TimedOut);
    EXPECT_EQ(results.at(2).errText, "");
    EXPECT_EQ(results.at(3).exitStatus, 0);
    EXPECT_EQ(std::filesystem::path(results.at(3).errText.substr(0, results.at(3).errText.size() - 1)),
              std::filesystem::canonical(dir.path()));
}

TEST(BatchPool, MissingProgramAndFdThreeHandOver) {
    ScratchDir dir;
    qf::testing::writeFile(dir.path() / "with blank.dat", "the data\n");
    ProcessPool pool(2, {});
    ChildSpec missing = shell("", dir.file(""));
    missing.program = dir.file("no-such-program");
    ChildSpec fd3 = shell("cat /dev/fd/3 >&2", dir.file(""));
    fd3.openAsFd3 = dir.file("with blank.dat");
    const auto results = runAll(pool, {missing, fd3});
    EXPECT_EQ(results.at(0).exitStatus, 127);
    EXPECT_NE(results.at(0).errText.find("no-such-program"), std::string::npos);
    EXPECT_EQ(results.at(1).errText, "the data\n");
}

TEST(BatchPool, SeveralAtOnceKeepOneCoreEachAndThePhaseStageOneThread) {
    const std::vector<int> cpus = allowedCpus();
    ASSERT_FALSE(cpus.empty());
    ScratchDir dir;
    ProcessPool pool(2, cpus);
    const auto results =
        runAll(pool, {shell("grep Cpus_allowed_list /proc/self/status >&2", dir.file("")),
                      shell("grep Cpus_allowed_list /proc/self/status >&2", dir.file(""))});
    for (const auto& [id, r] : results) {
        EXPECT_EQ(r.errText, "Cpus_allowed_list:\t" + std::to_string(cpus[id % cpus.size()]) + "\n");
    }

    // The calling thread kept to one core: one phase-plane thread.
    cpu_set_t before;
    ASSERT_EQ(sched_getaffinity(0, sizeof before, &before), 0);
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(cpus.front(), &one);
    ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
    EXPECT_EQ(phaseThreads(), 1);
    ASSERT_EQ(sched_setaffinity(0, sizeof before, &before), 0);
    EXPECT_EQ(phaseThreads(), cpus.size() >= 2 ? 2 : 1);
}

}  // namespace
}  // namespace qf::batch
