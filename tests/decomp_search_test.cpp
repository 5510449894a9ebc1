#include <gtest/gtest.h>

#include "band/band.h"
#include "decomp/error_estimate.h"
#include "decomp/grid_search.h"
#include "decomp/decomp_variant.h"

namespace qf {
namespace {

// A fit problem over the 320-380 nm window at 1 nm whose spectra are sums of
// bands given on the wavenumber scale.
struct Problem {
    Matrix w;
    std::vector<double> activity;
    FitProblem fit;

    Problem(const std::vector<std::vector<std::pair<double, double>>>& spectra,
            std::vector<double> activities)
        : activity(std::move(activities)) {
        const int n = static_cast<int>(spectra.size());
        w.resize(n, 61);
        fit.nSpec = n;
        fit.nPoints = 61;
        for (int j = 0; j < 61; ++j) fit.wavelengths.push_back(320.0 + j);
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < 61; ++j) {
                double v = 0.0;
                for (auto [lambdaM, a] : spectra[static_cast<std::size_t>(i)]) v += a * lognormalShape(lambdaM, 320.0 + j);
                w(i, j) = v;
            }
        }
        fit.wavenumberSpectra = &w;
        fit.activity = activity;
    }
};

std::vector<double> steps(const std::vector<SearchPassRecord>& passes) {
    std::vector<double> s;
    for (const auto& p : passes) s.push_back(p.step);
    return s;
}

TEST(GridSearch, OneComponentStepSchedule) {
    Problem p({{{333.0, 1000.0}}}, {});
    VelaBest best;
    double threeStep = 8.1;
    std::vector<SearchPassRecord> passes;
    ASSERT_EQ(gridSearch(p.fit, quenfitVariant().plan(1), 1, best, threeStep, &passes), SearchResult::Found);
    EXPECT_EQ(steps(passes), (std::vector<double>{2.7, 0.9, 0.3, 0.09999999999999999}));
    EXPECT_EQ(passes[0].evaluated, 25);  // 305, 307.7, ... 369.8
    EXPECT_NEAR(best.bestMaxima[0], 333.0, 0.05);
}

TEST(GridSearch, TwoComponentStepScheduleRunsAFifthPass) {
    Problem p({{{330.0, 1000.0}, {352.0, 800.0}}}, {});
    VelaBest best;
    double threeStep = 8.1;
    std::vector<SearchPassRecord> passes;
    ASSERT_EQ(gridSearch(p.fit, monofitVariant().plan(2), 2, best, threeStep, &passes), SearchResult::Found);
    ASSERT_EQ(passes.size(), 5u);
    EXPECT_EQ(passes[3].step, 0.3);  // exactly the literal, so the test s < 0.3 fails
    EXPECT_NEAR(passes[4].step, 0.1, 1e-15);
    EXPECT_NEAR(best.bestMaxima[0], 330.0, 0.05);
    EXPECT_NEAR(best.bestMaxima[1], 352.0, 0.05);
    // The single-spectrum schedule divides by 5.
    std::vector<SearchPassRecord> one;
    VelaBest best1;
    gridSearch(p.fit, monofitVariant().plan(1), 1, best1, threeStep, &one);
    EXPECT_EQ(steps(one), (std::vector<double>{2.5, 0.5, 0.1}));
}

// Nothing to fit: every candidate has zero amplitudes and is rejected. The
// coarse pass is repeated at 2.7 before absence is declared.
TEST(GridSearch, ThreeComponentRetryAndAbsence) {
    Problem p({{{330.0, 0.0}}, {{330.0, 0.0}}, {{330.0, 0.0}}}, {0.0, 0.1, 0.2});
    VelaBest best;
    double threeStep = 8.1;
    std::vector<SearchPassRecord> passes;
    EXPECT_EQ(gridSearch(p.fit, quenfitVariant().plan(3), 3, best, threeStep, &passes), SearchResult::Absent);
    ASSERT_EQ(passes.size(), 2u);
    EXPECT_EQ(passes[0].step, 8.1);
    EXPECT_EQ(passes[0].evaluated, 156);
    EXPECT_EQ(passes[1].step, 2.7);
    EXPECT_EQ(passes[1].evaluated, 3467);
    EXPECT_EQ(threeStep, 2.7);
    EXPECT_EQ(best.bestMaxima[2], 0.0);
    // With the step already at 2.7 there is no second coarse pass.
    passes.clear();
    gridSearch(p.fit, quenfitVariant().plan(3), 3, best, threeStep, &passes);
    EXPECT_EQ(passes.size(), 1u);
}

