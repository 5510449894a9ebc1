#pragma once
// What a run folder holds: the three reports under the program's default
// names, the marker of the run, and the page and tables made from the
// reports. Whether a folder holds a complete run of a data file.

#include <array>
#include <filesystem>
#include <optional>
#include <string>

#include "batch/inputs.h"
#include "outputs/output_names.h"

namespace qf::batch {

// Result, graph and summary report, the names the program uses by default.
std::array<std::string, 3> reportNames(Program a);

// Files a run writes besides the reports; removed before the folder is run
// again, so that nothing of an earlier run is mistaken for this one's.
inline constexpr std::array<const char*, 7> kDerivedFiles = {
    outputs::kComponentsTable, outputs::kContributionsTable, outputs::kSpectraTable, outputs::kFitTable,
    outputs::kModelsTable,     outputs::kReportPage,         outputs::kRunMarker};

// A complete run of the data file `dataPath`: the marker names that file
// and says the run ended (ok or suspect) under `version` with the same program, and the
// three reports are there and newer than the data file. (A folder name can
// pass to another input when files are added to a batch.) With
// `needGlobalFit` an ok run must also have had the global fit tried: a run
// of a batch with --no-fit is run again when the fit is asked for.
bool holdsCompleteRun(const std::filesystem::path& folder, Program a,
                      const std::string& dataPath, const std::string& version,
                      bool needGlobalFit = false);

// Reads the reports of a finished run back and writes beside them its page
// (report.html, figures/) and its tables (components.csv, contributions.csv,
// spectra.csv; `input` fills their file column). With `globalFit` the
// global fit of the data file `input` joins them: its section on the page,
// figures/global-fit.svg, fit.csv and models.csv; when the fit cannot run,
// the page is written without it and `fitRefusal` says why. Every file is
// written atomically. Throws FileFailure when the reports cannot be read or
// a file cannot be written.
struct RunPage {
    std::optional<std::string> fitRefusal;
};
RunPage writeRunPage(const std::filesystem::path& folder, Program a, const std::string& input,
                     bool globalFit = false);

// The headings of the component and contribution tables.
std::string componentsHeading();
std::string contributionsHeading();

// Removes what an earlier run left in the folder (reports, derived files,
// figures). Only the names above are touched.
void clearRunFolder(const std::filesystem::path& folder);

}  // namespace qf::batch
