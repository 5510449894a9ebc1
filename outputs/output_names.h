#pragma once
// The names of the files trpfit writes into an output folder (one run's, or
// a batch's), stated once. `trpfit report`, `trpfit fit` and `trpfit run`
// write them through OutputSet (outputs/output_set.h).

namespace qf::outputs {

// The report page of a run and the folder of its SVG figures.
inline constexpr const char* kReportPage = "report.html";
inline constexpr const char* kFiguresFolder = "figures";

// The tidy tables of a run (results/tables.h) and of the global fit
// (fit/fit_tables.h); a batch writes the same names over all its runs.
inline constexpr const char* kComponentsTable = "components.csv";
inline constexpr const char* kContributionsTable = "contributions.csv";
inline constexpr const char* kSpectraTable = "spectra.csv";
inline constexpr const char* kFitTable = "fit.csv";
inline constexpr const char* kModelsTable = "models.csv";

// A batch's own files: one row per input, the index page over all runs,
// and the marker each run folder keeps of its run.
inline constexpr const char* kRunsTable = "runs.csv";
inline constexpr const char* kIndexPage = "index.html";
inline constexpr const char* kRunMarker = "trpfit-run.txt";

}  // namespace qf::outputs
