#include "batch/result_tables.h"


#include "textio/failure.h"
#include "textio/file_text.h"

namespace qf::batch {

namespace fs = std::filesystem;

CombinedTable::CombinedTable(const std::string& heading)
    : heading_(text::CsvTable::parse(heading, "heading").heading()) {}

text::CsvTable CombinedTable::checked(const std::string& text, const std::string& name) const {
    text::CsvTable table = text::CsvTable::parse(text, name);
    if (table.heading() != heading_) throw FileFailure(name, 1, "not the heading of this table");
    return table;
}

void CombinedTable::addRun(const std::string& input, const fs::path& runTable) {
    addRunText(input, readFileText(runTable.string()), runTable.string());
}

void CombinedTable::addRunText(const std::string& input, const std::string& text, const std::string& name) {
    const text::CsvTable table = checked(text, name);
    auto& mine = rows_[input];
    mine.clear();
    for (std::size_t r = 0; r < table.size(); ++r) {
        mine.push_back(table.fields(r));
        mine.back().front() = input;
    }
}

void CombinedTable::addCombined(const fs::path& combined) {
    const text::CsvTable table = checked(readFileText(combined.string()), combined.string());
    for (std::size_t r = 0; r < table.size(); ++r) rows_[table.fields(r).front()].push_back(table.fields(r));
}

std::vector<std::vector<std::string>> CombinedTable::rowsOf(const std::vector<RunRecord>& records) const {
    std::vector<std::vector<std::string>> out;
    for (const RunRecord& r : records) {
        if (r.status != RunStatus::Ok) continue;
        const auto it = rows_.find(r.file);
        if (it == rows_.end()) continue;
        out.insert(out.end(), it->second.begin(), it->second.end());
    }
    return out;
}

text::CsvTable CombinedTable::table(const std::vector<RunRecord>& records, const std::string& name) const {
    return text::CsvTable(name, heading_, rowsOf(records));
}

std::string CombinedTable::text(const std::vector<RunRecord>& records) const {
    text::CsvWriter csv;
    csv.row(heading_);
    for (const std::vector<std::string>& row : rowsOf(records)) csv.row(row);
    return csv.text();
}

}  // namespace qf::batch
