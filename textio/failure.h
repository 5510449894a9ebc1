#pragma once
// Failures.
//
// RunFailure: any condition that ends a run of quenfit or monofit (an
// unreadable field, a division by zero, a capacity exceeded) is thrown as
// RunFailure and caught once by the program's entry point, which prints the
// message and exits 1.
//
// FileFailure: the one failure of the libraries above the analysis (reading
// reports and tables back, making pages, writing output files): the file it
// is about, the line (1-based; 0 when not about a line) and the cause. The
// commands of trpfit catch it and print it after their name.

#include <stdexcept>
#include <string>
#include <utility>

namespace qf {

class RunFailure : public std::runtime_error {
public:
    explicit RunFailure(const std::string& what) : std::runtime_error(what) {}
};

[[noreturn]] inline void fail(const std::string& message) { throw RunFailure(message); }

class FileFailure : public std::runtime_error {
public:
    // what(): "PATH, line N: cause", "PATH: cause" (line 0), or the cause
    // alone when there is no path.
    FileFailure(std::string path, int line, const std::string& cause)
        : std::runtime_error(path.empty() ? cause
                             : line > 0   ? path + ", line " + std::to_string(line) + ": " + cause
                                          : path + ": " + cause),
          path_(std::move(path)),
          line_(line),
          cause_(cause) {}
    const std::string& path() const { return path_; }
    int line() const { return line_; }
    const std::string& cause() const { return cause_; }

private:
    std::string path_;
    int line_;
    std::string cause_;
};

}  // namespace qf
