#pragma once
// The global fit as two tidy tables (RFC 4180: a header row, "," between
// fields, fields with ",", '"' or a line end quoted, CR LF line ends):
//
//   fit.csv     one row per component count N and component
//   models.csv  one row per component count N
//
// A value that does not exist (Ksv of a single spectrum, an interval not
// computed, p for N = 3) is an empty field.

#include <string>

#include "fit/global_fit.h"

namespace qf::fit {

// `file` fills the first column: the data file as the caller names it.
std::string fitCsv(const GlobalFit& fit, const std::string& file);
std::string modelsCsv(const GlobalFit& fit, const std::string& file);

// The names of the two tables, in the order they are written.
inline constexpr const char* kFitTable = "fit.csv";
inline constexpr const char* kModelsTable = "models.csv";

}  // namespace qf::fit
