#include "batch/batch.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>
#include <utility>

#include <unistd.h>

#include "batch/batch_files.h"
#include "batch/batch_outcome.h"
#include "batch/process_pool.h"
#include "batch/run_folder.h"
#include "batch/run_table.h"
#include "outputs/output_names.h"
#include "results/tables.h"
#include "textio/failure.h"
#include "textio/file_text.h"

namespace qf::batch {

namespace fs = std::filesystem;

namespace {

volatile std::sig_atomic_t gInterrupted = 0;

extern "C" void onInterrupt(int) { gInterrupted = 1; }

// SIGINT and SIGTERM stop the batch in order (the children are in process
// groups of their own, so a terminal's Ctrl-C does not reach them); the
// previous handlers come back when the batch ends.
class InterruptGuard {
public:
    InterruptGuard() {
        gInterrupted = 0;
        struct sigaction sa {};
        sa.sa_handler = onInterrupt;
        sigemptyset(&sa.sa_mask);
        ::sigaction(SIGINT, &sa, &oldInt_);
        ::sigaction(SIGTERM, &sa, &oldTerm_);
    }
    ~InterruptGuard() {
        ::sigaction(SIGINT, &oldInt_, nullptr);
        ::sigaction(SIGTERM, &oldTerm_, nullptr);
    }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

// One input on its way through the batch.
struct Task {
    Input input;
    std::optional<Program> analysis;
    RunRecord record;
    bool toRun = false;
    bool done = false;
    std::string passedName;  // the data file name the program is given
};

std::string secondsLimitText(double s) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%g", s);
    return buf;
}

// The record of a run from the end of its process.
void recordEnd(Task& t, const ChildResult& r, double timeoutSeconds) {
    RunRecord& rec = t.record;
    splitErrorText(r.errText, rec.program, t.passedName, t.input.path, rec.message, rec.warnings);
    rec.seconds = r.seconds;
    switch (r.end) {
        case ChildEnd::Exited:
            rec.exitStatus = std::to_string(r.exitStatus);
            rec.status = r.exitStatus == 0 ? RunStatus::Ok : RunStatus::Failed;
            if (r.exitStatus != 0 && rec.message.empty()) {
                rec.message = "ended with exit status " + rec.exitStatus;
            }
            if (r.exitStatus == 0) rec.message.clear();
            classifyFinishedRun(rec);
            break;
        case ChildEnd::Signalled:
            rec.status = RunStatus::Crashed;
            rec.message = signalText(r.signal);
            break;
        case ChildEnd::TimedOut:
            rec.status = RunStatus::Timeout;
            rec.message = "stopped after the time limit of " + secondsLimitText(timeoutSeconds) +
                          " s";
            break;
    }
}

// The runs of the output folder's other run folders, in the order of their
// files among the runs of this batch.
void addEarlierRuns(const fs::path& outDir, BatchView& view) {
    std::set<std::string> taken(view.runFolder.begin(), view.runFolder.end());
    const std::vector<EarlierRun> earlier = earlierRuns(outDir, taken);
    if (earlier.empty()) return;
    std::vector<std::pair<RunRecord, std::string>> all;
    for (std::size_t i = 0; i < view.records.size(); ++i) all.emplace_back(view.records[i], view.runFolder[i]);
    for (const EarlierRun& run : earlier) all.emplace_back(run.record, run.folder);
    std::stable_sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.first.file < b.first.file; });
    view.records.clear();
    view.runFolder.clear();
    for (auto& [record, folder] : all) {
        view.records.push_back(std::move(record));
        view.runFolder.push_back(std::move(folder));
    }
}

