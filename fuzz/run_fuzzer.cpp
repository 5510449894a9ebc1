// Fuzz target: the input bytes are the data file of one whole run, through
// the same entry the program uses. A run must end normally (status 0, no
// message) or with the one-line failure message and status 1, either after at
// most one warning line (numbers after the measured standard); anything else
// (a crash, a sanitizer report, an exception that escapes, a hang) is a
// finding.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <system_error>

#include <unistd.h>

#include "driver/run.h"

namespace {

#if QF_FUZZ_SERIES
constexpr qf::Program kProgram = qf::Program::Quenfit;
constexpr const char* kPrefix = "quenfit: ";
#else
constexpr qf::Program kProgram = qf::Program::Monofit;
constexpr const char* kPrefix = "monofit: ";
#endif

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

    std::ostringstream out, err;
    const int status = qf::runProgram(kProgram,
                                      {data, (folder() / "result.txt").string(),
                                       (folder() / "graph.txt").string(),
                                       (folder() / "summary.txt").string()},
                                      "12-07-2026", out, err);
    std::string message = err.str();
    const std::string warning = std::string(kPrefix) + "warning: ";
    if (message.rfind(warning, 0) == 0) {
        const std::size_t end = message.find('\n');
        if (end == std::string::npos) finding("warning not ended by a line end", message);
        if (message.find(" more number", warning.size()) > end) finding("unexpected warning", message);
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
    return 0;
}
