#include "trpfit/run_command.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "batch/batch.h"
#include "batch/batch_outcome.h"
#include "textio/failure.h"
#include "trpfit/progress_line.h"
#include "trpfit/version.h"

namespace qf::trpfit {

namespace {

struct RunArgs {
    std::vector<std::string> inputs;
    int jobs = 0;
    std::string outDir = "trpfit-out";
    bool resume = false;
    bool recursive = false;
    bool force = false;
    bool quiet = false;
    bool merge = false;
    bool noFit = false;
    std::string program;
    double timeout = 600.0;
    std::string shard;
    std::string programDir;
};

// quenfit and monofit are installed beside trpfit.
std::string ownFolder() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : self.parent_path().string();
}

void parseShard(const std::string& text, int& k, int& n) {
    const std::size_t slash = text.find('/');
    try {
        std::size_t usedK = 0, usedN = 0;
        if (slash == std::string::npos) throw std::invalid_argument("no slash");
        k = std::stoi(text.substr(0, slash), &usedK);
        n = std::stoi(text.substr(slash + 1), &usedN);
        if (usedK != slash || usedN != text.size() - slash - 1 || n < 1 || k < 1 || k > n) {
            throw std::invalid_argument("range");
        }
    } catch (const std::exception&) {
        throw CLI::ValidationError("--shard", "\"" + text + "\" is not K/N with 1 <= K <= N");
    }
}

void run(const RunArgs& a, CommandContext& context) {
    if (a.merge) {
        batch::MergeOptions m;
        m.dirs = a.inputs;
        m.outDir = a.outDir;
        m.force = a.force;
        context.status = mergeCommand(m, std::cout, std::cerr);
        return;
    }
    batch::BatchOptions o;
    o.inputs = a.inputs;
    o.jobs = a.jobs;
    o.outDir = a.outDir;
    o.resume = a.resume;
    o.recursive = a.recursive;
    o.force = a.force;
    o.program = programNamed(a.program);
    o.timeoutSeconds = a.timeout;
    if (!a.shard.empty()) parseShard(a.shard, o.shardIndex, o.shardCount);
    o.programDir = a.programDir.empty() ? ownFolder() : a.programDir;
    o.version = programVersion();
    o.globalFit = !a.noFit;
    const bool progress = !a.quiet && ::isatty(STDERR_FILENO) == 1;
    context.status = batchCommand(o, progress, std::cout, std::cerr);
}

// One line for an input that did not run well. A program's message names
// the file already.
std::string failureLine(const batch::RunRecord& r) {
    const std::string& m = r.message;
    if (m.rfind(r.file + ",", 0) == 0 || m.rfind(r.file + ": ", 0) == 0) return "trpfit: " + m;
    return "trpfit: " + r.file + ": " + batch::statusName(r.status) + (m.empty() ? "" : ": ") + m;
}

// The line of a batch or merge that refused to start; "" when it started.
std::string refusalLine(const batch::BatchOutcome& outcome) {
    const std::string& subject = outcome.refusalSubject;
    switch (outcome.refusal) {
        case batch::BatchRefusal::None: return "";
        case batch::BatchRefusal::EarlierRuns:
            return "trpfit: " + subject +
                   " holds runs of an earlier batch; --resume completes them, --force runs everything again";
        case batch::BatchRefusal::RunsTableExists:
            return "trpfit: " + subject + " holds a runs table already; --force replaces it";
        case batch::BatchRefusal::InSeveralBatches:
            return "trpfit: " + subject + " is in more than one of the merged batches";
    }
    return "";
}

}  // namespace

int batchCommand(const batch::BatchOptions& options, bool progressLine, std::ostream& out, std::ostream& err) {
    Progress progress(progressLine, err);
    batch::BatchEvents events;
    events.runFailed = [&](const batch::RunRecord& r) {
        progress.clear();
        err << failureLine(r) << "\n";
    };
    events.fileFailed = [&](const FileFailure& f) {
        progress.clear();
        err << "trpfit: " << f.what() << "\n";
    };
    events.progress = [&](std::size_t done, std::size_t failed, std::size_t total, bool changed) {
        progress.update(done, failed, total, changed);
    };
    try {
        const batch::BatchOutcome outcome = batch::runBatch(options, events);
        progress.clear();
        if (outcome.refusal != batch::BatchRefusal::None) {
            err << refusalLine(outcome) << "\n";
            return 1;
        }
        if (outcome.interrupted) err << "trpfit: interrupted; --resume completes the batch\n";
        out << "trpfit: " << batch::statusWords(outcome.records) << "; " << outcome.runNow
            << " run now. Index: " << outcome.index << "\n";
        return outcome.complete() ? 0 : 1;
    } catch (const FileFailure& f) {
        progress.clear();
        err << "trpfit: " << f.what() << "\n";
        return 1;
    }
}

