#include <gtest/gtest.h>

#include <cmath>

#include "band/band.h"

namespace qf {
namespace {

TEST(Band, ParametersAt345nm) {
    const BandShape b = bandShape(345.0);
    EXPECT_NEAR(b.nuMax, 28985.507, 0.001);
    EXPECT_NEAR(b.nuPlus, 31152.159, 0.001);
    EXPECT_NEAR(b.nuMinus, 26329.145, 0.001);
    EXPECT_NEAR(b.rho, 1.226021, 0.000001);
    EXPECT_NEAR(b.nuLimit, 40738.2, 0.1);
    EXPECT_EQ(lognormalShape(345.0, 345.0), 1.0);
    // Half maximum at both half-maximum wavenumbers.
    EXPECT_NEAR(lognormalShape(b, 10000000.0 / b.nuPlus), 0.5, 1e-12);
    EXPECT_NEAR(lognormalShape(b, 10000000.0 / b.nuMinus), 0.5, 1e-12);
}

TEST(Band, AreaFactorMatchesTheIntegralOfTheBand) {
    const double a = areaFactor(345.0);
    EXPECT_NEAR(a, 5175.50, 0.01);
    const BandShape b = bandShape(345.0);
    double integral = 0.0;
    for (double nu = 15000.0; nu + 0.5 < b.nuLimit; nu += 0.5) integral += 0.5 * lognormalShape(b, 10000000.0 / (nu + 0.25));
    EXPECT_NEAR(integral / a, 1.0, 1e-4);
    EXPECT_NEAR(areaFactorScaled(345.0, 0.01), 0.01 * a, 1e-9);
}

TEST(Band, PeakOnTheWavelengthScale) {
    EXPECT_NEAR(peakWavelength(345.0, 340.0), 341.76, 1e-9);
    // The 1/lambda^2 factor moves the maximum to shorter wavelengths.
    EXPECT_LT(peakWavelength(331.0, 326.0), 331.0);
}

TEST(Band, RatioEqualsQuotientOfValues) {
    EXPECT_NEAR(shapeRatio(335.0, 330.0, 350.0), lognormalShape(335.0, 330.0) / lognormalShape(335.0, 350.0),
                1e-12);
}

}  // namespace
}  // namespace qf
