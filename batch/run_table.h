#pragma once
// One row per input of a batch (runs.csv, written and read through
// textio's CSV table) and the marker each run folder keeps of its run.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qf::batch {

// Suspect: the program finished, but its warning of numbers after the
// measured standard says the file was not read as meant (a wrong grid or
// spectrum count, decimal commas); the run keeps its page and stays out of
// the merged tables.
enum class RunStatus { Ok, Failed, Crashed, Timeout, Interrupted, Suspect };
const char* statusName(RunStatus s);
std::optional<RunStatus> statusFromName(std::string_view name);

struct RunRecord {
    std::string file;     // the input as named
    std::string folder;   // its run folder, relative to the output folder
    std::string program;  // "quenfit", "monofit", or empty when none could run it
    RunStatus status = RunStatus::Failed;
    std::string exitStatus;  // the program's exit status; empty when it did not exit
    std::string message;     // the cause of a failure, one line
    std::string warnings;    // the program's warnings, joined by "; "
    double seconds = 0.0;
};

// runs.csv as text, and read back. A table that is not a runs table (another
// heading, a row of other width, an unknown status, seconds that are not a
// number) is a FileFailure naming `path` and the line.
std::string runsCsv(const std::vector<RunRecord>& records);
std::vector<RunRecord> readRunsCsv(std::string_view text, const std::string& path);

// The marker of a run folder: the version of the programs that ran, the
// record of the run and whether the global fit was tried on it (its tables
// written, or its refusal among the warnings). Written when a run has ended,
// whatever its status. Throws FileFailure when it cannot be written.
void writeMarker(const std::filesystem::path& folder, const RunRecord& record,
                 const std::string& version, bool globalFit = false);
struct Marker {
    std::string version;
    RunRecord record;
    bool globalFit = false;  // a marker written before the key existed: no
};
std::optional<Marker> readMarker(const std::filesystem::path& folder);

// Standard error of a run split into its message line and its warnings:
// lines "PROGRAM: warning: text" are warnings, the last other line is the
// message; the program's name in front is dropped, and `passedName` (the
// data file name the program was given) is shown as `shownName`.
void splitErrorText(const std::string& errText, const std::string& program,
                    const std::string& passedName, const std::string& shownName,
                    std::string& message, std::string& warnings);

}  // namespace qf::batch
