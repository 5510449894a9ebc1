// The index of several data files analysed in turn, as `trpfit run` writes
// it: the table of statuses and causes, and the figure of component
// positions over the components tables of the runs that completed.
#include <string>
#include <vector>

#include "batch/index_figure.h"
#include "batch/index_page.h"
#include "batch/run_table.h"
#include "operations.h"

#include <sstream>

namespace qf::web {

void batchIndex(Exchange& ex) {
    const int count = ex.intInput("count", 0);
    std::vector<batch::IndexEntry> entries;
    std::vector<batch::RunRecord> records;
    std::vector<std::vector<std::string>> components;
    for (int i = 0; i < count; ++i) {
        const std::string key = "run." + std::to_string(i) + ".";
        batch::RunRecord r;
        r.file = ex.input(key + "file");
        r.program = ex.input(key + "program");
        r.status = batch::statusFromName(ex.input(key + "status")).value_or(batch::RunStatus::Failed);
        r.exitStatus = ex.input(key + "exitStatus");
        // The failure and warning lines as `trpfit run` records them.
        batch::splitErrorText(ex.input(key + "errText"), r.program, r.file, r.file, r.message, r.warnings);
        const std::size_t slash = ex.input(key + "link").find('/');
        r.folder = slash == std::string::npos ? "" : ex.input(key + "link").substr(0, slash);
        records.push_back(r);
        entries.push_back({r, ex.input(key + "link")});
        // The run's components table, its first column set to the input.
        std::string error;
        const auto rows = batch::parseCsv(ex.input(key + "components"), error);
        if (!rows || rows->empty()) continue;
        if (components.empty()) components.push_back(rows->front());
        for (std::size_t k = 1; k < rows->size(); ++k) {
            std::vector<std::string> row = (*rows)[k];
            if (!row.empty()) row.front() = r.file;
            components.push_back(row);
        }
    }
    const std::string figure = batch::componentPositionsSvg(components);
    ex.setOutput("page", batch::indexPage(entries, figure));
    ex.setOutput("figure", figure);
    std::ostringstream runs;
    batch::writeRunsCsv(runs, records);
    ex.setOutput("runs", runs.str());
    std::string table;
    for (const auto& row : components) {
        for (std::size_t k = 0; k < row.size(); ++k) table += (k ? "," : "") + batch::csvField(row[k]);
        table += "\r\n";
    }
    ex.setOutput("components", table);
    ex.setOutput("status", "0");
}

}  // namespace qf::web
