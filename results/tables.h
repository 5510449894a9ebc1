#pragma once
// Tidy tables of a run's results, one CSV text each (RFC 4180: a header row,
// "," between fields, fields with "," or '"' quoted, CR LF line ends). The
// numbers are written in the reports' own number text, so each one reads
// back as the value the report printed; a value the reports do not have
// (a stage cut short, Stern-Volmer columns of monofit) is an empty field.
//
//   components.csv     one row per stage and component
//   contributions.csv  one row per stage, spectrum and component (Table 2)
//   spectra.csv        long format: one row per curve point; per stage also
//                      the kind `measured`, the measured spectra on the
//                      scale of the stage's residuals (see measuredSpectra)

#include <string>
#include <string_view>

#include "results/report_model.h"
#include "textio/csv_text.h"

namespace qf::results {

// The text as valid UTF-8 (textio's): every text field of the tables,
// pages and figures goes through it.
using text::validUtf8;

// `file` fills the first column of the component and contribution tables:
// the name the caller gives the run (its results report, its data file).
std::string componentsCsv(const RunReports& run, const std::string& file);
std::string contributionsCsv(const RunReports& run, const std::string& file);
std::string spectraCsv(const RunReports& run);

// The measured spectra of a stage on the 320-380 nm window, as fractions of
// the largest measured value in the window: the scale the graph report's
// smoothed spectra are written on and the residuals are per cent of. They
// are the smoothed spectra less the smoothing differences (exact to the
// 0.0001 the reports give); where a stage has no smoothed spectra, the
// first pass's normalized spectra scaled to their largest window value.
// Empty when the reports hold neither.
CurveSet measuredSpectra(const RunReports& run, const Stage& stage);

// The factor that puts a stage's theoretical spectra and components, as the
// graph report writes them, on the scale of measuredSpectra, so that fitted
// minus measured is the printed residual. VELA stages write them as
// fractions of the largest smoothed value, so the factor is that value;
// TARNO computes its residuals from the theoretical spectra scaled to their
// own largest window value, so the factor is one over that value. 1 when
// the reports do not give it.
double fittedScale(const Stage& stage);

// Whether a smoothing cycle of the stage moved point j of spectrum s: its
// smoothing difference is not 0.
bool movedBySmoothing(const Stage& stage, std::size_t s, std::size_t j);

}  // namespace qf::results
