#include "batch/result_tables.h"

#include <fstream>
#include <sstream>

namespace qf::batch {

namespace fs = std::filesystem;

namespace {

bool readText(const fs::path& path, std::string& text, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path.string() + ": cannot be read";
        return false;
    }
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
    return true;
}

std::string joined(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line += ',';
        line += csvField(fields[i]);
    }
    return line;
}

}  // namespace

bool CombinedTable::addRun(const std::string& input, const fs::path& runTable,
                           std::string& error) {
    std::string text;
    if (!readText(runTable, text, error)) return false;
    if (!addRunText(input, text, error)) {
        error = runTable.string() + ", " + error;
        return false;
    }
    return true;
}

bool CombinedTable::addRunText(const std::string& input, const std::string& text, std::string& error) {
    auto rows = parseCsv(text, error);
    if (!rows) return false;
    if (rows->empty() || joined(rows->front()) != header_) {
        error = "line 1: not the heading of this table";
        return false;
    }
    auto& mine = rows_[input];
    mine.assign(rows->begin() + 1, rows->end());
    for (std::vector<std::string>& row : mine) row.front() = input;
    return true;
}

bool CombinedTable::addCombined(const fs::path& combined, std::string& error) {
    std::string text;
    if (!readText(combined, text, error)) return false;
    auto rows = parseCsv(text, error);
    if (!rows) {
        error = combined.string() + ", " + error;
        return false;
    }
    if (rows->empty() || joined(rows->front()) != header_) {
        error = combined.string() + ", line 1: not the heading of this table";
        return false;
    }
    for (std::size_t i = 1; i < rows->size(); ++i) {
        std::vector<std::string>& row = (*rows)[i];
        const std::string input = row.front();
        rows_[input].push_back(std::move(row));
    }
    return true;
}

std::vector<std::vector<std::string>> CombinedTable::rows(
    const std::vector<RunRecord>& records) const {
    std::string error;
    std::vector<std::vector<std::string>> out = parseCsv(header_, error).value_or(
        std::vector<std::vector<std::string>>{{}});
    for (const RunRecord& r : records) {
        if (r.status != RunStatus::Ok) continue;
        const auto it = rows_.find(r.file);
        if (it == rows_.end()) continue;
        out.insert(out.end(), it->second.begin(), it->second.end());
    }
    return out;
}

std::string CombinedTable::text(const std::vector<RunRecord>& records) const {
    std::string out;
    for (const std::vector<std::string>& row : rows(records)) out += joined(row) + "\r\n";
    return out;
}

}  // namespace qf::batch
