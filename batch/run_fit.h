#pragma once
// The global fit of a run's data file beside the legacy's answer: the fit
// started from the legacy's own positions, its section and figure for the
// run's page, its two tables, and the chosen component count for the index.

#include <optional>
#include <string>
#include <vector>

#include "figures/report_texts.h"
#include "fit/global_fit.h"
#include "fitpage/fit_section.h"
#include "results/report_model.h"
#include "textio/program.h"

namespace qf::batch {

// The legacy's decomposition per component count N = 1, 2, 3: the VELA stage
// with N components whose Table 1 was read (L, DL and V of each component).
// TARNO, the first two-component guess, stands in for N = 2 only when no
// VELA stage with two components was reported.
struct LegacyAnswer {
    std::vector<fitpage::LegacyStage> stages;  // for the figure: L +/- DL
    fit::FitOptions options;                   // legacyStarts: 10^7 / V per component
};
LegacyAnswer legacyAnswerOf(const results::RunReports& run);

// The analyser that wrote the reports, as the fit names it; none when the
// reports do not tell.
std::optional<Program> programOf(const results::RunReports& run);

struct RunFit {
    // The message the analyser prints for a data file it refuses (or one
    // that cannot be opened); none when the fit ran.
    std::optional<std::string> refusal;
    // Warnings the analyser would print for the file, and that do not stop it.
    std::vector<std::string> warnings;
    // The "Global fit" section, its figure (figures/global-fit.svg) and the
    // tables fit.csv and models.csv, ready for the page.
    figures::PageAdditions additions;
    // The chosen component count, "2", or "undecided 1/2".
    std::string verdict;
};

// Fits the data file `dataPath` with the legacy's answer in `run` as starts;
// `fileLabel` fills the tables' file column. Never throws on a bad file.
RunFit fitRun(const std::string& dataPath, const results::RunReports& run, const std::string& fileLabel);

// The index's word on a run from its models.csv: "2", "undecided 1/2", or
// "" when the table names no verdict. A text that is not such a table (no
// column n_components or verdict, a row too short) is a FileFailure naming
// `path`.
std::string verdictOfModelsCsv(const std::string& text, const std::string& path);

// The headings of the two tables (their first column the data file).
std::string fitHeading();
std::string modelsHeading();

}  // namespace qf::batch
