// The verdict on the number of components, from hand-made model
// comparisons: when it walks up, when it stops, and when a third band that
// two fit as well as three may still hide makes it say it cannot tell.

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "fit/verdict.h"

namespace {

namespace fit = qf::fit;

// Fits of 1, 2 and 3 components with the F-tests `p12` and `p23`; the
// three-component fit has the given positions and shares.
fit::GlobalFit comparison(qf::Program program, double p12, double p23, const std::array<double, 3>& positions,
                          const std::array<double, 3>& shares) {
    fit::GlobalFit g;
    g.program = program;
    for (int n = 1; n <= 3; ++n) {
        fit::ModelFit& m = g.models[static_cast<std::size_t>(n - 1)];
        m.components = n;
        if (n == 1) m.pVsNext = p12;
        if (n == 2) m.pVsNext = p23;
        for (int i = 0; i < n; ++i) {
            fit::ComponentFit c;
            const double p = n == 3 ? positions[static_cast<std::size_t>(i)] : 320.0 + 25.0 * i;
            const double s = n == 3 ? shares[static_cast<std::size_t>(i)] : 100.0 / n;
            c.position = {p, p - 1.0, p + 1.0};
            c.share = {s, s * 0.8, s * 1.2};
            m.component.push_back(c);
        }
    }
    return g;
}

std::array<fit::Support, 3> supported() {
    std::array<fit::Support, 3> s;
    for (int n = 1; n <= 3; ++n) s[static_cast<std::size_t>(n - 1)].amplitude.assign(static_cast<std::size_t>(n), 1.0);
    return s;
}

TEST(FitVerdict, SeriesWhoseThreeBandFitSharesOutEvenlyCannotTellTwoFromThree) {
    fit::GlobalFit g = comparison(qf::Program::Quenfit, 1e-20, 0.6, {318.0, 333.0, 349.0}, {30.0, 25.0, 45.0});
    fit::decide(g, supported());
    EXPECT_EQ(g.chosen, 0) << g.reason;
    EXPECT_EQ(g.undecidedLow, 2);
    EXPECT_EQ(g.models[1].verdict, fit::Verdict::Undecided);
    EXPECT_EQ(g.models[2].verdict, fit::Verdict::Undecided);
    EXPECT_EQ(g.models[0].verdict, fit::Verdict::Rejected);
    EXPECT_NE(g.reason.find("p = 0.6"), std::string::npos) << g.reason;
    EXPECT_NE(g.reason.find("at least 10 %"), std::string::npos) << g.reason;
}

TEST(FitVerdict, SeriesWhoseThirdBandIsSmallAtTheLimitOrSplitChoosesTwo) {
    struct Case {
        const char* what;
        std::array<double, 3> positions;
        std::array<double, 3> shares;
    };
    const Case cases[] = {
        {"a share under 10 %", {318.0, 333.0, 349.0}, {30.0, 9.5, 60.5}},
        {"a band at the highest position", {318.0, 340.0, 400.0}, {30.0, 40.0, 30.0}},
        {"a band at the lowest position", {290.0, 330.0, 350.0}, {30.0, 40.0, 30.0}},
        {"two bands 2 nm apart", {318.0, 320.0, 349.0}, {30.0, 25.0, 45.0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fit::GlobalFit g = comparison(qf::Program::Quenfit, 1e-20, 0.6, c.positions, c.shares);
        fit::decide(g, supported());
        EXPECT_EQ(g.chosen, 2) << g.reason;
        EXPECT_EQ(g.models[1].verdict, fit::Verdict::Chosen);
        EXPECT_EQ(g.models[2].verdict, fit::Verdict::Rejected);
    }
}

TEST(FitVerdict, SingleSpectrumNeverRulesOutAThirdBandButStillChoosesOne) {
    // Two bands that three do not beat: one spectrum cannot exclude a third.
    fit::GlobalFit two = comparison(qf::Program::Monofit, 1e-20, 0.9, {310.0, 330.0, 400.0}, {40.0, 59.0, 1.0});
    fit::decide(two, supported());
    EXPECT_EQ(two.chosen, 0) << two.reason;
    EXPECT_EQ(two.undecidedLow, 2);
    EXPECT_NE(two.reason.find("one spectrum"), std::string::npos) << two.reason;
    // One band that two do not beat stays one band.
    fit::GlobalFit one = comparison(qf::Program::Monofit, 0.5, 0.9, {310.0, 330.0, 400.0}, {40.0, 59.0, 1.0});
    fit::decide(one, supported());
    EXPECT_EQ(one.chosen, 1) << one.reason;
    // Three bands clearly better and supported are chosen as before.
    fit::GlobalFit three = comparison(qf::Program::Monofit, 1e-20, 1e-8, {310.0, 330.0, 350.0}, {30.0, 40.0, 30.0});
    fit::decide(three, supported());
    EXPECT_EQ(three.chosen, 3) << three.reason;
}

TEST(FitVerdict, UnstableTwoThatThreeClearlyBeatRuleOutOneComponent) {
    // Two components move by 5 nm when a spectrum is left out, but three fit
    // clearly better still: a band is missing, one component is not enough.
    std::array<fit::Support, 3> unstableTwo = supported();
    unstableTwo[1].shift = {5.0, 0.2};
    unstableTwo[2].shift = {0.1, 0.2, 0.3};
    fit::GlobalFit three = comparison(qf::Program::Quenfit, 1e-20, 1e-10, {310.0, 330.0, 350.0}, {30.0, 40.0, 30.0});
    fit::decide(three, unstableTwo);
    EXPECT_EQ(three.chosen, 3) << three.reason;
    EXPECT_NE(three.reason.find("moves by 5 nm"), std::string::npos) << three.reason;
    // The three are not all supported either: two or three, never one.
    fit::GlobalFit weakThree = comparison(qf::Program::Quenfit, 1e-20, 1e-10, {310.0, 330.0, 350.0}, {30.0, 69.5, 0.5});
    fit::decide(weakThree, unstableTwo);
    EXPECT_EQ(weakThree.chosen, 0) << weakThree.reason;
    EXPECT_EQ(weakThree.undecidedLow, 2) << weakThree.reason;
    EXPECT_EQ(weakThree.models[0].verdict, fit::Verdict::Rejected);
    // Three not clearly better than the unstable two: one or two, as before.
    fit::GlobalFit unclear = comparison(qf::Program::Quenfit, 1e-20, 0.01, {310.0, 330.0, 350.0}, {30.0, 40.0, 30.0});
    fit::decide(unclear, unstableTwo);
    EXPECT_EQ(unclear.chosen, 0) << unclear.reason;
    EXPECT_EQ(unclear.undecidedLow, 1) << unclear.reason;
}

TEST(FitVerdict, SeriesWithoutAHiddenThirdWalksUpAndStopsAsTheTestsSay) {
    fit::GlobalFit one = comparison(qf::Program::Quenfit, 0.4, 0.6, {318.0, 333.0, 349.0}, {30.0, 25.0, 45.0});
    fit::decide(one, supported());
    EXPECT_EQ(one.chosen, 1) << one.reason;
    fit::GlobalFit between = comparison(qf::Program::Quenfit, 0.01, 0.6, {318.0, 333.0, 349.0}, {30.0, 25.0, 45.0});
    fit::decide(between, supported());
    EXPECT_EQ(between.chosen, 0);
    EXPECT_EQ(between.undecidedLow, 1) << between.reason;
}

}  // namespace
