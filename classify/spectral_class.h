#pragma once
// Spectral class of a tryptophan emission component from its peak
// wavelength L (nm, 0.1 nm resolution). A boundary value belongs to the
// class below it, so every component has exactly one class.

#include <string_view>

namespace qf {

std::string_view spectralClass(double peakNm);

}  // namespace qf
