// The pieces under the global fit: the F distribution's tail, the noise
// model read back from data simulated under it, and the whitening that
// turns its errors into unit independent ones.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "fit/model.h"
#include "fit/noise.h"
#include "fit/stats.h"

namespace {

namespace fit = qf::fit;

TEST(FitStats, FTailMatchesTabledQuantiles) {
    // 95 % points of F: F(1, 10) = 4.9646, F(3, 1800) = 2.6091, F(2, 57) = 3.1588.
    EXPECT_NEAR(fit::fUpperTail(4.9646, 1, 10), 0.05, 1e-4);
    EXPECT_NEAR(fit::fUpperTail(2.6091, 3, 1800), 0.05, 2e-4);
    EXPECT_NEAR(fit::fUpperTail(3.1588, 2, 57), 0.05, 2e-4);
    EXPECT_DOUBLE_EQ(fit::fUpperTail(0.0, 3, 100), 1.0);
    EXPECT_LT(fit::fUpperTail(200.0, 3, 100), 1e-20);
    EXPECT_NEAR(fit::incompleteBeta(2.0, 3.0, 0.4), 0.5248, 1e-4);
}

fit::Observations grid(int nSpec) {
    fit::Observations obs;
    obs.nSpec = nSpec;
    obs.nPoints = 61;
    for (int j = 0; j < 61; ++j) {
        obs.lambda.push_back(320.0 + j);
        obs.countingShape.push_back(0.7 + 0.6 * j / 60.0);
    }
    for (int k = 0; k < nSpec; ++k) obs.activity.push_back(0.02 * k);
    obs.y.assign(static_cast<std::size_t>(obs.size()), 0.0);
    return obs;
}

std::vector<double> smoothMu(const fit::Observations& obs) {
    std::vector<double> mu;
    for (int k = 0; k < obs.nSpec; ++k) {
        for (int j = 0; j < obs.nPoints; ++j) {
            const double x = (j - 25.0) / 18.0;
            mu.push_back(9000.0 / (1.0 + 0.3 * k) * std::exp(-x * x) + 300.0);
        }
    }
    return mu;
}

TEST(FitNoise, SharedAndIndependentPartsAreReadBackFromTheirResiduals) {
    fit::Observations obs = grid(30);
    const std::vector<double> mu = smoothMu(obs);
    fit::NoiseModel truth;
    truth.sharedRelative = 0.006;
    truth.relative = 0.01;
    std::mt19937_64 rng(7);
    obs.y = fit::simulate(obs, truth, mu, rng);
    const fit::NoiseModel got = fit::estimateNoise(obs, mu, 0);
    EXPECT_NEAR(std::sqrt(fit::sharedVariance(got, obs, 30)), 0.006, 0.0015);
    EXPECT_NEAR(got.relative, 0.01, 0.0015);

    fit::NoiseModel counting;
    counting.poisson = 2.0;
    obs.y = fit::simulate(obs, counting, mu, rng);
    const fit::NoiseModel got2 = fit::estimateNoise(obs, mu, 0);
    // No shared part beyond what the counting noise hides (1.5 % at the peak).
    EXPECT_LT(std::sqrt(fit::sharedVariance(got2, obs, 30)), 0.004);
    // Counting noise alone: the independent variance at the peak is read back.
    const double v = fit::independentVariance(got2, 9000.0, 1.0);
    EXPECT_NEAR(v / (2.0 * 9000.0), 1.0, 0.15);

    // Noise of one size at every intensity (shaped by the correction): the
    // weak points, where it dominates, get their variance back.
    fit::NoiseModel flat;
    flat.additive = 900.0;
    obs.y = fit::simulate(obs, flat, mu, rng);
    const fit::NoiseModel got3 = fit::estimateNoise(obs, mu, 0);
    EXPECT_NEAR(fit::independentVariance(got3, 300.0, 1.3) / (900.0 * 1.3 * 1.3), 1.0, 0.15);
    EXPECT_NEAR(fit::independentVariance(got3, 9000.0, 0.7) / (900.0 * 0.7 * 0.7), 1.0, 0.3);
}

TEST(FitNoise, SingleSpectrumCarriesTheStandardsErrorWhereTheStandardIsWeak) {
    // One spectrum on a fine grid whose standard is five times weaker at the
    // blue end: the standard's error (1 % of the intensity times u) then
    // dominates there, and counting noise elsewhere.
    fit::Observations obs;
    obs.nSpec = 1;
    obs.nPoints = 601;
    std::vector<double> mu;
    for (int j = 0; j < obs.nPoints; ++j) {
        obs.lambda.push_back(320.0 + 0.1 * j);
        obs.countingShape.push_back(1.0);
        obs.standardShape.push_back(0.4 + 1.6 * (600.0 - j) / 600.0);
        const double x = (j - 300.0) / 180.0;
        mu.push_back(9000.0 * std::exp(-x * x) + 300.0);
    }
    fit::NoiseModel truth;
    truth.sharedAdditive = 1e-4;
    truth.poisson = 1.0;
    std::mt19937_64 rng(11);
    obs.y = fit::simulate(obs, truth, mu, rng);
    const fit::NoiseModel got = fit::estimateNoise(obs, mu, 0);
    EXPECT_EQ(got.sharedRelative, 0.0);
    auto total = [&obs, &mu](const fit::NoiseModel& n, int j) {
        const double m = mu[static_cast<std::size_t>(j)];
        return fit::independentVariance(n, m, 1.0) + m * m * fit::sharedVariance(n, obs, j);
    };
    // Read back at the same intensity on the blue side, where the standard
    // is weak, and on the red side, where it is strong.
    EXPECT_NEAR(total(got, 120) / total(truth, 120), 1.0, 0.25);
    EXPECT_NEAR(total(got, 480) / total(truth, 480), 1.0, 0.25);
}

TEST(FitNoise, WhiteningMakesTheModelsErrorsUnitAndIndependent) {
    fit::Observations obs = grid(8);
    const std::vector<double> mu = smoothMu(obs);
    fit::NoiseModel noise;
    noise.sharedRelative = 0.01;
    noise.relative = 0.005;
    noise.poisson = 0.5;
    const fit::Whitening w = fit::noiseWhitening(obs, noise, mu);
    const fit::Problem problem(obs, w, 1);
    // Whitened errors of many draws: unit variance and no correlation
    // between two spectra at one wavelength.
    std::mt19937_64 rng(3);
    double s00 = 0.0, s01 = 0.0;
    const int draws = 4000;
    const int j = 25;
    for (int d = 0; d < draws; ++d) {
        std::vector<double> e = fit::simulate(obs, noise, mu, rng);
        for (std::size_t i = 0; i < e.size(); ++i) e[i] -= mu[i];
        const std::vector<double> z = problem.whitened(e);
        const double a = z[static_cast<std::size_t>(j)];
        const double b = z[static_cast<std::size_t>(obs.nPoints + j)];
        s00 += a * a;
        s01 += a * b;
    }
    EXPECT_NEAR(s00 / draws, 1.0, 0.08);
    EXPECT_NEAR(s01 / draws, 0.0, 0.08);
}

}  // namespace
