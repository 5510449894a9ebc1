#include "classify/spectral_class.h"

namespace qf {

namespace {

// Inclusive upper bound (nm) of every class but the wrong component.
constexpr std::array<double, 9> kUpperBounds{315.0, 321.0, 326.0, 330.0, 336.0, 340.0, 345.0, 347.0, 355.0};

constexpr std::array<std::string_view, kSpectralClasses.size()> kNames{
    "A", "A or S", "S", "S or I", "I", "I or II", "II", "II or III", "III", "Wrong comp."};

}  // namespace

SpectralClass classOfPeak(double peakNm) {
    for (std::size_t k = 0; k < kUpperBounds.size(); ++k) {
        if (peakNm <= kUpperBounds[k]) return kSpectralClasses[k];
    }
    return SpectralClass::WrongComponent;
}

std::string_view spectralClassName(SpectralClass c) { return kNames[static_cast<std::size_t>(c)]; }

std::optional<SpectralClass> spectralClassNamed(std::string_view name) {
    for (SpectralClass c : kSpectralClasses) {
        if (spectralClassName(c) == name) return c;
    }
    return std::nullopt;
}

}  // namespace qf
