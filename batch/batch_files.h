#pragma once
// The files a batch writes over all its runs: runs.csv, the combined result
// tables (components.csv, contributions.csv, and fit.csv, models.csv of the
// global fit) and index.html.

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "batch/result_tables.h"
#include "batch/run_table.h"

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

// The per-run tables of the successful runs, read from their folders.
void gatherRunTables(const std::filesystem::path& outDir, const BatchView& view, TableFiles& tables,
                     std::ostream& err);

// The combined tables of another batch's output folder (a shard). The
// global fit's tables are taken when the folder has them. Returns false and
// sets `error` when a table is missing or not that table.
bool addCombinedTables(const std::filesystem::path& dir, TableFiles& tables, std::string& error);

// Writes runs.csv, the combined tables and index.html into `outDir`; the
// index shows each run's chosen component count from its models.csv. The
// global fit's tables are left out when no run has them and the fit was off,
// and such tables of an earlier batch removed. Returns false and names the
// file on `err` when one cannot be written.
bool writeBatchFiles(const std::filesystem::path& outDir, const BatchView& view, const TableFiles& tables,
                     std::ostream& err);

}  // namespace qf::batch
