#include "prep/spectra.h"

#include "textio/checked.h"

namespace qf {

Matrix wavenumberSpectra(const Spectra& spectra) {
    Matrix F(spectra.nSpec, spectra.nPoints);
    for (int i = 0; i < spectra.nSpec; ++i) {
        for (int j = 0; j < spectra.nPoints; ++j) {
            const double t = fp::div(spectra.wavelength(j), spectra.lambdaMax);
            F(i, j) = fp::mul(spectra.workSpectra(i, j), t * t);
        }
    }
    return F;
}

}  // namespace qf
