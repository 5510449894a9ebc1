#pragma once
// `trpfit run`: many data files analysed by quenfit or monofit, N at a time,
// each in its own process and run folder, then one table of all runs, the
// concatenated result tables and an index page; and the merge of several
// such output folders (the shards of one batch) into one.

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "batch/inputs.h"

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
    bool progress = false;  // the updating progress line on `err`
    int shardIndex = 0;     // K of --shard K/N, from 1; 0: every input
    int shardCount = 0;     // N of --shard K/N
    std::string programDir; // folder of quenfit and monofit
    std::string version;    // version of the programs, kept in each run folder
    // The global fit of every successful run's data file beside the
    // program's analysis (fit.csv, models.csv and a section of its page).
    bool globalFit = true;
};

// Runs the batch; writes failures of single runs and the final line to `err`
// and `out`. Returns 0 when every input ran, 1 otherwise.
int runBatch(const BatchOptions& options, std::ostream& out, std::ostream& err);

struct MergeOptions {
    std::vector<std::string> dirs;  // output folders of the shards
    std::string outDir = "trpfit-out";
    bool force = false;
};

// One runs table, result tables and index over several output folders.
// Returns 0 when every input of every shard ran, 1 otherwise.
int mergeBatches(const MergeOptions& options, std::ostream& out, std::ostream& err);

}  // namespace qf::batch