// The run folder of an input: a complete earlier run is kept (--resume),
// anything else of an earlier run removed. Returns true when the input is
// to run; otherwise its record says why not, or holds the kept run.
bool prepareRunFolder(Task& t, const fs::path& outDir, const BatchOptions& o) {
    RunRecord& rec = t.record;
    const fs::path folder = outDir / t.input.folder;
    std::error_code ec;
    if (fs::exists(folder, ec)) {
        const auto marker = readMarker(folder);
        if (!marker) {
            rec.message = "the run folder " + folder.string() +
                          " exists and does not hold a run of trpfit; nothing was written";
            t.done = true;
            return false;
        }
        if (o.resume && holdsCompleteRun(folder, *t.analysis, t.input.path, o.version, o.globalFit)) {
            rec = marker->record;
            rec.file = t.input.path;
            rec.folder = t.input.folder;
            t.done = true;
            return false;
        }
        clearRunFolder(folder);
    } else {
        fs::create_directory(folder, ec);
        if (ec) {
            rec.message = "cannot create the run folder " + folder.string() + ": " + ec.message();
            t.done = true;
            return false;
        }
    }
    // Until the run ends, the folder says that it has not finished.
    RunRecord started = rec;
    started.status = RunStatus::Interrupted;
    started.message = "the run did not finish";
    try {
        writeMarker(folder, started, o.version);
    } catch (const FileFailure& failure) {
        rec.message = failure.what();
        t.done = true;
        return false;
    }
    t.toRun = true;
    return true;
}

// The program's command line: the data file and the three default report
// names, in the run folder.
ChildSpec childSpecFor(Task& t, const fs::path& outDir, const fs::path& programDir,
                       double timeoutSeconds) {
    const std::string data = fs::absolute(t.input.path).string();
    ChildSpec launch;
    launch.program = (programDir / t.record.program).string();
    launch.workDir = fs::absolute(outDir / t.input.folder).string();
    launch.timeoutSeconds = timeoutSeconds;
    // The programs split their command line at blanks.
    if (data.find(' ') != std::string::npos) {
        launch.openAsFd3 = data;
        t.passedName = "/dev/fd/3";
    } else {
        t.passedName = data;
    }
    const auto names = reportNames(*t.analysis);
    launch.args = {t.passedName, names[0], names[1], names[2]};
    return launch;
}

// Calls a member of the events when it is set.
template <class F, class... Args>
void tell(const F& f, Args&&... args) {
    if (f) f(std::forward<Args>(args)...);
}

bool holdsEarlierRuns(const fs::path& outDir, const std::vector<Input>& inputs) {
    std::error_code ec;
    if (fs::exists(outDir / outputs::kRunsTable, ec)) return true;
    for (const Input& in : inputs) {
        if (!in.folder.empty() && fs::exists(outDir / in.folder, ec)) return true;
    }
    return false;
}

// Turns the inputs into tasks. What can be told from an input alone (a
// problem with it, a program that cannot be told) ends its task here.
std::vector<Task> planTasks(const std::vector<Input>& inputs, const BatchOptions& o) {
    std::vector<Task> tasks;
    for (const Input& in : inputs) {
        Task t;
        t.input = in;
        t.record.file = in.path;
        t.record.folder = in.folder;
        if (!in.problem.empty()) {
            t.record.message = in.problem;
            t.done = true;
        } else {
            std::string why;
            t.analysis = o.program ? o.program : detectProgram(in.path, why);
            if (t.analysis) {
                t.record.program = programName(*t.analysis);
            } else {
                t.record.message = why;
                t.done = true;
            }
        }
        tasks.push_back(std::move(t));
    }
    return tasks;
}

// The programs are looked for before any run folder is touched.
void checkPrograms(const std::vector<Task>& tasks, const fs::path& programDir) {
    for (const Task& t : tasks) {
        if (t.done) continue;
        const fs::path exe = programDir / programName(*t.analysis);
        if (::access(exe.c_str(), X_OK) != 0) throw FileFailure(exe.string(), 0, "no such program");
    }
}

// Runs the tasks that are to run in a pool of processes, writes the page of
// every finished run while the others run on, and the marker of each run
// when it ends (of a successful run after its page).
class TaskRunner {
public:
    TaskRunner(std::vector<Task>& tasks, const fs::path& outDir, const BatchOptions& o,
               const BatchEvents& events, std::size_t toRun)
        : tasks_(tasks), outDir_(outDir), o_(o), events_(events), toRun_(toRun) {}

