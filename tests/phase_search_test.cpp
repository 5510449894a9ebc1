#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>

#include "phase/pairs.h"
#include "phase/position_search.h"
#include "phase_series.h"
#include "support/test_support.h"
#include "textio/failure.h"
#include "textio/fpcheck.h"

namespace qf {
namespace {

using testing::TwoBandTruth;

using qf::testing::bits;
using qf::testing::expectFailure;

TEST(PhasePairs, CountsPerReferencePoint) {
    const PairTable p61(61);
    std::size_t lo = 100000, hi = 0;
    for (int j = 0; j < 61; ++j) {
        lo = std::min(lo, p61.of(j).size());
        hi = std::max(hi, p61.of(j).size());
        for (const WavelengthPair& p : p61.of(j)) {
            ASSERT_GE(p.l, p.k + 4);
            ASSERT_GE(std::abs(p.k - j), 2);
            ASSERT_GE(std::abs(p.l - j), 2);
        }
    }
    EXPECT_EQ(lo, 1485u);
    EXPECT_EQ(hi, 1540u);
    EXPECT_EQ(p61.total(), 91029);

    const PairTable p31(31);
    lo = 100000, hi = 0;
    for (int j = 0; j < 31; ++j) {
        lo = std::min(lo, p31.of(j).size());
        hi = std::max(hi, p31.of(j).size());
    }
    EXPECT_EQ(lo, 300u);
    EXPECT_EQ(hi, 325u);

    const PairTable p8(8);
    for (int j = 0; j < 8; ++j) EXPECT_GE(p8.of(j).size(), 1u) << j;
    const PairTable p7(7);
    bool empty = false;
    for (int j = 0; j < 7; ++j) empty = empty || p7.of(j).empty();
    EXPECT_TRUE(empty);
}

TEST(PhaseVotes, SetAsideAndStabilityRules) {
    EXPECT_TRUE(pairSetAside({330.0, 334.99}));
    EXPECT_FALSE(pairSetAside({330.0, 335.0}));

    ReferenceVotes v;
    castVotes(v, {330.0, 350.0}, {340.0, 360.01});  // 10 nm votes, 10.01 nm does not
    EXPECT_EQ(v.count[0], 0.000001 + 1.0);
    EXPECT_EQ(v.sum[0], 330.0);
    EXPECT_EQ(v.count[1], 0.000001);
    EXPECT_EQ(v.sum[1], 0.0);
    castVotes(v, {331.0, 351.0}, {331.5, 351.5});
    EXPECT_EQ(v.count[1], 0.000001 + 1.0);
    EXPECT_EQ(v.sum[1], 351.0);
}

TEST(PhaseVotes, PerPointMeanTruncates) {
    ReferenceVotes v;
    v.count[0] = 0.000001 + 1.0;
    v.sum[0] = 341.239;
    EXPECT_DOUBLE_EQ(votedPosition(v, 0), 341.23);
    EXPECT_EQ(votedPosition(v, 1), 0.0);  // no vote
}

TEST(PhaseVotes, HeightStartsAtOneThousandth) {
    std::vector<ReferenceVotes> votes(61);
    for (ReferenceVotes& v : votes) {
        v.pairCount = 10;
        v.sumR = 9.995;
        for (int c = 0; c < 2; ++c) {
            v.count[static_cast<std::size_t>(c)] = 0.000001 + 1.0;
            v.sum[static_cast<std::size_t>(c)] = 340.001;  // one vote: m(j) = 340.00
        }
    }
    ASSERT_DOUBLE_EQ(votedPosition(votes[0], 0), 340.0);
    const PhasePositions p = combineVotes(votes);
    EXPECT_NEAR(p.component[0].lambdaM, 20740.0 / 61.001, 1e-9);
    EXPECT_NEAR(p.component[0].lambdaM, 339.9944, 5e-5);
    EXPECT_DOUBLE_EQ(p.component[0].DL, 1.4);
    EXPECT_EQ(p.component[0].V, std::trunc(10000000.0 / p.component[0].lambdaM + 0.5));
    EXPECT_DOUBLE_EQ(p.tarnoMeanR, 1.0);  // 0.9995 rounds up per point

    // A point where component 2 got no vote adds nothing to its H.
    votes[5].count[1] = 0.000001;
    votes[5].sum[1] = 0.0;
    const PhasePositions q = combineVotes(votes);
    EXPECT_NEAR(q.component[1].lambdaM, 20400.0 / 60.001, 1e-9);

    for (ReferenceVotes& v : votes) {
        v.count[1] = 0.000001;
        v.sum[1] = 0.0;
    }
    expectFailure([&] { combineVotes(votes); }, "no wavelength triple voted for component 2");
}

TEST(PhaseRoots, TwoSignChanges) {
    const Roots r = findRoots([](double x) { return (x - 320.0) * (x - 350.0); });
    EXPECT_NEAR(r.p1, 320.0, 0.03);
    EXPECT_NEAR(r.p2, 350.0, 0.03);
    EXPECT_FALSE(pairSetAside(r));
}

TEST(PhaseRoots, NoSignChangeEndsBelowLowerBound) {
    int evaluations = 0;
    const Roots r = findRoots([&](double) {
        ++evaluations;
        return 1.0;
    });
    EXPECT_LT(r.p1, 300.0);
    EXPECT_LT(r.p2, 300.0);
    EXPECT_TRUE(pairSetAside(r));
    EXPECT_LT(evaluations, 200);
}

TEST(PhaseRoots, ExactZeroIsARoot) {
    // D is zero from 304.86 on: the first step lands on an exact root.
    const Roots r = findRoots([](double x) { return x < 304.0 ? 1.0 : 0.0; });
    EXPECT_EQ(r.p1, 300.0 + 4.86);
}

TEST(PhaseLineFit, ExactLineAndUndefinedLine) {
    const std::vector<double> x{0.5, 1.0, 1.5, 2.0};
    std::vector<double> y;
    for (double v : x) y.push_back(2.0 + 3.0 * v);
    const PhaseLine line = fitPhaseLine(x, y, coordinateSums(x), coordinateSums(y), 330, 322, 340);
    EXPECT_NEAR(line.b, 3.0, 1e-12);
    EXPECT_NEAR(line.a, 2.0, 1e-12);
    EXPECT_NEAR(line.sb, 0.0, 1e-6);
    EXPECT_NEAR(line.r, 1.0, 1e-12);

    const std::vector<double> same{1.0, 1.0, 1.0, 1.0};
    expectFailure([&] { fitPhaseLine(same, y, coordinateSums(same), coordinateSums(y), 330, 322, 340); },
                  "is the same in every spectrum");
}

Spectra smallSeries(double step, int nSpec) {
    return testing::twoBandSeries(TwoBandTruth{}, testing::phaseQuencher(nSpec), step);
}

TEST(PhaseSearch, FastSearchIsBitIdenticalToDirect) {
    const Spectra s = smallSeries(2.0, 6);
    const Matrix F = wavenumberSpectra(s);
    std::vector<ReferenceVotes> direct, one, two;
    const PhasePositions a = searchPositionsDirect(F, s.step, &direct);
    const PhasePositions b = searchPositions(F, s.step, 1, &one);
    const PhasePositions c = searchPositions(F, s.step, 2, &two);
    ASSERT_EQ(direct.size(), one.size());
    for (std::size_t j = 0; j < direct.size(); ++j) {
        for (const auto* v : {&one[j], &two[j]}) {
            EXPECT_EQ(v->pairCount, direct[j].pairCount);
            EXPECT_EQ(bits(v->sumR), bits(direct[j].sumR)) << j;
            for (std::size_t k = 0; k < 2; ++k) {
                EXPECT_EQ(bits(v->count[k]), bits(direct[j].count[k]));
                EXPECT_EQ(bits(v->sum[k]), bits(direct[j].sum[k]));
            }
        }
    }
    for (const PhasePositions* p : {&b, &c}) {
        for (std::size_t k = 0; k < 2; ++k) {
            EXPECT_EQ(bits(p->component[k].lambdaM), bits(a.component[k].lambdaM));
            EXPECT_EQ(bits(p->component[k].DL), bits(a.component[k].DL));
            EXPECT_EQ(p->component[k].L, a.component[k].L);
        }
        EXPECT_EQ(p->tarnoMeanR, a.tarnoMeanR);
    }
}

// At 1 nm with noise the lines of many pairs pass close to a band's point,
// where the sign of the crossing function is hardest to decide.
TEST(PhaseSearch, FastSearchIsBitIdenticalOnANoisySeries) {
    TwoBandTruth truth;
    truth.noise = 0.003;
    const Spectra s = testing::twoBandSeries(truth, testing::phaseQuencher(8, 0.05), 1.0);
    const Matrix F = wavenumberSpectra(s);
    std::vector<ReferenceVotes> direct, fast;
    SearchCounters plain, counters;
    searchPositionsDirect(F, s.step, &direct, &plain);
    searchPositions(F, s.step, 2, &fast, &counters);
    ASSERT_EQ(direct.size(), fast.size());
    for (std::size_t j = 0; j < direct.size(); ++j) {
        EXPECT_EQ(bits(fast[j].sumR), bits(direct[j].sumR)) << j;
        for (std::size_t k = 0; k < 2; ++k) {
            EXPECT_EQ(bits(fast[j].count[k]), bits(direct[j].count[k])) << j;
            EXPECT_EQ(bits(fast[j].sum[k]), bits(direct[j].sum[k])) << j;
        }
    }
    // Nearly every value of D was decided from the tabulated heights.
    EXPECT_GT(plain.crossingEvaluations, 1000000);
    EXPECT_LT(counters.exactEvaluations * 100, plain.crossingEvaluations);
    EXPECT_GT(counters.trialPositions, 1000);
}

TEST(PhaseSearch, RecoversTwoKnownBands) {
    const Spectra s = smallSeries(1.0, 8);
    const PhasePositions p = searchPositions(wavenumberSpectra(s), s.step, 2);
    EXPECT_NEAR(p.component[0].lambdaM, 331.0, 1.0);
    EXPECT_NEAR(p.component[1].lambdaM, 350.0, 1.0);
    EXPECT_GT(p.tarnoMeanR, 0.99);
    EXPECT_LT(p.component[0].L, p.component[0].lambdaM);  // the 1/lambda^2 factor
}

TEST(PhaseSearch, FailuresInWords) {
    Spectra s = smallSeries(2.0, 5);
    Matrix F = wavenumberSpectra(s);
    F(2, 10) = 0.0;  // reference point 340 nm of spectrum 3
    expectFailure([&] { searchPositions(F, s.step, 2); },
                  "spectrum 3 has the value 0 at the reference point 340 nm");
    expectFailure([&] { searchPositionsDirect(F, s.step); },
                  "spectrum 3 has the value 0 at the reference point 340 nm");

    const Spectra coarse = smallSeries(10.0, 5);  // 7 window points
    ASSERT_EQ(coarse.nPoints, 7);
    expectFailure([&] { searchPositions(wavenumberSpectra(coarse), coarse.step, 2); },
                  "reference point 330 nm has no wavelength pair");

    Matrix many(31, 31, 1.0);
    expectFailure([&] { searchPositions(many, 2.0, 2); }, "at most 30");
}

}  // namespace
}  // namespace qf
