#include "batch/batch_files.h"

#include <fstream>
#include <sstream>
#include <system_error>

#include "batch/index_figure.h"
#include "batch/index_page.h"
#include "batch/run_fit.h"
#include "batch/run_folder.h"

namespace qf::batch {

namespace fs = std::filesystem;

namespace {

std::string readSmallFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    if (in) text << in.rdbuf();
    return text.str();
}

}  // namespace

TableFiles::TableFiles()
    : components(componentsHeading()),
      contributions(contributionsHeading()),
      fit(fitHeading()),
      models(modelsHeading()) {}

void gatherRunTables(const fs::path& outDir, const BatchView& view, TableFiles& tables, std::ostream& err) {
    for (std::size_t i = 0; i < view.records.size(); ++i) {
        if (view.records[i].status != RunStatus::Ok) continue;
        const fs::path folder = outDir / view.runFolder[i];
        for (auto [table, name] : {std::pair{&tables.components, "components.csv"},
                                   std::pair{&tables.contributions, "contributions.csv"},
                                   std::pair{&tables.fit, "fit.csv"}, std::pair{&tables.models, "models.csv"}}) {
            std::error_code ec;
            if (!fs::exists(folder / name, ec)) continue;
            std::string error;
            if (!table->addRun(view.records[i].file, folder / name, error)) {
                err << "trpfit: " << error << "\n";
            }
        }
    }
}

bool addCombinedTables(const fs::path& dir, TableFiles& tables, std::string& error) {
    for (auto [table, name, optional] : {std::tuple{&tables.components, "components.csv", false},
                                         std::tuple{&tables.contributions, "contributions.csv", false},
                                         std::tuple{&tables.fit, "fit.csv", true},
                                         std::tuple{&tables.models, "models.csv", true}}) {
        std::error_code ec;
        if (optional && !fs::exists(dir / name, ec)) continue;
        if (!table->addCombined(dir / name, error)) return false;
    }
    return true;
}

bool writeBatchFiles(const fs::path& outDir, const BatchView& view, const TableFiles& tables, std::ostream& err) {
    std::ostringstream runs;
    writeRunsCsv(runs, view.records);
    std::vector<IndexEntry> entries;
    for (std::size_t i = 0; i < view.records.size(); ++i) {
        IndexEntry e{view.records[i], "", ""};
        const fs::path folder = outDir / view.runFolder[i];
        std::error_code ec;
        const RunStatus status = view.records[i].status;
        if ((status == RunStatus::Ok || status == RunStatus::Suspect) &&
            fs::is_regular_file(folder / "report.html", ec)) {
            e.pageLink = (fs::path(view.runFolder[i]) / "report.html").generic_string();
        }
        if (status == RunStatus::Ok && fs::is_regular_file(folder / "models.csv", ec)) {
            e.components = verdictOfModelsCsv(readSmallFile(folder / "models.csv"));
        }
        entries.push_back(std::move(e));
    }
    std::vector<std::pair<const char*, std::string>> files = {
        {"runs.csv", runs.str()},
        {"components.csv", tables.components.text(view.records)},
        {"contributions.csv", tables.contributions.text(view.records)},
    };
    const bool fitTables = tables.fitTables || tables.fit.hasRows() || tables.models.hasRows();
    if (fitTables) {
        files.emplace_back("fit.csv", tables.fit.text(view.records));
        files.emplace_back("models.csv", tables.models.text(view.records));
    } else {
        // Tables of an earlier batch into this folder would not match its runs.
        std::error_code ec;
        fs::remove(outDir / "fit.csv", ec);
        fs::remove(outDir / "models.csv", ec);
    }
    files.emplace_back("index.html", indexPage(entries, componentPositionsSvg(tables.components.rows(view.records))));
    bool ok = true;
    for (const auto& [name, text] : files) {
        std::string error;
        if (!writeFileAtomically(outDir / name, text, error)) {
            err << "trpfit: " << error << "\n";
            ok = false;
        }
    }
    return ok;
}

}  // namespace qf::batch
