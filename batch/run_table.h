#pragma once
// One row per input of a batch (runs.csv), the marker each run folder keeps
// of its run, and the CSV text both use (RFC 4180: fields with a comma, a
// quote or a line end are quoted, quotes doubled; lines end with CR LF).

#include <filesystem>
#include <optional>
#include <ostream>
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

// The columns of runs.csv.
inline constexpr const char* kRunsHeader =
    "file,folder,program,status,exit_status,message,warnings,seconds";

// A field of a CSV table: valid UTF-8 (other bytes become U+FFFD), quoted
// where it must be.
std::string csvField(std::string_view text);
// Parses CSV text into rows of fields. Returns nothing and sets `error`
// ("line N: cause") on text that is not CSV (a quote inside an unquoted
// field, an unterminated quoted field).
std::optional<std::vector<std::vector<std::string>>> parseCsv(std::string_view text,
                                                              std::string& error);

void writeRunsCsv(std::ostream& out, const std::vector<RunRecord>& records);
// Reads runs.csv back; sets `error` on anything it cannot place.
std::optional<std::vector<RunRecord>> readRunsCsv(std::string_view text, std::string& error);

// The marker of a run folder: the version of the programs that ran and the
// record of the run. Written when a run has ended, whatever its status.
inline constexpr const char* kMarkerName = "trpfit-run.txt";
void writeMarker(const std::filesystem::path& folder, const RunRecord& record,
                 const std::string& version);
struct Marker {
    std::string version;
    RunRecord record;
};
std::optional<Marker> readMarker(const std::filesystem::path& folder);

// Standard error of a run split into its message line and its warnings:
// lines "PROGRAM: warning: text" are warnings, the last other line is the
// message; the program's name in front is dropped, and `passedName` (the
// data file name the program was given) is shown as `shownName`.
void splitErrorText(const std::string& errText, const std::string& program,
                    const std::string& passedName, const std::string& shownName,
                    std::string& message, std::string& warnings);

// Writes `text` to `path` through a temporary file renamed into place, so a
// reader never sees half a table. Returns false and sets `error` on failure.
bool writeFileAtomically(const std::filesystem::path& path, const std::string& text,
                         std::string& error);

}  // namespace qf::batch
