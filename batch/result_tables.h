#pragma once
// The result tables of a batch: the components.csv and contributions.csv
// (and the global fit's fit.csv and models.csv) of every successful run,
// one after the other. Their first column is the input file. The tables are
// read through textio's CSV table; one that is not the table asked for is a
// FileFailure naming its file and line.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "batch/run_table.h"
#include "textio/csv_text.h"

namespace qf::batch {

class CombinedTable {
public:
    // `heading`: the heading line of the table, its first field the input file.
    explicit CombinedTable(const std::string& heading);

    // The rows of one run's table, their first field set to `input` (the
    // name of the input in this batch).
    void addRun(const std::string& input, const std::filesystem::path& runTable);
    // The same from the table's text; `name` names it in failures.
    void addRunText(const std::string& input, const std::string& text, const std::string& name);
    // The rows of a combined table written by another batch (a shard).
    void addCombined(const std::filesystem::path& combined);

    // Whether any run's rows were added.
    bool hasRows() const { return !rows_.empty(); }

    // The table over the successful runs among `records`, in their order.
    std::string text(const std::vector<RunRecord>& records) const;
    // The same as a table read by column names; `name` names it in failures.
    text::CsvTable table(const std::vector<RunRecord>& records, const std::string& name) const;

private:
    std::vector<std::vector<std::string>> rowsOf(const std::vector<RunRecord>& records) const;
    text::CsvTable checked(const std::string& text, const std::string& name) const;

    std::vector<std::string> heading_;
    std::map<std::string, std::vector<std::vector<std::string>>> rows_;
};

}  // namespace qf::batch
