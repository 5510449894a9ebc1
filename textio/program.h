#pragma once
// The two analysers built from the same libraries: quenfit decomposes a
// quenching series, monofit a single spectrum.

#include <optional>
#include <string_view>

namespace qf {

enum class Program { Quenfit, Monofit };

// The program's name as its command, its messages and the tables give it.
constexpr const char* programName(Program program) { return program == Program::Quenfit ? "quenfit" : "monofit"; }

// The program of that name ("quenfit", "monofit"), or nothing.
constexpr std::optional<Program> programNamed(std::string_view name) {
    for (Program p : {Program::Quenfit, Program::Monofit}) {
        if (name == programName(p)) return p;
    }
    return std::nullopt;
}

// The files a program reads and writes when its command line names none:
// the data file, then the results, graph and summary reports.
struct ProgramFiles {
    const char* data;
    const char* result;
    const char* graph;
    const char* summary;
};

constexpr ProgramFiles defaultProgramFiles(Program program) {
    if (program == Program::Quenfit) return {"DATA.", "Result.txt", "Graph.txt", "Summary.txt"};
    return {"DATAM.", "ResultM.txt", "GraphM.txt", "SummaryM.txt"};
}

}  // namespace qf
