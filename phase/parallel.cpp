#include "phase/parallel.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__linux__)
#include <sched.h>
#endif

#include "textio/fpcheck.h"

namespace qf {

namespace {

// A WebAssembly build without threads (the browser page) runs every piece
// on the calling thread; the results are the same.
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
constexpr bool kThreadsAvailable = false;
#else
constexpr bool kThreadsAvailable = true;
#endif

}  // namespace

int phaseThreads() {
    if (!kThreadsAvailable) return 1;
    // The CPUs this process may run on, not those the machine has: a run
    // kept to one core (by taskset, a cluster's CPU set, or a batch running
    // several analyses at once) uses one thread.
#if defined(__linux__)
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    const int cpus = sched_getaffinity(0, sizeof allowed, &allowed) == 0
                         ? CPU_COUNT(&allowed)
                         : static_cast<int>(std::thread::hardware_concurrency());
#else
    const int cpus = static_cast<int>(std::thread::hardware_concurrency());
#endif
    return cpus >= 2 ? 2 : 1;
}

namespace {

class FailureSlot {
public:
    void record(int index, std::exception_ptr error) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (index < lowest_.load()) {
            lowest_.store(index);
            error_ = std::move(error);
        }
    }
    int lowest() const { return lowest_.load(); }
    std::optional<IndexedFailure> result() const {
        if (lowest_.load() == INT_MAX) return std::nullopt;
        return IndexedFailure{lowest_.load(), error_};
    }

private:
    std::mutex mutex_;
    std::atomic<int> lowest_{INT_MAX};
    std::exception_ptr error_;
};

void runPieces(int worker, std::atomic<int>& next, int count,
               const std::function<void(int, int)>& task,
               const std::function<std::string(int)>& where, FailureSlot& failure) {
    for (;;) {
        const int i = next.fetch_add(1);
        if (i >= count || i > failure.lowest()) return;
        try {
            task(i, worker);
            fp::check(where(i));
        } catch (...) {
            fp::clear();
            failure.record(i, std::current_exception());
        }
    }
}

}  // namespace

std::optional<IndexedFailure> forEachIndex(int count, int threads,
                                           const std::function<void(int, int)>& task,
                                           const std::function<std::string(int)>& where) {
    // A failure already pending on the calling thread is not ours to report.
    fp::check("phase-plane stage");
    std::atomic<int> next{0};
    FailureSlot failure;
    const int workers = kThreadsAvailable ? std::max(1, std::min(threads, count)) : 1;
    if (workers == 1) {
        runPieces(0, next, count, task, where, failure);
        return failure.result();
    }
    std::vector<std::thread> pool;
    pool.reserve(static_cast<std::size_t>(workers - 1));
    for (int w = 1; w < workers; ++w) {
        try {
            pool.emplace_back([&, w] {
                fp::clear();
                runPieces(w, next, count, task, where, failure);
            });
        } catch (const std::system_error&) {
            break;  // no thread to be had: the calling thread takes the rest
        }
    }
    runPieces(0, next, count, task, where, failure);
    for (std::thread& t : pool) t.join();
    return failure.result();
}

}  // namespace qf
