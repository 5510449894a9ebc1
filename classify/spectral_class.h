#pragma once
// Spectral class of a tryptophan emission component from its peak
// wavelength L (nm, 0.1 nm resolution). A boundary value belongs to the
// class below it, so every component has exactly one class. The classes
// run from blue to red; a peak above the last class is a wrong component.

#include <array>
#include <optional>
#include <string_view>

namespace qf {

enum class SpectralClass { A, AorS, S, SorI, I, IorII, II, IIorIII, III, WrongComponent };

// Every class in order, from blue to red, the wrong component last:
// kSpectralClasses[static_cast<std::size_t>(c)] is c.
inline constexpr std::array<SpectralClass, 10> kSpectralClasses{
    SpectralClass::A,     SpectralClass::AorS,    SpectralClass::S,   SpectralClass::SorI,
    SpectralClass::I,     SpectralClass::IorII,   SpectralClass::II,  SpectralClass::IIorIII,
    SpectralClass::III,   SpectralClass::WrongComponent};

SpectralClass classOfPeak(double peakNm);

// The class as the summary report prints it: "A", "S or I", ..., "Wrong comp.".
std::string_view spectralClassName(SpectralClass c);
// The class printed as `name`, or nothing.
std::optional<SpectralClass> spectralClassNamed(std::string_view name);

// The name of the class of a peak.
inline std::string_view spectralClass(double peakNm) { return spectralClassName(classOfPeak(peakNm)); }

}  // namespace qf
