#pragma once
// The one-parameter log-normal band. A spectral component is fixed by the
// wavelength of its maximum, lambdaM (nm); width and asymmetry follow from it
// through two fixed linear relations of the half-maximum wavenumbers.

#include "textio/checked.h"

namespace qf {

// Wavenumber (1/cm) of a wavelength (nm): 10^7 nm make a centimetre.
inline constexpr double kNanometresPerCentimetre = 10000000.0;
inline double wavenumber(double lambdaNm) { return fp::div(kNanometresPerCentimetre, lambdaNm); }

struct BandShape {
    double nuMax;    // 1/cm
    double nuPlus;   // high-wavenumber half-maximum point
    double nuMinus;  // low-wavenumber half-maximum point
    double rho;      // asymmetry
    double nuLimit;  // wavenumber at which the band vanishes
    double lnRho;
    double shapeCoefficient;  // ln 2 / (ln rho)^2
};

// Derived band parameters of a component with its maximum at lambdaM (nm).
BandShape bandShape(double lambdaM);

// True when the band can be evaluated at wavelength lambda (nm): the
// asymmetry is positive and lambda lies below the band's limiting
// wavenumber, so that no logarithm of a non-positive number is taken.
bool bandDefinedAt(const BandShape& band, double lambda);

// Band value, 1 at the maximum. Undefined (see bandDefinedAt) values are a
// run failure through the record of arithmetic failures.
double lognormalShape(const BandShape& band, double lambda);
double lognormalShape(double lambdaM, double lambda);

// lognormalShape(lambdaM, lambda1) / lognormalShape(lambdaM, lambda2) in one
// expression.
double shapeRatio(const BandShape& band, double lambda1, double lambda2);
double shapeRatio(double lambdaM, double lambda1, double lambda2);

// Area under a band of unit height on the wavenumber scale (1/cm).
// `scale` is the leading factor of the single-spectrum analyser (0.01), which
// multiplies first; the quenching series uses the plain factor.
double areaFactor(double lambdaM);
double areaFactorScaled(double lambdaM, double scale);

// Wavelength (nm) where the band on the wavelength-intensity scale is
// largest, by a step search that starts at lambdaStart.
double peakWavelength(double lambdaM, double lambdaStart);

}  // namespace qf
