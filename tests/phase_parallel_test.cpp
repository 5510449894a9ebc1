#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "phase/parallel.h"
#include "textio/checked.h"
#include "textio/failure.h"
#include "textio/fpcheck.h"

namespace qf {
namespace {

std::string messageOf(const IndexedFailure& f) {
    try {
        std::rethrow_exception(f.error);
    } catch (const RunFailure& e) {
        return e.what();
    }
    return "";
}

TEST(PhaseParallel, EveryIndexRunsOnce) {
    for (int threads : {1, 2}) {
        std::vector<std::atomic<int>> hits(50);
        const auto failure = forEachIndex(
            50, threads, [&](int i, int) { hits[static_cast<std::size_t>(i)]++; },
            [](int) { return std::string("piece"); });
        EXPECT_FALSE(failure);
        for (const auto& h : hits) EXPECT_EQ(h.load(), 1);
    }
}

TEST(PhaseParallel, LowestFailureWinsOnEveryThreadCount) {
    for (int threads : {1, 2}) {
        const auto failure = forEachIndex(
            40, threads,
            [](int i, int) {
                if (i == 31 || i == 7) fail("piece " + std::to_string(i) + " failed");
            },
            [](int) { return std::string("piece"); });
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->index, 7);
        EXPECT_EQ(messageOf(*failure), "piece 7 failed");
    }
}

TEST(PhaseParallel, FlagsOfAWorkerComeBackAsAFailure) {
    for (int threads : {1, 2}) {
        volatile double zero = 0.0;
        const auto failure = forEachIndex(
            10, threads,
            [&](int i, int) {
                volatile double v = fp::div(1.0, i == 4 ? zero : 1.0);
                (void)v;
            },
            [](int i) { return "piece " + std::to_string(i); });
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->index, 4);
        EXPECT_EQ(messageOf(*failure), "piece 4: division by zero");
        EXPECT_FALSE(fp::raised());  // nothing left on the calling thread
    }
}

}  // namespace
}  // namespace qf
