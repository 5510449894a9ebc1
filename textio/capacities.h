#pragma once
// The capacities of the analysis. The data file is checked against them when
// it is read; the stages size their tables by them.

namespace qf {

inline constexpr int kMaxSeriesSpectra = 30;    // spectra of a quenching series
inline constexpr int kMaxSeriesPoints = 100;    // grid (and so window) points of a series
inline constexpr int kMaxSpectrumPoints = 150;  // grid points of a single spectrum

}  // namespace qf