    // Returns how many runs ended.
    std::size_t run() {
        for (const Task& t : tasks_) {
            if (t.done && t.record.status != RunStatus::Ok) tell(events_.runFailed, t.record);
        }
        const std::vector<int> cpus = allowedCpus();
        const int jobs = o_.jobs > 0 ? o_.jobs : std::max(1, static_cast<int>(cpus.size()));
        // With several analyses at a time each keeps to one core, which makes
        // its phase-plane stage use one thread.
        ProcessPool pool(jobs, jobs > 1 ? cpus : std::vector<int>{});
        InterruptGuard guard;
        std::size_t next = 0;
        progress(true);
        while (!gInterrupted) {
            for (; next < tasks_.size() && pool.hasFreeSlot() && !gInterrupted; ++next) {
                if (tasks_[next].toRun) {
                    pool.start(next, childSpecFor(tasks_[next], outDir_, o_.programDir, o_.timeoutSeconds));
                }
            }
            // One page per turn, so that free slots are filled first.
            if (!pages_.empty()) {
                finishPage(pages_.front());
                pages_.erase(pages_.begin());
                continue;
            }
            if (pool.running() == 0 && next >= tasks_.size()) break;
            for (const ChildResult& r : pool.wait(200)) ended(r);
            progress(false);
        }
        if (gInterrupted) pool.stopAll();
        for (std::size_t id : pages_) finishPage(id);
        return finished_;
    }

private:
    void ended(const ChildResult& r) {
        Task& t = tasks_[r.id];
        recordEnd(t, r, o_.timeoutSeconds);
        t.done = true;
        ++finished_;
        if (t.record.status == RunStatus::Ok || t.record.status == RunStatus::Suspect) {
            pages_.push_back(r.id);
        } else {
            writeMarkerOrNote(t);
        }
        if (t.record.status != RunStatus::Ok) {
            ++failed_;
            tell(events_.runFailed, t.record);
        }
        progress(true);
    }

    void finishPage(std::size_t id) {
        Task& t = tasks_[id];
        const auto warn = [&t](const std::string& text) {
            t.record.warnings += (t.record.warnings.empty() ? "" : "; ") + text;
        };
        // A suspect run keeps its page but gets no global fit.
        const bool fit = o_.globalFit && t.record.status == RunStatus::Ok;
        bool fitTried = false;
        try {
            const RunPage page = writeRunPage(outDir_ / t.input.folder, *t.analysis, t.input.path, fit);
            if (page.fitRefusal) warn("global fit: " + *page.fitRefusal);
            fitTried = fit;
        } catch (const std::exception& e) {
            // The run stands without its page; its record says why.
            warn(std::string("report page: ") + e.what());
        }
        writeMarkerOrNote(t, fitTried);
    }

    void writeMarkerOrNote(const Task& t, bool fitTried = false) {
        try {
            writeMarker(outDir_ / t.input.folder, t.record, o_.version, fitTried);
        } catch (const FileFailure& failure) {
            tell(events_.fileFailed, failure);
        }
    }

    void progress(bool changed) { tell(events_.progress, finished_, failed_, toRun_, changed); }

    std::vector<Task>& tasks_;
    const fs::path& outDir_;
    const BatchOptions& o_;
    const BatchEvents& events_;
    const std::size_t toRun_;
    std::size_t finished_ = 0;
    std::size_t failed_ = 0;
    std::vector<std::size_t> pages_;  // successful runs whose page is not written yet
};

}  // namespace

bool BatchOutcome::complete() const {
    return refusal == BatchRefusal::None && countStatuses(records).ok == records.size() && filesWritten &&
           !interrupted;
}

