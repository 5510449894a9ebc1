#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "band/band.h"
#include "phase/position_search.h"
#include "phase/trial_bands.h"
#include "textio/fpcheck.h"

namespace qf {
namespace {

int signOf(double d) { return (d > 0.0) - (d < 0.0); }

std::vector<double> grid(double first, double step, int n) {
    std::vector<double> wl;
    for (int i = 0; i < n; ++i) wl.push_back(first + step * i);
    return wl;
}

// The sign taken from the tabulated heights must be the sign of the crossing
// function of the band model, over the whole search range and for lines that
// pass exactly through, or a hair beside, the band's phase-plane point.
TEST(TrialBands, SignAgreesWithTheBandModel) {
    const std::vector<double> wl = grid(320.0, 1.0, 61);
    TrialBands trial(wl);
    long long compared = 0;
    long long throughPoint = 0;
    long long clear = 0;          // |D| of at least 0.001
    long long clearButExact = 0;  // ... that still needed the band model
    for (double m = 300.0; m <= 370.0; m += 0.37) {
        const int slot = trial.slotAfter(-1, RootWalk::kFirstMove, m);
        for (int j = 0; j < 61; j += 3) {
            for (int k = 0; k < 61; k += 7) {
                for (int l = k + 4; l < 61; l += 5) {
                    const double x = shapeRatio(m, wl[k], wl[j]);
                    const double y = shapeRatio(m, wl[l], wl[j]);
                    for (double b : {-2.5, -0.3, 0.0, 0.7, 1.9}) {
                        const double through = y - b * x;  // D is 0 up to rounding
                        for (double a : {through, through * (1 + 1e-12), through * (1 - 1e-9),
                                         through + 1e-3, through - 0.2}) {
                            const double exact = a + b * x - y;
                            const long long before = trial.exactEvaluations();
                            const double fast = trial.crossing(slot, a, b, j, k, l);
                            if (std::fabs(exact) >= 1e-3) clear += 1;
                            if (std::fabs(exact) >= 1e-3 && trial.exactEvaluations() > before) clearButExact += 1;
                            ASSERT_EQ(signOf(fast), signOf(exact))
                                << "lambdaM " << m << " j " << j << " k " << k << " l " << l
                                << " a " << a << " b " << b;
                            ASSERT_EQ(std::bit_cast<std::uint64_t>(trial.exactCrossing(slot, a, b, j, k, l)),
                                      std::bit_cast<std::uint64_t>(exact));
                            ++compared;
                        }
                        ++throughPoint;
                    }
                }
            }
        }
    }
    EXPECT_GT(compared, 100000);
    // Lines through the point cannot be decided from the heights: each went
    // to the band model, and little else did.
    EXPECT_GE(trial.exactEvaluations(), throughPoint);
    EXPECT_GT(clear, compared / 4);
    EXPECT_EQ(clearButExact, 0);
    EXPECT_FALSE(fp::raised());
}

// Where the band is undefined at a grid point, its ratio is computed from
// the model, so the failure of the logarithm is seen as in the plain search.
TEST(TrialBands, UndefinedBandGoesToTheBandModel) {
    const std::vector<double> wl{240.0, 330.0, 335.0, 340.0, 345.0};
    const BandShape band = bandShape(300.0);
    ASSERT_FALSE(bandDefinedAt(band, 240.0));
    ASSERT_TRUE(bandDefinedAt(band, 345.0));
    TrialBands trial(wl);
    const int slot = trial.slotAfter(-1, RootWalk::kFirstMove, 300.0);
    fp::clear();
    trial.crossing(slot, 0.5, 1.0, 2, 1, 4);
    EXPECT_FALSE(fp::raised());
    EXPECT_EQ(trial.exactEvaluations(), 0);
    trial.crossing(slot, 0.5, 1.0, 2, 0, 4);
    EXPECT_TRUE(fp::raised());
    EXPECT_EQ(trial.exactEvaluations(), 1);
    fp::clear();
}

// A position and a move fix the next slot; the same position reached by
// another move is still one band.
TEST(TrialBands, SuccessorsAndSlots) {
    TrialBands trial(grid(320.0, 2.0, 31));
    const int start = trial.slotAfter(-1, RootWalk::kFirstMove, 300.0);
    const int up = trial.slotAfter(start, 0, 300.0 + 4.86);
    EXPECT_NE(up, start);
    EXPECT_EQ(trial.slotAfter(start, 0, 300.0 + 4.86), up);
    EXPECT_EQ(trial.slotAfter(start, RootWalk::kSecondRootMove, 300.0 + 4.86), up);
    EXPECT_EQ(trial.slotAfter(-1, RootWalk::kFirstMove, 300.0), start);
    EXPECT_EQ(trial.positions(), 2);
    for (int i = 0; i < 20000; ++i) trial.slotAfter(-1, RootWalk::kFirstMove, 300.0 + 0.003 * i);
    EXPECT_EQ(trial.positions(), 20000);
    EXPECT_EQ(trial.slotAfter(start, 0, 300.0 + 4.86), up);
}

TEST(RootWalk, TabulatedStepsAreTheQuotients) {
    volatile double three = 3.0;
    for (std::size_t m = 1; m < kRootStepSizes.size(); ++m) {
        EXPECT_EQ(std::bit_cast<std::uint64_t>(kRootStepSizes[m]),
                  std::bit_cast<std::uint64_t>(kRootStepSizes[m - 1] / three));
        EXPECT_EQ(std::bit_cast<std::uint64_t>(-kRootStepSizes[m]),
                  std::bit_cast<std::uint64_t>(-kRootStepSizes[m - 1] / three));
    }
    EXPECT_GE(kRootStepSizes[5], 0.02);  // five reductions stay usable
    EXPECT_LT(kRootStepSizes[6], 0.02);
}

}  // namespace
}  // namespace qf
