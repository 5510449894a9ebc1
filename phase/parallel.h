#pragma once
// Independent pieces of a pass (reference points, spectra) computed on up
// to two threads. The record of arithmetic failures belongs to each thread,
// so every worker tests its own record after each piece and carries a
// failure back; the caller sees the failure of the lowest index, which is the one a
// computation in index order meets first.

#include <exception>
#include <functional>
#include <optional>
#include <string>

namespace qf {

struct IndexedFailure {
    int index;
    std::exception_ptr error;
};

// Threads the phase-plane stage uses: two, or one when the process may run
// on one CPU only or the platform has no threads (WebAssembly).
int phaseThreads();

// Runs task(i, worker) for i = 0..count-1, worker = 0..threads-1 naming the
// thread (for per-thread scratch space). `where(i)` names piece i in the
// message of an arithmetic failure found in the thread's record. Pieces above
// a failed one may be skipped. Returns the failure of the lowest failed index.
std::optional<IndexedFailure> forEachIndex(int count, int threads,
                                           const std::function<void(int, int)>& task,
                                           const std::function<std::string(int)>& where);

}  // namespace qf
