#pragma once
// Child processes run N at a time by one single-threaded loop. Each child is
// the leader of its own process group (so that a time limit stops it and
// anything it started), reads nothing, writes its standard output nowhere
// and its standard error into a pipe that the loop collects.

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace qf::batch {

struct ChildSpec {
    std::string program;            // path of the executable
    std::vector<std::string> args;  // arguments after the program name
    std::string workDir;            // the child's working folder
    // When not empty: opened by the child before it starts and handed to it
    // as "/dev/fd/3", which must then stand among `args`. Used for names the
    // programs cannot take on their command line (names with blanks).
    std::string openAsFd3;
    double timeoutSeconds = 600.0;
};

enum class ChildEnd { Exited, Signalled, TimedOut };

struct ChildResult {
    std::size_t id = 0;
    ChildEnd end = ChildEnd::Exited;
    int exitStatus = 0;  // when Exited
    int signal = 0;      // when Signalled or TimedOut
    std::string errText; // standard error (at most kMaxErrBytes)
    double seconds = 0.0;
    double cpuSeconds = 0.0;
};

class ProcessPool {
public:
    static constexpr std::size_t kMaxErrBytes = 256 * 1024;

    // `slots` children at a time. With `cpus` not empty, the child in slot i
    // may run only on cpus[i % size], one core each.
    ProcessPool(int slots, std::vector<int> cpus);
    ~ProcessPool();
    ProcessPool(const ProcessPool&) = delete;
    ProcessPool& operator=(const ProcessPool&) = delete;

    bool hasFreeSlot() const;
    std::size_t running() const { return children_.size(); }

    // Starts a child. A child that cannot be started (no process to be had)
    // comes back from the next wait() as exit status 127 with the cause.
    void start(std::size_t id, const ChildSpec& launch);

    // Collects standard error, stops children past their time limit and
    // returns those that ended; waits at most `waitMs` when none has.
    std::vector<ChildResult> wait(int waitMs);

    // Kills every running child and its group, and reaps them.
    void stopAll();

private:
    struct Child {
        std::size_t id;
        int pid;
        int errFd;
        int pidFd;
        int slot;
        std::string err;
        std::chrono::steady_clock::time_point started;
        std::chrono::steady_clock::time_point deadline;
        bool timedOut = false;
    };
    void drain(Child& c, bool toEnd);

    int slots_;
    std::vector<int> cpus_;
    std::vector<Child> children_;
    std::vector<ChildResult> early_;  // children that never started
};

// The CPUs this process may run on, in increasing order.
std::vector<int> allowedCpus();

}  // namespace qf::batch
