#include "batch/batch_files.h"

#include <system_error>
#include <tuple>

#include "batch/index_figure.h"
#include "batch/index_page.h"
#include "batch/run_fit.h"
#include "batch/run_folder.h"
#include "outputs/atomic_file.h"
#include "outputs/output_names.h"
#include "textio/file_text.h"

namespace qf::batch {

namespace fs = std::filesystem;

TableFiles::TableFiles()
    : components(componentsHeading()),
      contributions(contributionsHeading()),
      fit(fitHeading()),
      models(modelsHeading()) {}

void gatherRunTables(const fs::path& outDir, const BatchView& view, TableFiles& tables, const FileFailureNote& note) {
    for (std::size_t i = 0; i < view.records.size(); ++i) {
        if (view.records[i].status != RunStatus::Ok) continue;
        const fs::path folder = outDir / view.runFolder[i];
        for (auto [table, name] : {std::pair{&tables.components, outputs::kComponentsTable},
                                   std::pair{&tables.contributions, outputs::kContributionsTable},
                                   std::pair{&tables.fit, outputs::kFitTable},
                                   std::pair{&tables.models, outputs::kModelsTable}}) {
            std::error_code ec;
            if (!fs::exists(folder / name, ec)) continue;
            try {
                table->addRun(view.records[i].file, folder / name);
            } catch (const FileFailure& failure) {
                note(failure);
            }
        }
    }
}

void addCombinedTables(const fs::path& dir, TableFiles& tables) {
    for (auto [table, name, optional] : {std::tuple{&tables.components, outputs::kComponentsTable, false},
                                         std::tuple{&tables.contributions, outputs::kContributionsTable, false},
                                         std::tuple{&tables.fit, outputs::kFitTable, true},
                                         std::tuple{&tables.models, outputs::kModelsTable, true}}) {
        std::error_code ec;
        if (optional && !fs::exists(dir / name, ec)) continue;
        table->addCombined(dir / name);
    }
}

bool writeBatchFiles(const fs::path& outDir, const BatchView& view, const TableFiles& tables,
                     const FileFailureNote& note) {
    std::vector<IndexEntry> entries;
    for (std::size_t i = 0; i < view.records.size(); ++i) {
        IndexEntry e{view.records[i], "", ""};
        const fs::path folder = outDir / view.runFolder[i];
        std::error_code ec;
        const RunStatus status = view.records[i].status;
        if ((status == RunStatus::Ok || status == RunStatus::Suspect) &&
            fs::is_regular_file(folder / outputs::kReportPage, ec)) {
            e.pageLink = (fs::path(view.runFolder[i]) / outputs::kReportPage).generic_string();
        }
        if (status == RunStatus::Ok && fs::is_regular_file(folder / outputs::kModelsTable, ec)) {
            try {
                const fs::path models = folder / outputs::kModelsTable;
                e.components = verdictOfModelsCsv(readFileText(models.string()), models.string());
            } catch (const FileFailure& failure) {
                note(failure);
            }
        }
        entries.push_back(std::move(e));
    }
    std::vector<std::pair<const char*, std::string>> files = {
        {outputs::kRunsTable, runsCsv(view.records)},
        {outputs::kComponentsTable, tables.components.text(view.records)},
        {outputs::kContributionsTable, tables.contributions.text(view.records)},
    };
    const bool fitTables = tables.fitTables || tables.fit.hasRows() || tables.models.hasRows();
    if (fitTables) {
        files.emplace_back(outputs::kFitTable, tables.fit.text(view.records));
        files.emplace_back(outputs::kModelsTable, tables.models.text(view.records));
    } else {
        // Tables of an earlier batch into this folder would not match its runs.
        std::error_code ec;
        fs::remove(outDir / outputs::kFitTable, ec);
        fs::remove(outDir / outputs::kModelsTable, ec);
    }
    std::string figure;
    try {
        figure = componentPositionsSvg(
            tables.components.table(view.records, (outDir / outputs::kComponentsTable).string()));
    } catch (const FileFailure& failure) {
        note(failure);
    }
    files.emplace_back(outputs::kIndexPage, indexPage(entries, figure));
    bool ok = true;
    for (const auto& [name, text] : files) {
        try {
            outputs::writeFileAtomically(outDir / name, text);
        } catch (const FileFailure& failure) {
            note(failure);
            ok = false;
        }
    }
    return ok;
}

}  // namespace qf::batch
