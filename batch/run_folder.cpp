#include "batch/run_folder.h"

#include <system_error>

#include "batch/run_fit.h"
#include "batch/run_table.h"
#include "figures/report_texts.h"
#include "results/report_reader.h"
#include "results/tables.h"

namespace qf::batch {

namespace fs = std::filesystem;

std::array<std::string, 3> reportNames(Program a) {
    if (a == Program::Quenfit) return {"Result.txt", "Graph.txt", "Summary.txt"};
    return {"ResultM.txt", "GraphM.txt", "SummaryM.txt"};
}

bool holdsCompleteRun(const fs::path& folder, Program a, const std::string& dataPath,
                      const std::string& version) {
    const auto marker = readMarker(folder);
    if (!marker || marker->version != version ||
        (marker->record.status != RunStatus::Ok && marker->record.status != RunStatus::Suspect) ||
        marker->record.program != programName(a)) {
        return false;
    }
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

std::string writeRunPage(const fs::path& folder, Program a, const std::string& input, bool globalFit,
                         std::string* fitNote) {
    const auto names = reportNames(a);
    try {
        const results::RunReports run = results::readReportFiles(
            {(folder / names[0]).string(), (folder / names[1]).string(),
             (folder / names[2]).string()});
        figures::PageAdditions additions;
        if (globalFit) {
            RunFit fit = fitRun(input, run, input);
            if (fit.failure.empty()) {
                additions = std::move(fit.additions);
            } else if (fitNote != nullptr) {
                *fitNote = fit.failure;
            }
        }
        const figures::ReportPageTexts texts = figures::reportPageOfRun(run, input, true, additions);
        std::error_code ec;
        fs::create_directories(folder / "figures", ec);
        if (ec) return (folder / "figures").string() + ": cannot create the folder: " + ec.message();
        std::vector<const figures::NamedText*> files;
        for (const figures::NamedText& t : texts.tables) files.push_back(&t);
        for (const figures::NamedText& f : texts.figures) files.push_back(&f);
        const figures::NamedText page{"report.html", texts.page};
        files.push_back(&page);
        for (const figures::NamedText* f : files) {
            std::string error;
            if (!writeFileAtomically(folder / f->name, f->text, error)) return error;
        }
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

void clearRunFolder(const fs::path& folder) {
    std::error_code ec;
    for (Program a : {Program::Quenfit, Program::Monofit}) {
        for (const std::string& name : reportNames(a)) fs::remove(folder / name, ec);
    }
    for (const char* name : kDerivedFiles) fs::remove(folder / name, ec);
    // The figures folder holds only figures written for this run.
    fs::remove_all(folder / "figures", ec);
}

}  // namespace qf::batch
