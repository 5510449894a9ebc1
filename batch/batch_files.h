#pragma once
// The files a batch writes over all its runs: runs.csv, the combined result
// tables (components.csv, contributions.csv, and fit.csv, models.csv of the
// global fit) and index.html.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "batch/result_tables.h"
#include "batch/run_table.h"
#include "textio/failure.h"

namespace qf::batch {

// Where the tables and the index of a batch come from.
struct BatchView {
    std::vector<RunRecord> records;      // in input order
    std::vector<std::string> runFolder;  // run folder of each record, relative to the output
};

struct TableFiles {
    TableFiles();
    CombinedTable components;
    CombinedTable contributions;
    CombinedTable fit;
    CombinedTable models;
    // Write fit.csv and models.csv also when no run has them (the fit was on).
    bool fitTables = false;
};

// Told of a file the batch could not read or write and went on without.
using FileFailureNote = std::function<void(const FileFailure&)>;

// The per-run tables of the successful runs, read from their folders; a
// table that cannot be read is noted and left out.
void gatherRunTables(const std::filesystem::path& outDir, const BatchView& view, TableFiles& tables,
                     const FileFailureNote& note);

// The combined tables of another batch's output folder (a shard). The
// global fit's tables are taken when the folder has them. Throws
// FileFailure when a table is missing or not that table.
void addCombinedTables(const std::filesystem::path& dir, TableFiles& tables);

// Writes runs.csv, the combined tables and index.html into `outDir`; the
// index shows each run's chosen component count from its models.csv. The
// global fit's tables are left out when no run has them and the fit was off,
// and such tables of an earlier batch removed. A file that cannot be read
// or written is noted; returns false when one of the files was not written.
bool writeBatchFiles(const std::filesystem::path& outDir, const BatchView& view, const TableFiles& tables,
                     const FileFailureNote& note);

}  // namespace qf::batch
