// Fuzz target: the input bytes are the data file of one whole run, through
// the same entry the program uses. A run must end normally (status 0, no
// message) or with the one-line failure message and status 1, either after at
// most one warning line (numbers after the measured standard); anything else
// (a crash, a sanitizer report, an exception that escapes, a hang) is a
// finding. The same bytes analysed in memory must then give what the run
// left: the reports (or their absence), the warnings, the failure line.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>

#include <unistd.h>

#include "driver/analysis.h"
#include "driver/run.h"

namespace {

#if QF_FUZZ_SERIES
constexpr qf::Program kProgram = qf::Program::Quenfit;
constexpr qf::ProgramChoice kChoice = qf::ProgramChoice::Quenfit;
constexpr const char* kPrefix = "quenfit: ";
#else
constexpr qf::Program kProgram = qf::Program::Monofit;
constexpr qf::ProgramChoice kChoice = qf::ProgramChoice::Monofit;
constexpr const char* kPrefix = "monofit: ";
#endif

constexpr std::size_t kCompareCompletedUpTo = 2048;

// One scratch folder per fuzzing process, removed at exit.
std::filesystem::path& folder() {
    static std::filesystem::path path;
    return path;
}

void removeFolder() {
    std::error_code ec;
    std::filesystem::remove_all(folder(), ec);
}

[[noreturn]] void finding(const char* what, const std::string& detail) {
    std::fprintf(stderr, "fuzz finding: %s\n%s\n", what, detail.c_str());
    std::abort();
}

// The report a run left, or nothing when it created none.
std::optional<std::string> reportLeft(const std::filesystem::path& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return std::nullopt;
    std::string text;
    char chunk[1 << 14];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) text.append(chunk, n);
    std::fclose(f);
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string pattern = (std::filesystem::temp_directory_path() / "qf-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::exit(2);
    }
    folder() = pattern;
    std::atexit(removeFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string data = (folder() / "data.dat").string();
    std::FILE* f = std::fopen(data.c_str(), "wb");
    if (f == nullptr) finding("cannot write the scratch data file", data);
    if (size > 0 && std::fwrite(bytes, 1, size, f) != size) finding("short write", data);
    std::fclose(f);

    const char* const reports[] = {"result.txt", "graph.txt", "summary.txt"};
    std::error_code ec;
    for (const char* name : reports) std::filesystem::remove(folder() / name, ec);

    std::ostringstream out, err;
    const int status = qf::runProgram(kProgram,
                                      {data, (folder() / "result.txt").string(),
                                       (folder() / "graph.txt").string(),
                                       (folder() / "summary.txt").string()},
                                      "12-07-2026", out, err);
    // A run may warn (numbers after the measured standard; the phase-plane
    // stage absent, the fits following): lines "quenfit: warning: ..." before
    // anything else.
    std::string message = err.str();
    const std::string warning = std::string(kPrefix) + "warning: ";
    while (message.rfind(warning, 0) == 0) {
        const std::size_t end = message.find('\n');
        if (end == std::string::npos) finding("warning not ended", message);
        message.erase(0, end + 1);
    }
    if (status == 0) {
        if (!message.empty()) finding("a normal run wrote a message", message);
    } else if (status == 1) {
        if (message.rfind(kPrefix, 0) != 0) finding("message without the program name", message);
        if (message.find('\n') != message.size() - 1) finding("message not one line", message);
    } else {
        finding("unexpected exit status", std::to_string(status));
    }
    if (!out.str().empty()) finding("a run wrote to standard output", out.str());

    // A whole series under the sanitizers takes seconds: completed runs are
    // compared for small inputs only; refusals and failures always.
    if (status == 0 && size > kCompareCompletedUpTo) return 0;
    const qf::AnalysisOutcome memory = qf::analyseText(
        std::string_view(reinterpret_cast<const char*>(bytes), size), kChoice, "12-07-2026", {}, data);
    if (memory.status() != status) finding("in memory: another exit status", std::to_string(memory.status()));
    std::string lines;
    for (const std::string& w : memory.warnings) lines += w + "\n";
    if (memory.failure) lines += memory.failure->message + "\n";
    if (lines != err.str()) finding("in memory: other messages", lines + "--- on files:\n" + err.str());
    const std::optional<std::string>* texts[] = {&memory.result, &memory.graph, &memory.summary};
    for (int i = 0; i < 3; ++i) {
        if (*texts[i] != reportLeft(folder() / reports[i])) finding("in memory: another report", reports[i]);
    }
    return 0;
}
