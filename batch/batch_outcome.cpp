#include "batch/batch_outcome.h"

#include <algorithm>
#include <csignal>
#include <system_error>

#include "textio/data_file.h"

namespace qf::batch {

namespace fs = std::filesystem;

namespace {

std::string plural(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::string signalText(int sig) {
    struct Named {
        int sig;
        const char* name;
    };
    static const Named names[] = {{SIGSEGV, "SIGSEGV"}, {SIGABRT, "SIGABRT"}, {SIGKILL, "SIGKILL"},
                                  {SIGBUS, "SIGBUS"},   {SIGFPE, "SIGFPE"},   {SIGILL, "SIGILL"},
                                  {SIGTERM, "SIGTERM"}, {SIGINT, "SIGINT"},   {SIGXCPU, "SIGXCPU"},
                                  {SIGHUP, "SIGHUP"},   {SIGPIPE, "SIGPIPE"}};
    std::string text = "killed by signal " + std::to_string(sig);
    for (const Named& n : names) {
        if (n.sig == sig) text += std::string(" (") + n.name + ")";
    }
    return text;
}

void classifyFinishedRun(RunRecord& record) {
    if (record.status != RunStatus::Ok) return;
    if (record.warnings.find(kNumbersLeftMark) == std::string::npos) return;
    record.status = RunStatus::Suspect;
    record.message = "numbers after the measured standard: the file was not read as meant (check its grid, its "
                     "number of spectra and its decimal points); left out of the tables";
}

std::vector<EarlierRun> earlierRuns(const fs::path& outDir, const std::set<std::string>& taken) {
    std::vector<EarlierRun> runs;
    std::error_code ec;
    for (fs::directory_iterator it(outDir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (taken.count(name) != 0 || !it->is_directory(ec)) continue;
        const auto marker = readMarker(it->path());
        if (!marker) continue;
        EarlierRun run{marker->record, name};
        run.record.folder = name;
        runs.push_back(std::move(run));
    }
    std::sort(runs.begin(), runs.end(), [](const EarlierRun& a, const EarlierRun& b) { return a.folder < b.folder; });
    return runs;
}

StatusCounts countStatuses(const std::vector<RunRecord>& records) {
    StatusCounts c;
    for (const RunRecord& r : records) {
        switch (r.status) {
            case RunStatus::Ok: ++c.ok; break;
            case RunStatus::Suspect: ++c.suspect; break;
            case RunStatus::Interrupted: ++c.interrupted; break;
            default: ++c.failed; break;
        }
    }
    return c;
}

std::string statusWords(const std::vector<RunRecord>& records) {
    const StatusCounts c = countStatuses(records);
    std::string words = plural(records.size(), "data file", "data files") + ": " + std::to_string(c.ok) +
                        " analysed, " + std::to_string(c.suspect) + " suspect, " + std::to_string(c.failed) +
                        " failed";
    if (c.interrupted > 0) words += ", " + std::to_string(c.interrupted) + " not finished";
    return words;
}

}  // namespace qf::batch
