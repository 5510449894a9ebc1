// The legacy programs' answers for a simulated file: quenfit or monofit run
// in this process on the file written to a scratch folder, their reports read
// back, the summary's L +/- DL and discriminant kept per stage.
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
    try {
        const results::RunReports run =
            results::readReportFiles({dir.file("Result.txt"), dir.file("Graph.txt"), dir.file("Summary.txt")});
        for (const results::Stage& stage : run.stages) {
            if (stage.kind == results::StageKind::Tarno || !stage.summary || stage.summary->rows.empty()) continue;
            LegacyStage s;
            s.components = static_cast<int>(stage.summary->rows.size());
            s.discriminant = stage.summary->discriminant;
            for (const results::SummaryComponent& row : stage.summary->rows) {
                s.peaks.push_back({row.lNm, row.lNm - row.lError, row.lNm + row.lError});
            }
            out.stages.push_back(s);
        }
    } catch (const std::exception& e) {
        out.failure = e.what();
    }
    return out;
}

}  // namespace qf::fitcheck
