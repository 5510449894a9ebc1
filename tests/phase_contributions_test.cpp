#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

#include "phase/contributions.h"
#include "phase/pairs.h"
#include "phase/position_search.h"
#include "phase_series.h"
#include "support/test_support.h"
#include "textio/failure.h"
#include "textio/fpcheck.h"

namespace qf {
namespace {

using qf::testing::bits;
using qf::testing::expectFailure;

TEST(PhaseLever, ShareAlongTheLine) {
    // Component 1 at (1, 1), component 2 at (0, 0): separation 2.
    EXPECT_EQ(leverShare(0.0, 0.0, 0.0, 0.0, 2.0), 0.0);
    EXPECT_EQ(leverShare(1.0, 1.0, 0.0, 0.0, 2.0), 1.0);
    EXPECT_DOUBLE_EQ(leverShare(2.0, 2.0, 0.0, 0.0, 2.0), 2.0);   // beyond component 1
    EXPECT_DOUBLE_EQ(leverShare(-1.0, -1.0, 0.0, 0.0, 2.0), 1.0);  // beyond component 2: no sign
    EXPECT_DOUBLE_EQ(leverShare(0.25, 0.25, 0.0, 0.0, 2.0), 0.25);
}

TEST(PhaseLever, PercentagesFromRoundedAreas) {
    const auto a = areaPercentages(123.0, 877.0, 0);
    EXPECT_EQ(a[0], 0.1 * 123.0);
    EXPECT_EQ(a[1], 100.0 - 0.1 * 123.0);
    EXPECT_DOUBLE_EQ(a[1], 87.7);
    const auto b = areaPercentages(1.0, 2.0, 0);
    EXPECT_DOUBLE_EQ(b[0], 33.3);
    EXPECT_DOUBLE_EQ(b[1], 66.7);
    expectFailure([] { areaPercentages(5.0, -5.0, 3); }, "areas of spectrum 4 add up to 0");
}

struct Fixture {
    Spectra spectra;
    QuencherSeries quencher;
    Matrix F;
    PhasePositions positions;
};

Fixture series(double step, int n) {
    Fixture f;
    f.quencher = testing::phaseQuencher(n);
    f.spectra = testing::twoBandSeries(testing::TwoBandTruth{}, f.quencher, step);
    f.F = wavenumberSpectra(f.spectra);
    f.positions = searchPositions(f.F, step, 2);
    return f;
}

TEST(PhaseLever, FastRuleIsBitIdenticalToDirect) {
    const Fixture f = series(2.0, 5);
    const ComponentBands bands(f.positions, f.spectra);
    const PairTable pairs(f.spectra.nPoints);
    const LeverTables tables(bands, pairs, f.spectra);
    for (int i = 0; i < f.spectra.nSpec; ++i) {
        const SpectrumShare a = leverRuleDirect(f.F, i, f.spectra, bands);
        const SpectrumShare b = leverRule(f.F, i, pairs, tables, bands);
        for (std::size_t c = 0; c < 2; ++c) {
            EXPECT_EQ(bits(a.amp[c]), bits(b.amp[c])) << i;
            EXPECT_EQ(a.sdAmp[c], b.sdAmp[c]);
            EXPECT_EQ(a.area[c], b.area[c]);
            EXPECT_EQ(a.percent[c], b.percent[c]);
            EXPECT_EQ(a.sd[c], b.sd[c]);
        }
    }
}

TEST(PhaseLever, CoincidingComponentsFail) {
    Fixture f = series(2.0, 4);
    f.positions.component[1] = f.positions.component[0];
    const ComponentBands bands(f.positions, f.spectra);
    const PairTable pairs(f.spectra.nPoints);
    expectFailure([&] { LeverTables(bands, pairs, f.spectra); }, "coincide");
    expectFailure([&] { leverRuleDirect(f.F, 0, f.spectra, bands); }, "coincide");
}

TEST(PhaseLever, SharesFromSums) {
    const Fixture f = series(2.0, 4);
    const ComponentBands bands(f.positions, f.spectra);
    // amp1 = 1000 with a spread of 25 gives sd1 = 2.5.
    const SpectrumShare s = shareFromSums(1000.0, 500.0, 1000.0 * 1000.0 - 625.0, 250000.0, 1, bands, 0);
    EXPECT_EQ(s.sdAmp[0], 25.0);
    EXPECT_DOUBLE_EQ(s.sd[0], 2.5);
    EXPECT_EQ(s.sd[1], 0.0);
    EXPECT_EQ(s.area[0], std::trunc(0.01 * 1000.0 * bands.areaFactor[0] + 0.5));
    EXPECT_EQ(s.percent[0] + s.percent[1], 100.0);
    // f > 1 at every point: component 2 gets a negative amplitude.
    const SpectrumShare beyond = shareFromSums(1200.0, -200.0, 1200.0 * 1200.0, 40000.0, 1, bands, 0);
    EXPECT_LT(beyond.area[1], 0.0);
    EXPECT_GT(beyond.percent[0], 100.0);
    expectFailure([&] { shareFromSums(1000.0, 0.0, 1e6, 0.0, 1, bands, 2); },
                  "component 2 has amplitude 0 in spectrum 3");
}

TEST(PhaseContributions, KnownSeriesGivesItsSternVolmerConstants) {
    const Fixture f = series(1.0, 8);
    const ComponentBands bands(f.positions, f.spectra);
    std::vector<SpectrumShare> shares;
    for (int i = 0; i < f.spectra.nSpec; ++i) shares.push_back(leverRuleDirect(f.F, i, f.spectra, bands));
    // Equal heights on the wavenumber scale: the wider red band has the larger area.
    EXPECT_GT(shares[0].percent[1], shares[0].percent[0]);
    EXPECT_EQ(shares[0].percent[0] + shares[0].percent[1], 100.0);
    const PhaseSternVolmer sv1 = componentSternVolmer(shares, 0, f.quencher.activity, 16.8);
    const PhaseSternVolmer sv2 = componentSternVolmer(shares, 1, f.quencher.activity, 16.8);
    EXPECT_NEAR(sv1.ksv, 2.0, 0.6);
    EXPECT_NEAR(sv2.ksv, 12.0, 1.5);
    EXPECT_NEAR(sv1.intercept, 1.0, 0.1);
    EXPECT_DOUBLE_EQ(sv2.relKsv, 0.1 * std::trunc(1000.0 * sv2.ksv / 16.8 + 0.5));

    const Matrix T = theoreticalSpectra(shares, bands, f.spectra);
    FitResiduals fit;
    const PhaseResiduals r = phaseResiduals(T, f.spectra, fit);
    EXPECT_LT(fit.fitRms, 1.0);
    EXPECT_LE(fit.fitRms, r.tarnoRms + 0.001);
    ASSERT_EQ(fit.residuals.rows(), f.spectra.nSpec);
    ASSERT_EQ(fit.residuals.cols(), f.spectra.nPoints);

    const auto U = componentCurves(shares, bands, f.spectra.lambdaMax);
    EXPECT_EQ(U[0].cols(), 96);
    // U is on the wavelength scale relative to lambdaMax: at lambdaMax the
    // curves of the first spectrum add up to about 1.
    const int m = static_cast<int>(f.spectra.lambdaMax) - 305;
    EXPECT_NEAR(U[0](0, m) + U[1](0, m), 1.0, 0.05);
}

TEST(PhaseContributions, SternVolmerFailsInWordsForEqualActivities) {
    std::vector<SpectrumShare> shares(3);
    for (int i = 0; i < 3; ++i) shares[static_cast<std::size_t>(i)].amp = {100.0 - i, 90.0 - 2 * i};
    const std::vector<double> activity{0.1, 0.1, 0.1};
    expectFailure([&] { componentSternVolmer(shares, 0, activity, 16.8); },
                  "Stern-Volmer line of component 1 cannot be fitted");
}

TEST(PhaseResidualsRms, PerPointMeansTruncateAndOverallRounds) {
    Spectra s;
    s.nSpec = 1;
    s.nPoints = 2;
    s.step = 60.0;
    s.workSpectra = Matrix(1, 2);
    s.workSpectra(0, 0) = 9995.0;  // residual 0.05: mean square 0.0025 counts as 0.002
    s.workSpectra(0, 1) = 10000.0;
    s.expSpectra = s.workSpectra;
    Matrix T(1, 2, 1.0);
    FitResiduals fit;
    const PhaseResiduals r = phaseResiduals(T, s, fit);
    EXPECT_DOUBLE_EQ(fit.residuals(0, 0), 0.05);
    EXPECT_DOUBLE_EQ(fit.fitRms, 0.031);   // 0.001 * Fix(1000 * Sqr(0.002 / 2))
    EXPECT_DOUBLE_EQ(r.tarnoRms, 0.035);  // 0.001 * Fix(1000 * Sqr(0.0025 / 2) + 0.5)

    Matrix zero(1, 2, 0.0);
    expectFailure([&] { phaseResiduals(zero, s, fit); }, "theoretical spectra are 0");
}

TEST(PhaseResidualsRms, DiscriminantRounds) {
    EXPECT_DOUBLE_EQ(phaseDiscriminant(0.2, 0.0345), 0.235);
    EXPECT_DOUBLE_EQ(phaseDiscriminant(0.2, 0.0344), 0.234);
}

}  // namespace
}  // namespace qf
