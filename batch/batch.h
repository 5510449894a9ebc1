#pragma once
// `trpfit run`: many data files analysed by quenfit or monofit, N at a time,
// each in its own process and run folder, then one table of all runs, the
// concatenated result tables and an index page; and the merge of several
// such output folders (the shards of one batch) into one.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "batch/batch_files.h"
#include "batch/inputs.h"
#include "batch/run_table.h"

namespace qf::batch {

struct BatchOptions {
    std::vector<std::string> inputs;  // data files and folders
    int jobs = 0;                     // analyses at a time; 0: one per CPU of this process
    std::string outDir = "trpfit-out";
    bool recursive = false;
    bool resume = false;  // keep complete runs of the same version
    bool force = false;   // run again into an output folder that holds runs
    std::optional<Program> program;  // instead of telling it from each file
    double timeoutSeconds = 600.0;
    int shardIndex = 0;     // K of --shard K/N, from 1; 0: every input
    int shardCount = 0;     // N of --shard K/N
    std::string programDir; // folder of quenfit and monofit
    std::string version;    // version of the programs, kept in each run folder
    // The global fit of every successful run's data file beside the
    // program's analysis (fit.csv, models.csv and a section of its page).
    bool globalFit = true;
};

// What a batch tells its caller while it runs; any member may be empty.
struct BatchEvents {
    // An input that did not run well (failed, crashed, timed out, suspect,
    // or refused before it ran), as soon as that is known.
    std::function<void(const RunRecord&)> runFailed;
    // A file of the batch that could not be read or written; the batch goes on.
    FileFailureNote fileFailed;
    // Of `total` runs to make, `finished` have ended, `failed` of them not
    // well. `changed` when a run has just ended; otherwise a tick of the
    // clock (a few times a second) for a display of the time.
    std::function<void(std::size_t finished, std::size_t failed, std::size_t total, bool changed)> progress;
};

// Why a batch or a merge refused to start: nothing was run or written.
enum class BatchRefusal {
    None,
    EarlierRuns,       // the output folder (subject) holds runs of an earlier batch
    RunsTableExists,   // merge: the output folder (subject) holds a runs table
    InSeveralBatches,  // merge: the input file (subject) is in more than one batch
};

struct BatchOutcome {
    BatchRefusal refusal = BatchRefusal::None;
    std::string refusalSubject;
    std::vector<RunRecord> records;  // every run of the tables, in their order
    std::size_t runNow = 0;          // runs made by this batch
    std::size_t batches = 0;         // merge: the batches merged
    bool interrupted = false;        // stopped by SIGINT or SIGTERM
    bool filesWritten = true;        // the tables and the index were written
    std::string index;               // the path of index.html
    // Every input ran well and every file was written.
    bool complete() const;
};

// Runs the batch. Throws FileFailure when it cannot start (the output
// folder cannot be made, a program is missing); a refusal is said in the
// outcome.
BatchOutcome runBatch(const BatchOptions& options, const BatchEvents& events = {});

struct MergeOptions {
    std::vector<std::string> dirs;  // output folders of the shards
    std::string outDir = "trpfit-out";
    bool force = false;
};

// One runs table, result tables and index over several output folders.
// Throws FileFailure when a folder's tables cannot be read.
BatchOutcome mergeBatches(const MergeOptions& options, const FileFailureNote& fileFailed = {});

}  // namespace qf::batch
