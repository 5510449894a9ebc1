#include "batch/run_folder.h"

#include <system_error>

#include "batch/run_fit.h"
#include "batch/run_table.h"
#include "figures/report_texts.h"
#include "outputs/output_names.h"
#include "outputs/output_set.h"
#include "results/report_paths.h"
#include "results/report_reader.h"
#include "results/tables.h"

namespace qf::batch {

namespace fs = std::filesystem;

std::array<std::string, 3> reportNames(Program a) {
    const results::ReportPaths names =
        results::defaultReportNames(a);
    return {names.result, names.graph, names.summary};
}

bool holdsCompleteRun(const fs::path& folder, Program a, const std::string& dataPath,
                      const std::string& version, bool needGlobalFit) {
    const auto marker = readMarker(folder);
    if (!marker || marker->version != version ||
        (marker->record.status != RunStatus::Ok && marker->record.status != RunStatus::Suspect) ||
        marker->record.program != programName(a)) {
        return false;
    }
    if (needGlobalFit && marker->record.status == RunStatus::Ok && !marker->globalFit) return false;
    // The same file, also when it is named another way ("./data/a.dat").
    std::error_code ec;
    if (marker->record.file != dataPath && !fs::equivalent(marker->record.file, dataPath, ec)) {
        return false;
    }
    const fs::file_time_type data = fs::last_write_time(dataPath, ec);
    if (ec) return false;
    for (const std::string& name : reportNames(a)) {
        const fs::file_time_type t = fs::last_write_time(folder / name, ec);
        if (ec || !fs::is_regular_file(folder / name, ec) || !(t > data)) return false;
    }
    return true;
}

namespace {

std::string firstLine(const std::string& csv) { return csv.substr(0, csv.find("\r\n")); }

}  // namespace

std::string componentsHeading() { return firstLine(results::componentsCsv({}, "")); }
std::string contributionsHeading() { return firstLine(results::contributionsCsv({}, "")); }

RunPage writeRunPage(const fs::path& folder, Program a, const std::string& input, bool globalFit) {
    const auto names = reportNames(a);
    const results::RunReports run = results::readReportFiles(
        {(folder / names[0]).string(), (folder / names[1]).string(), (folder / names[2]).string()});
    RunPage page;
    figures::PageAdditions additions;
    if (globalFit) {
        RunFit fit = fitRun(input, run, input);
        if (fit.refusal) {
            page.fitRefusal = fit.refusal;
        } else {
            additions = std::move(fit.additions);
        }
    }
    const figures::ReportPageTexts texts = figures::reportPageOfRun(run, input, true, additions);
    // The page last: a folder with a page holds its figures and tables.
    outputs::OutputSet files(folder);
    for (const figures::NamedText& t : texts.tables) files.add(t.name, t.text);
    for (const figures::NamedText& f : texts.figures) files.add(f.name, f.text);
    files.add(outputs::kReportPage, texts.page);
    files.write();
    return page;
}

void clearRunFolder(const fs::path& folder) {
    std::error_code ec;
    for (Program a : {Program::Quenfit, Program::Monofit}) {
        for (const std::string& name : reportNames(a)) fs::remove(folder / name, ec);
    }
    for (const char* name : kDerivedFiles) fs::remove(folder / name, ec);
    // The figures folder holds only figures written for this run.
    fs::remove_all(folder / outputs::kFiguresFolder, ec);
}

}  // namespace qf::batch
