#include "driver/run.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <ostream>
#include <system_error>

#include "driver/run_steps.h"
#include "textio/data_reader.h"
#include "textio/failure.h"
#include "textio/fpcheck.h"

namespace qf {

namespace {

namespace fs = std::filesystem;

constexpr const char* kVersion = QF_VERSION;

FileNames defaultNames(Program program) {
    const ProgramFiles f = defaultProgramFiles(program);
    return {f.data, f.result, f.graph, f.summary};
}

std::vector<std::string> splitAtBlanks(const std::string& text) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : text) {
        if (c == ' ') {
            parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    parts.push_back(current);
    return parts;
}

// The default data names end with a dot, which Windows file systems drop:
// "DATA." there opens the file DATA. We read DATA when DATA. does not exist.
std::string resolveDataPath(Program program, const std::string& name) {
    if (name == defaultNames(program).data) {
        std::error_code ec;
        const std::string plain = name.substr(0, name.size() - 1);
        if (!fs::exists(name, ec) && fs::exists(plain, ec)) return plain;
    }
    return name;
}

// Same file: by identity when both exist, by normalized path otherwise.
bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (fs::exists(a, ec) && fs::exists(b, ec)) {
        const bool same = fs::equivalent(a, b, ec);
        if (!ec) return same;
    }
    const fs::path pa = fs::weakly_canonical(fs::absolute(a, ec), ec);
    const fs::path pb = fs::weakly_canonical(fs::absolute(b, ec), ec);
    return pa == pb;
}

// An input is never truncated: refuse before creating anything when two of
// the four names are one file.
void checkNameClash(const RunState& run) {
    struct Named {
        const std::string* path;
        const char* role;
    };
    const Named files[] = {{&run.dataPath, "data file"},
                           {&run.files.result, "report file"},
                           {&run.files.graph, "graph file"},
                           {&run.files.summary, "summary file"}};
    for (std::size_t i = 0; i < 4; ++i) {
        for (std::size_t j = i + 1; j < 4; ++j) {
            if (sameFile(*files[i].path, *files[j].path)) {
                fail(std::string("the ") + files[i].role + " and the " + files[j].role +
                     " are the same file \"" + *files[j].path + "\"; nothing was written");
            }
        }
    }
}

void createReports(RunState& run) {
    run.reports.graph.create(run.files.graph, "graph file");
    run.reports.result.create(run.files.result, "report file");
    run.reports.summary.create(run.files.summary, "summary file");
}

void closeReports(RunState& run) {
    run.reports.result.close();
    run.reports.summary.close();
    run.reports.graph.close();
}

void printUsage(Program program, std::ostream& out) {
    const char* name = programName(program);
    const FileNames d = defaultNames(program);
    out << "usage: " << name << " [DATA REPORT GRAPH SUMMARY]\n"
        << "  Without names the defaults are used: " << d.data << " " << d.result << " "
        << d.graph << " " << d.summary << "\n"
        << "  Any other number of names, or an option, is a usage error.\n"
        << "  " << name << " --help | --version\n"
        << "The data file is read and checked before the reports are created: a data\n"
        << "  file that cannot be read or is refused leaves every file as it was.\n"
        << "Exit status: 0 the run completed; 1 the run failed (one line on standard error\n"
        << "  says why); 2 usage error (no file was read or written).\n"
        << "A warning on standard error, for numbers after the measured standard, leaves\n"
        << "  the reports and the exit status as they are.\n";
}

void printUsageError(Program program, std::ostream& err) {
    const char* name = programName(program);
    err << name << ": usage: " << name << " [DATA REPORT GRAPH SUMMARY]\n";
}

}  // namespace

std::optional<FileNames> fileNamesFromCommandLine(Program program,
                                                  const std::vector<std::string>& args) {
    if (args.empty()) return defaultNames(program);
    std::string line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i > 0) line += ' ';
        line += args[i];
    }
    const std::vector<std::string> parts = splitAtBlanks(line);
    if (parts.size() != 4) return std::nullopt;
    for (const std::string& part : parts) {
        if (part.empty() || part[0] == '-') return std::nullopt;
    }
    return FileNames{parts[0], parts[1], parts[2], parts[3]};
}

void runAnalysis(RunState& run) {
    fp::clear();
    run.dataPath = resolveDataPath(run.program, run.files.data);
    checkNameClash(run);
    // The data file is read once, and its first pass and first analysis read
    // run in memory before any report is created: a file that cannot be
    // read, or whose layout, numbers, grid, measured standard or quencher
    // series are refused, leaves every existing file as it was. The stages
    // read the same text again from its top.
    run.data = DataReader::open(run.dataPath);
    checkDataFile(run);
    createReports(run);
    runStages(run, {});
    closeReports(run);
}

int runProgram(Program program, const std::vector<std::string>& args, const std::string& date,
               std::ostream& out, std::ostream& err) {
    if (args.size() == 1 && (args[0] == "-h" || args[0] == "--help")) {
        printUsage(program, out);
        return 0;
    }
    if (args.size() == 1 && args[0] == "--version") {
        out << programName(program) << " " << kVersion << "\n";
        return 0;
    }
    const std::optional<FileNames> names = fileNamesFromCommandLine(program, args);
    if (!names) {
        printUsageError(program, err);
        return 2;
    }
    RunState run;
    run.program = program;
    run.date = date;
    run.warningStream = &err;
    run.files = *names;
    try {
        runAnalysis(run);
    } catch (const RunFailure& failure) {
        // The reports keep what was written before the failure.
        try {
            run.reports.result.close();
            run.reports.summary.close();
            run.reports.graph.close();
        } catch (const RunFailure&) {
        }
        err << programName(program) << ": " << failure.what() << "\n";
        return 1;
    } catch (const std::bad_alloc&) {
        err << programName(program) << ": out of memory\n";
        return 1;
    }
    return 0;
}

std::string todayText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buf[16];
    std::strftime(buf, sizeof buf, "%m-%d-%Y", &local);
    return buf;
}

}  // namespace qf