int mergeCommand(const batch::MergeOptions& options, std::ostream& out, std::ostream& err) {
    try {
        const batch::BatchOutcome outcome =
            batch::mergeBatches(options, [&](const FileFailure& f) { err << "trpfit: " << f.what() << "\n"; });
        if (outcome.refusal != batch::BatchRefusal::None) {
            err << refusalLine(outcome) << "\n";
            return 1;
        }
        out << "trpfit: " << outcome.batches << " batches merged, " << batch::statusWords(outcome.records)
            << ". Index: " << outcome.index << "\n";
        return outcome.complete() ? 0 : 1;
    } catch (const FileFailure& f) {
        err << "trpfit: " << f.what() << "\n";
        return 1;
    }
}

void addRunCommand(CLI::App& app, CommandContext& context) {
    auto args = std::make_shared<RunArgs>();
    CLI::App* cmd = app.add_subcommand(
        "run",
        "Analyse many data files at once: each file (and each file of each folder) by quenfit "
        "or monofit, as line 2 of the file tells, N at a time, with the global fit of each "
        "successful run; one run folder per file, runs.csv, components.csv, contributions.csv, "
        "fit.csv, models.csv and index.html over all of them");
    cmd->add_option("FILE_OR_FOLDER", args->inputs,
                    "data files and folders of data files (with --merge: output folders of "
                    "earlier batches)")
        ->required();
    cmd->add_option("-j,--jobs", args->jobs, "analyses at a time (default: one per CPU)");
    cmd->add_option("-o,--output", args->outDir, "output folder (default ./trpfit-out)");
    cmd->add_flag("--resume", args->resume,
                  "keep the complete runs of an earlier batch into the output folder, run the "
                  "rest");
    cmd->add_flag("-r,--recursive", args->recursive, "take the files of subfolders too");
    cmd->add_flag("--force", args->force,
                  "run every input again, replacing the runs of an earlier batch");
    cmd->add_option("--program", args->program,
                    "analyse every file with this program instead of telling it from the file")
        ->check(CLI::IsMember(programNames()));
    cmd->add_option("--timeout", args->timeout,
                    "stop an analysis after this many seconds (default 600)")
        ->check(CLI::PositiveNumber);
    cmd->add_flag("--no-fit", args->noFit,
                  "skip the global fit of each successful run (fit.csv, models.csv and the "
                  "page's \"Global fit\" section)");
    cmd->add_flag("--quiet", args->quiet, "no progress line");
    cmd->add_option("--shard", args->shard,
                    "run only inputs K, K+N, K+2N ... of the sorted list (array jobs)");
    cmd->add_flag("--merge", args->merge,
                  "build one runs table, result tables and index from the output folders "
                  "named");
    // Tests point this at stand-in programs.
    cmd->add_option("--program-dir", args->programDir)->group("");
    cmd->callback([args, cmd, &context] {
        if (cmd->count("--jobs") > 0 && args->jobs < 1) throw CLI::ValidationError("-j must be at least 1");
        // A mistyped name is a usage error, found before any folder is made.
        for (const std::string& input : args->inputs) {
            std::error_code ec;
            if (!std::filesystem::exists(input, ec)) {
                throw CLI::ValidationError(input + ": no such file or folder");
            }
        }
        if (args->merge && (args->resume || !args->shard.empty() || !args->program.empty() || args->noFit)) {
            throw CLI::ValidationError("--merge", "takes no --resume, --shard, --program or --no-fit");
        }
        if (args->resume && args->force) {
            throw CLI::ValidationError("--resume", "and --force exclude each other");
        }
        run(*args, context);
    });
}

}  // namespace qf::trpfit