TEST(Candidate, NonPositiveAmplitudeIsRejectedEvenWithTheSmallestMisfit) {
    Problem p({{{330.0, 1000.0}, {360.0, -300.0}}}, {});
    Candidate c;
    c.trialMaxima = {330.0, 360.0, 0.0};
    evaluateCandidate(p.fit, 2, c);
    EXPECT_EQ(c.criterion, 0.0);
    EXPECT_NEAR(c.amplitudes(1, 0), -300.0, 1e-6);  // all amplitudes computed before the test
    c.trialMaxima = {331.0, 360.0, 0.0};
    evaluateCandidate(p.fit, 2, c);
    EXPECT_EQ(c.criterion, 0.0);
}

TEST(Candidate, CramersRuleRecoversExactAmplitudes) {
    Problem p({{{318.0, 500.0}, {334.0, 1200.0}, {352.0, 900.0}}}, {});
    Candidate c;
    c.trialMaxima = {318.0, 334.0, 352.0};
    evaluateCandidate(p.fit, 3, c);
    EXPECT_NEAR(c.amplitudes(0, 0), 500.0, 1e-6);
    EXPECT_NEAR(c.amplitudes(1, 0), 1200.0, 1e-6);
    EXPECT_NEAR(c.amplitudes(2, 0), 900.0, 1e-6);
    EXPECT_GT(c.criterion, 0.0);
    EXPECT_LT(c.criterion, 1e-6);
}

// Amplitudes falling along F0/F = 1 + 5 [Q]: no penalty; an implausible
// intercept rejects the candidate.
TEST(Candidate, SternVolmerPenaltyAndRejection) {
    const std::vector<double> q{0.0, 0.1, 0.2, 0.3};
    std::vector<std::vector<std::pair<double, double>>> spectra;
    for (double x : q) spectra.push_back({{340.0, 1000.0 / (1.0 + 5.0 * x)}});
    Problem p(spectra, q);
    Candidate c;
    c.trialMaxima = {340.0, 0.0, 0.0};
    evaluateCandidate(p.fit, 1, c);
    EXPECT_GT(c.criterion, 0.0);
    EXPECT_EQ(c.ksv[0], 5.0);
    EXPECT_NEAR(c.svPenalty, 0.0, 1e-9);

    std::vector<std::vector<std::pair<double, double>>> rising;
    for (double x : q) rising.push_back({{340.0, 1000.0 * (1.0 + 30.0 * x)}});
    Problem r(rising, q);  // F0/F falls: Ksv far below -0.1
    evaluateCandidate(r.fit, 1, c);
    EXPECT_EQ(c.criterion, 0.0);
    EXPECT_LT(c.ksv[0], -0.1);
}

TEST(Candidate, UndefinedBandIsRejected) {
    Problem p({{{330.0, 1000.0}}}, {});
    Candidate c;
    c.trialMaxima = {230.0, 0.0, 0.0};  // asymmetry below zero
    evaluateCandidate(p.fit, 1, c);
    EXPECT_EQ(c.criterion, 0.0);
}

TEST(KeepIfBetter, TiesKeepTheEarlierCandidate) {
    VelaBest best;
    Candidate c;
    c.trialMaxima = {330.0, 0.0, 0.0};
    c.criterion = 5.0;
    EXPECT_TRUE(keepIfBetter(c, 1, 1, best));
    c.trialMaxima = {331.0, 0.0, 0.0};
    EXPECT_FALSE(keepIfBetter(c, 1, 1, best));
    EXPECT_EQ(best.bestMaxima[0], 330.0);
}

TEST(ErrorEstimate, ExactFitGivesHalfNanometre) {
    Problem p({{{333.0, 1000.0}}}, {});
    VelaBest best;
    double threeStep = 8.1;
    gridSearch(p.fit, quenfitVariant().plan(1), 1, best, threeStep);
    const double kept = best.bestMaxima[0];
    estimateErrors(p.fit, 1, best);
    EXPECT_EQ(best.maxPositionError[0], 0.5);
    EXPECT_EQ(best.bestMaxima[0], kept);
    EXPECT_EQ(best.candidate.trialMaxima[0], kept);
}

}  // namespace
}  // namespace qf
