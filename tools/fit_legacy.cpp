// The legacy programs' answers for a simulated file: quenfit or monofit run
// in this process on the file written to a scratch folder, its reports read
// back into the results model, and the summary's L +/- DL and discriminant
// kept per component stage.
#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "driver/run.h"
#include "results/report_reader.h"
#include "tools/fit_harness.h"

namespace qf::fitcheck {

namespace {

class ScratchFolder {
public:
    ScratchFolder() {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("qf-fitcheck-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string file(const char* name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

}  // namespace

LegacyEstimate legacyEstimate(const synth::SimulatedCase& c) {
    LegacyEstimate out;
    ScratchFolder dir;
    {
        std::ofstream data(dir.file("data.dat"), std::ios::binary);
        data << c.text;
    }
    const Program program = c.truth.series ? Program::Quenfit : Program::Monofit;
    std::ostringstream log, err;
    const int status = runProgram(
        program, {dir.file("data.dat"), dir.file("Result.txt"), dir.file("Graph.txt"), dir.file("Summary.txt")},
        "01-01-2026", log, err);
    if (status != 0) {
        out.failure = "exit status " + std::to_string(status) + ": " + err.str();
        return out;
    }
    results::RunReports reports;
    try {
        reports = results::readReportFiles({dir.file("Result.txt"), dir.file("Graph.txt"), dir.file("Summary.txt")});
    } catch (const results::ReportError& e) {
        out.failure = std::string("reports not read back: ") + e.what();
        return out;
    }
    // Every component fit that wrote a decomposition to the summary, in the
    // summary's order (monofit's fall-back from three components writes a
    // second two-component block).
    for (const results::Stage& stage : reports.stages) {
        if (!stage.summary || stage.summary->method != SummaryMethod::ComponentFit || stage.summary->absent) continue;
        const results::SummaryBlock& block = *stage.summary;
        LegacyStage st;
        st.components = block.components;
        st.discriminant = block.discriminant;
        for (const results::SummaryComponent& row : block.rows) {
            st.peaks.push_back({row.lNm, row.lNm - row.lError, row.lNm + row.lError});
        }
        out.stages.push_back(st);
    }
    if (out.stages.empty()) out.failure = "no component stage in the summary";
    return out;
}

}  // namespace qf::fitcheck
