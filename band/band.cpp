#include "band/band.h"

#include <cmath>

namespace qf {

namespace {
const double kLn2 = std::log(2.0);
}

BandShape bandShape(double lambdaM) {
    BandShape b{};
    b.nuMax = wavenumber(lambdaM);
    b.nuPlus = 0.8308 * b.nuMax + 7071.0;
    b.nuMinus = 1.1768 * b.nuMax - 7781.0;
    b.rho = (b.nuMax - b.nuMinus) / (b.nuPlus - b.nuMax);
    b.nuLimit = b.nuMax + (b.nuPlus - b.nuMinus) * b.rho / (b.rho * b.rho - 1.0);
    if (b.rho > 0.0) {
        b.lnRho = std::log(b.rho);
        if (b.lnRho != 0.0) b.shapeCoefficient = kLn2 / (b.lnRho * b.lnRho);
    }
    return b;
}

namespace {

// ln 2 / (ln rho)^2. For a band whose asymmetry is not usable the logarithm
// is taken anyway, so that the failure flags record the undefined operation.
double coefficientOf(const BandShape& band) {
    if (band.rho > 0.0 && band.lnRho != 0.0) return band.shapeCoefficient;
    const double lnRho = std::log(band.rho);
    return kLn2 / (lnRho * lnRho);
}

}  // namespace

bool bandDefinedAt(const BandShape& band, double lambda) {
    if (!(band.rho > 0.0) || band.lnRho == 0.0) return false;
    const double nu = wavenumber(lambda);
    const double q = (band.nuLimit - nu) / (band.nuLimit - band.nuMax);
    return q > 0.0;
}

double lognormalShape(const BandShape& band, double lambda) {
    const double nu = wavenumber(lambda);
    const double q = (band.nuLimit - nu) / (band.nuLimit - band.nuMax);
    const double lnQ = std::log(q);
    return std::exp(-coefficientOf(band) * (lnQ * lnQ));
}

double lognormalShape(double lambdaM, double lambda) {
    return lognormalShape(bandShape(lambdaM), lambda);
}

double shapeRatio(const BandShape& band, double lambda1, double lambda2) {
    const double nu1 = wavenumber(lambda1);
    const double nu2 = wavenumber(lambda2);
    const double d1 = band.nuLimit - nu1;
    const double d2 = band.nuLimit - nu2;
    const double d0 = band.nuLimit - band.nuMax;
    const double product = d1 * d2 / (d0 * d0);
    const double quotient = d1 / d2;
    return std::exp(-coefficientOf(band) * std::log(product) * std::log(quotient));
}

double shapeRatio(double lambdaM, double lambda1, double lambda2) {
    return shapeRatio(bandShape(lambdaM), lambda1, lambda2);
}

double areaFactorScaled(double lambdaM, double scale) {
    const BandShape b = bandShape(lambdaM);
    const double lnRho = std::log(b.rho);
    return scale * 2.12893 * (b.nuPlus - b.nuMinus) * lnRho * b.rho / (b.rho * b.rho - 1.0) *
           std::exp(lnRho * lnRho / 2.7726);
}

// 1.0 * 2.12893 is exact, so the plain factor shares the scaled formula.
double areaFactor(double lambdaM) { return areaFactorScaled(lambdaM, 1.0); }

double peakWavelength(double lambdaM, double lambdaStart) {
    const BandShape band = bandShape(lambdaM);
    auto g = [&band](double lambda) { return lognormalShape(band, lambda) / (lambda * lambda); };
    double lambda = lambdaStart;
    double h = 2.56;
    const double tolerance = 0.1;
    double value = g(lambda);
    for (;;) {
        const double previous = value;
        lambda += h;
        value = g(lambda);
        if (value > previous) continue;
        h = -h / 4.0;
        if (!(std::fabs(h) > tolerance / 8.0)) break;
    }
    return lambda;
}

}  // namespace qf
