#pragma once
// The result tables of a batch: the components.csv and contributions.csv of
// every successful run, one after the other. Their first column is the
// input file.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "batch/run_table.h"

namespace qf::batch {

class CombinedTable {
public:
    // `header`: the heading of the table, its first field the input file.
    explicit CombinedTable(std::string header) : header_(std::move(header)) {}

    // The rows of one run's table, their first field set to `input` (the
    // name of the input in this batch); false and `error` when the file is
    // not that table.
    bool addRun(const std::string& input, const std::filesystem::path& runTable,
                std::string& error);
    // The same from the table's text.
    bool addRunText(const std::string& input, const std::string& text, std::string& error);
    // The rows of a combined table written by another batch (a shard).
    bool addCombined(const std::filesystem::path& combined, std::string& error);

    // Whether any run's rows were added.
    bool hasRows() const { return !rows_.empty(); }

    // The table over the successful runs among `records`, in their order.
    std::string text(const std::vector<RunRecord>& records) const;
    // The same as rows of fields, the heading first.
    std::vector<std::vector<std::string>> rows(const std::vector<RunRecord>& records) const;

private:
    std::string header_;
    std::map<std::string, std::vector<std::vector<std::string>>> rows_;
};

}  // namespace qf::batch
