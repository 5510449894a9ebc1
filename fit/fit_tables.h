#pragma once
// The global fit as two tidy tables (RFC 4180: a header row, "," between
// fields, fields with ",", '"' or a line end quoted, CR LF line ends):
//
//   fit.csv     one row per component count N and component
//   models.csv  one row per component count N
//
// A value that does not exist (Ksv of a single spectrum, an interval not
// computed, p for N = 3) is an empty field. The tables are written through
// textio's CsvWriter; outputs/output_names.h names their files.

#include <string>

#include "fit/global_fit.h"

namespace qf::fit {

// `file` fills the first column: the data file as the caller names it.
std::string fitCsv(const GlobalFit& fit, const std::string& file);
std::string modelsCsv(const GlobalFit& fit, const std::string& file);

}  // namespace qf::fit