BatchOutcome runBatch(const BatchOptions& o, const BatchEvents& events) {
    const fs::path outDir = o.outDir;
    std::error_code ec;
    fs::create_directories(outDir, ec);
    if (ec || !fs::is_directory(outDir, ec)) throw FileFailure(o.outDir, 0, "cannot create the output folder");
    BatchOutcome outcome;
    outcome.index = (outDir / outputs::kIndexPage).string();
    std::vector<Input> inputs = collectInputs(o.inputs, o.recursive, outDir);
    assignFolders(inputs);
    if (o.shardCount > 0) inputs = shardOf(inputs, o.shardIndex, o.shardCount);
    if (!o.resume && !o.force && holdsEarlierRuns(outDir, inputs)) {
        outcome.refusal = BatchRefusal::EarlierRuns;
        outcome.refusalSubject = o.outDir;
        return outcome;
    }

    // Every input: a problem, a complete earlier run, or a run.
    std::vector<Task> tasks = planTasks(inputs, o);
    checkPrograms(tasks, o.programDir);
    std::size_t toRun = 0;
    for (Task& t : tasks) {
        if (!t.done && prepareRunFolder(t, outDir, o)) ++toRun;
    }
    outcome.runNow = TaskRunner(tasks, outDir, o, events, toRun).run();

    BatchView view;
    for (Task& t : tasks) {
        if (!t.done) {
            t.record.status = RunStatus::Interrupted;
            t.record.message = "the batch was interrupted before this run ended";
        }
        view.records.push_back(t.record);
        view.runFolder.push_back(t.input.folder);
    }
    // --resume makes the tables of the whole output folder: the runs of
    // inputs not named this time stay in them.
    if (o.resume) addEarlierRuns(outDir, view);
    TableFiles tables;
    tables.fitTables = o.globalFit;
    const auto noteFile = [&](const FileFailure& failure) { tell(events.fileFailed, failure); };
    gatherRunTables(outDir, view, tables, noteFile);
    outcome.filesWritten = writeBatchFiles(outDir, view, tables, noteFile);
    outcome.records = std::move(view.records);
    outcome.interrupted = gInterrupted != 0;
    return outcome;
}

BatchOutcome mergeBatches(const MergeOptions& o, const FileFailureNote& fileFailed) {
    const fs::path outDir = o.outDir;
    BatchOutcome outcome;
    outcome.index = (outDir / outputs::kIndexPage).string();
    outcome.batches = o.dirs.size();
    std::error_code ec;
    if (!o.force && fs::exists(outDir / outputs::kRunsTable, ec)) {
        outcome.refusal = BatchRefusal::RunsTableExists;
        outcome.refusalSubject = o.outDir;
        return outcome;
    }
    fs::create_directories(outDir, ec);
    if (!fs::is_directory(outDir, ec)) throw FileFailure(o.outDir, 0, "cannot create the output folder");
    BatchView view;
    TableFiles tables;
    std::vector<std::pair<std::string, std::string>> keyed;  // file, folder relative to outDir
    std::vector<RunRecord> all;
    const fs::path base = fs::weakly_canonical(fs::absolute(outDir), ec);
    for (const std::string& dir : o.dirs) {
        const fs::path runs = fs::path(dir) / outputs::kRunsTable;
        const std::vector<RunRecord> records = readRunsCsv(readFileText(runs.string()), runs.string());
        addCombinedTables(dir, tables);
        const fs::path shard = fs::weakly_canonical(fs::absolute(dir), ec);
        const fs::path rel = shard.lexically_relative(base);
        // runs.csv holds folder names as UTF-8; a folder named in another
        // encoding is found by the name it has on disk.
        std::map<std::string, std::string> onDisk;
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            onDisk.emplace(results::validUtf8(name), name);
        }
        for (const RunRecord& r : records) {
            all.push_back(r);
            const auto found = onDisk.find(r.folder);
            keyed.emplace_back(r.file, (rel / (found == onDisk.end() ? r.folder : found->second)).generic_string());
        }
    }
    // The order of one batch over all inputs: sorted by the input's path.
    std::vector<std::size_t> order(all.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return all[a].file < all[b].file; });
    for (std::size_t i : order) {
        if (!view.records.empty() && view.records.back().file == all[i].file) {
            outcome.refusal = BatchRefusal::InSeveralBatches;
            outcome.refusalSubject = all[i].file;
            return outcome;
        }
        view.records.push_back(all[i]);
        view.records.back().folder = keyed[i].second;
        view.runFolder.push_back(keyed[i].second);
    }
    outcome.filesWritten = writeBatchFiles(outDir, view, tables, [&](const FileFailure& f) { tell(fileFailed, f); });
    outcome.records = std::move(view.records);
    return outcome;
}

}  // namespace qf::batch
