#pragma once
// Tidy tables of a run's results, one CSV text each (RFC 4180: a header row,
// "," between fields, fields with "," or '"' quoted, CR LF line ends). The
// numbers are written in the reports' own number text, so each one reads
// back as the value the report printed; a value the reports do not have
// (a stage cut short, Stern-Volmer columns of monofit) is an empty field.
//
//   components.csv     one row per stage and component
//   contributions.csv  one row per stage, spectrum and component (Table 2)
//   spectra.csv        long format: one row per curve point

#include <string>

#include "results/report_model.h"

namespace qf::results {

// `file` fills the first column of the component and contribution tables:
// the name the caller gives the run (its results report, its data file).
std::string componentsCsv(const RunReports& run, const std::string& file);
std::string contributionsCsv(const RunReports& run, const std::string& file);
std::string spectraCsv(const RunReports& run);

}  // namespace qf::results
