#include "band/band.h"

#include <cmath>

#include "textio/checked.h"

namespace qf {

using fp::Real;

namespace {
const double kLn2 = std::log(2.0);
}

BandShape bandShape(double lambdaM) {
    BandShape b{};
    const Real nuMax = wavenumber(lambdaM);
    const Real nuPlus = 0.8308 * nuMax + 7071.0;
    const Real nuMinus = 1.1768 * nuMax - 7781.0;
    const Real rho = (nuMax - nuMinus) / (nuPlus - nuMax);
    b.nuMax = nuMax.value();
    b.nuPlus = nuPlus.value();
    b.nuMinus = nuMinus.value();
    b.rho = rho.value();
    b.nuLimit = (nuMax + (nuPlus - nuMinus) * rho / (rho * rho - 1.0)).value();
    if (b.rho > 0.0) {
        const Real lnRho = log(rho);
        b.lnRho = lnRho.value();
        if (b.lnRho != 0.0) b.shapeCoefficient = (kLn2 / (lnRho * lnRho)).value();
    }
    return b;
}

namespace {

// ln 2 / (ln rho)^2. For a band whose asymmetry is not usable the logarithm
// is taken anyway, so that the undefined operation is recorded as a failure.
double coefficientOf(const BandShape& band) {
    if (band.rho > 0.0 && band.lnRho != 0.0) return band.shapeCoefficient;
    const Real lnRho = fp::log(band.rho);
    return (kLn2 / (lnRho * lnRho)).value();
}

}  // namespace

// The band's value and its defining quotient are computed in plain doubles
// (they run for every point of every candidate of the component fits); when
// any step gives a number that is not finite, the same operations run again
// checked, to record the event. A sum of the steps is not finite when any
// step is not.

bool bandDefinedAt(const BandShape& band, double lambda) {
    if (!(band.rho > 0.0) || band.lnRho == 0.0) return false;
    const double nu = kNanometresPerCentimetre / lambda;
    const double q = (band.nuLimit - nu) / (band.nuLimit - band.nuMax);
    if (!std::isfinite(nu + q)) [[unlikely]] {
        const Real checkedNu = wavenumber(lambda);
        (void)((band.nuLimit - checkedNu) / (band.nuLimit - band.nuMax));
    }
    return q > 0.0;
}

double lognormalShape(const BandShape& band, double lambda) {
    if (band.rho > 0.0 && band.lnRho != 0.0) {
        const double nu = kNanometresPerCentimetre / lambda;
        const double q = (band.nuLimit - nu) / (band.nuLimit - band.nuMax);
        const double lnQ = std::log(q);
        const double exponent = -band.shapeCoefficient * (lnQ * lnQ);
        const double value = std::exp(exponent);
        if (std::isfinite(nu + q + lnQ + exponent + value)) [[likely]] return value;
    }
    const Real nu = wavenumber(lambda);
    const Real q = (band.nuLimit - nu) / (band.nuLimit - band.nuMax);
    const Real lnQ = log(q);
    return exp(-Real(coefficientOf(band)) * (lnQ * lnQ)).value();
}

double lognormalShape(double lambdaM, double lambda) {
    return lognormalShape(bandShape(lambdaM), lambda);
}

double shapeRatio(const BandShape& band, double lambda1, double lambda2) {
    const Real nu1 = wavenumber(lambda1);
    const Real nu2 = wavenumber(lambda2);
    const Real d1 = band.nuLimit - nu1;
    const Real d2 = band.nuLimit - nu2;
    const Real d0 = band.nuLimit - band.nuMax;
    const Real product = d1 * d2 / (d0 * d0);
    const Real quotient = d1 / d2;
    return exp(-Real(coefficientOf(band)) * log(product) * log(quotient)).value();
}

double shapeRatio(double lambdaM, double lambda1, double lambda2) {
    return shapeRatio(bandShape(lambdaM), lambda1, lambda2);
}

double areaFactorScaled(double lambdaM, double scale) {
    const BandShape b = bandShape(lambdaM);
    const Real rho = b.rho;
    const Real lnRho = log(rho);
    return (Real(scale) * 2.12893 * (Real(b.nuPlus) - b.nuMinus) * lnRho * rho / (rho * rho - 1.0) *
            exp(lnRho * lnRho / 2.7726))
        .value();
}

// 1.0 * 2.12893 is exact, so the plain factor shares the scaled formula.
double areaFactor(double lambdaM) { return areaFactorScaled(lambdaM, 1.0); }

double peakWavelength(double lambdaM, double lambdaStart) {
    const BandShape band = bandShape(lambdaM);
    auto g = [&band](double lambda) {
        return (Real(lognormalShape(band, lambda)) / (Real(lambda) * lambda)).value();
    };
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
