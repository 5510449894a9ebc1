#include "batch/process_pool.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qf::batch {

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

double cpuOf(const struct rusage& ru) {
    return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
           static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) * 1e-6;
}

// Only async-signal-safe calls between fork and exec.
void writeAll(int fd, const char* text) {
    std::size_t n = std::strlen(text);
    while (n > 0) {
        const ssize_t w = ::write(fd, text, n);
        if (w <= 0) return;
        text += w;
        n -= static_cast<std::size_t>(w);
    }
}

[[noreturn]] void childFails(const char* what) {
    writeAll(2, what);
    writeAll(2, ": ");
    writeAll(2, std::strerror(errno));
    writeAll(2, "\n");
    ::_exit(127);
}

}  // namespace

std::vector<int> allowedCpus() {
    std::vector<int> cpus;
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0) {
        for (int c = 0; c < CPU_SETSIZE; ++c) {
            if (CPU_ISSET(c, &set)) cpus.push_back(c);
        }
    }
    return cpus;
}

ProcessPool::ProcessPool(int slots, std::vector<int> cpus)
    : slots_(std::max(1, slots)), cpus_(std::move(cpus)) {}

ProcessPool::~ProcessPool() { stopAll(); }

bool ProcessPool::hasFreeSlot() const {
    return static_cast<int>(children_.size() + early_.size()) < slots_;
}

void ProcessPool::start(std::size_t id, const ChildSpec& launch) {
    int slot = 0;
    while (std::any_of(children_.begin(), children_.end(),
                       [&](const Child& c) { return c.slot == slot; })) {
        ++slot;
    }
    // Everything the child needs is prepared before fork.
    std::vector<std::string> words;
    words.push_back(launch.program);
    words.insert(words.end(), launch.args.begin(), launch.args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    cpu_set_t one;
    CPU_ZERO(&one);
    const bool pin = !cpus_.empty();
    if (pin) CPU_SET(cpus_[static_cast<std::size_t>(slot) % cpus_.size()], &one);

    const auto refuse = [&](const std::string& cause) {
        ChildResult r;
        r.id = id;
        r.exitStatus = 127;
        r.errText = "cannot start " + launch.program + ": " + cause + "\n";
        early_.push_back(std::move(r));
    };
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        refuse(std::strerror(errno));
        return;
    }
    const int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    const Clock::time_point started = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setpgid(0, 0);
        if (pin) ::sched_setaffinity(0, sizeof one, &one);
        if (devNull >= 0) {
            ::dup2(devNull, 0);
            ::dup2(devNull, 1);
        }
        ::dup2(pipeFds[1], 2);
        if (!launch.openAsFd3.empty()) {
            const int fd = ::open(launch.openAsFd3.c_str(), O_RDONLY);
            if (fd < 0) childFails(launch.openAsFd3.c_str());
            if (fd != 3 && (::dup2(fd, 3) < 0 || ::close(fd) != 0)) childFails("fd 3");
        }
        if (::chdir(launch.workDir.c_str()) != 0) childFails(launch.workDir.c_str());
        ::execv(argv[0], argv.data());
        childFails(argv[0]);
    }
    const int forkErr = errno;
    ::close(pipeFds[1]);
    if (devNull >= 0) ::close(devNull);
    if (pid < 0) {
        ::close(pipeFds[0]);
        refuse(std::strerror(forkErr));
        return;
    }
    ::setpgid(pid, pid);  // also here, so that a kill never misses the group
    ::fcntl(pipeFds[0], F_SETFL, O_NONBLOCK);
    const auto limit = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(launch.timeoutSeconds));
    // A descriptor that becomes readable when the child ends (Linux 5.3 and
    // later); without it the loop looks again every few milliseconds.
    const int pidFd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    children_.push_back({id, pid, pipeFds[0], pidFd, slot, {}, started, started + limit});
}

void ProcessPool::drain(Child& c, bool toEnd) {
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(c.errFd, buf, sizeof buf);
        if (n > 0) {
            const std::size_t room = kMaxErrBytes - std::min(kMaxErrBytes, c.err.size());
            c.err.append(buf, std::min(room, static_cast<std::size_t>(n)));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        // End of the pipe, a read error, or (with toEnd, after the child
        // ended) nothing more to come.
        if (n == 0 || toEnd || errno != EAGAIN) {
            ::close(c.errFd);
            c.errFd = -1;
        }
        return;
    }
}

std::vector<ChildResult> ProcessPool::wait(int waitMs) {
    std::vector<ChildResult> done;
    done.swap(early_);
    if (!done.empty()) waitMs = 0;

    // Sleep until output arrives (a child's exit closes its pipe), the next
    // time limit falls due, or waitMs have passed.
    std::vector<pollfd> fds;
    std::vector<Child*> owners;
    Clock::time_point wake = Clock::now() + std::chrono::milliseconds(waitMs);
    for (Child& c : children_) {
        if (c.errFd >= 0) {
            fds.push_back({c.errFd, POLLIN, 0});
            owners.push_back(&c);
        }
        if (c.pidFd >= 0) {
            fds.push_back({c.pidFd, POLLIN, 0});
            owners.push_back(nullptr);
        } else if (c.errFd < 0) {
            wake = std::min(wake, Clock::now() + std::chrono::milliseconds(5));
        }
        if (!c.timedOut) wake = std::min(wake, c.deadline);
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(wake - Clock::now());
    const int timeout = static_cast<int>(std::clamp<long long>(ms.count() + 1, 0, waitMs));
    if (::poll(fds.data(), fds.size(), timeout) > 0) {
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].revents != 0 && owners[i] != nullptr) drain(*owners[i], false);
        }
    }

    const Clock::time_point now = Clock::now();
    for (Child& c : children_) {
        if (!c.timedOut && now >= c.deadline) {
            ::kill(-c.pid, SIGKILL);
            c.timedOut = true;
        }
    }
    for (auto it = children_.begin(); it != children_.end();) {
        // Look first, reap after: the group is killed while its number
        // still belongs to it, so that a member the child left behind does
        // not outlive it.
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(it->pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
            info.si_pid != it->pid) {
            ++it;
            continue;
        }
        ::kill(-it->pid, SIGKILL);
        int status = 0;
        struct rusage ru {};
        while (::wait4(it->pid, &status, 0, &ru) < 0 && errno == EINTR) {
        }
        // Everything the child wrote is in the pipe now.
        if (it->errFd >= 0) drain(*it, true);
        if (it->pidFd >= 0) ::close(it->pidFd);
        ChildResult res;
        res.id = it->id;
        res.errText = std::move(it->err);
        res.seconds = secondsSince(it->started);
        res.cpuSeconds = cpuOf(ru);
        if (it->timedOut) {
            res.end = ChildEnd::TimedOut;
            res.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
        } else if (WIFSIGNALED(status)) {
            res.end = ChildEnd::Signalled;
            res.signal = WTERMSIG(status);
        } else {
            res.end = ChildEnd::Exited;
            res.exitStatus = WEXITSTATUS(status);
        }
        done.push_back(std::move(res));
        it = children_.erase(it);
    }
    return done;
}

void ProcessPool::stopAll() {
    for (Child& c : children_) ::kill(-c.pid, SIGKILL);
    for (Child& c : children_) {
        int status = 0;
        while (::waitpid(c.pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (c.errFd >= 0) ::close(c.errFd);
        if (c.pidFd >= 0) ::close(c.pidFd);
    }
    children_.clear();
    early_.clear();
}

}  // namespace qf::batch
