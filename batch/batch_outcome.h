#pragma once
// How a batch sums up: the status of a run that finished with a warning,
// the runs an output folder holds from earlier batches, and the counts of
// a table of runs in words.

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "batch/run_table.h"

namespace qf::batch {

// "killed by signal 11 (SIGSEGV)".
std::string signalText(int sig);

// A run whose program exited 0 is ok, unless it warned of numbers after the
// measured standard: then it is suspect, with a message that says why.
// Other warnings (an absent phase-plane stage) leave it ok.
void classifyFinishedRun(RunRecord& record);

// The runs of an output folder's run folders other than `taken` (the run
// folders of this batch's inputs), as their markers record them, each with
// its folder name; sorted by folder name. Folders without a marker are not
// runs of trpfit and are left out.
struct EarlierRun {
    RunRecord record;
    std::string folder;
};
std::vector<EarlierRun> earlierRuns(const std::filesystem::path& outDir, const std::set<std::string>& taken);

// "12 data files: 9 analysed, 1 suspect, 2 failed" (and how many did not
// finish, when some did not).
std::string statusWords(const std::vector<RunRecord>& records);

// Counts of a table of runs.
struct StatusCounts {
    std::size_t ok = 0, suspect = 0, failed = 0, interrupted = 0;
};
StatusCounts countStatuses(const std::vector<RunRecord>& records);

}  // namespace qf::batch
