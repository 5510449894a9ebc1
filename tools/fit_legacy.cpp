// The legacy programs' answers for a simulated file: quenfit or monofit run
// in this process on the file written to a scratch folder, the summary's
// L +/- DL and discriminant kept per component stage. Only the summary is
// read, by its column layout, so that the comparison does not depend on
// reading the other two reports back.
#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "driver/run.h"
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
    std::ifstream summary(dir.file("Summary.txt"), std::ios::binary);
    std::string line;
    bool open = false;
    while (std::getline(summary, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words;
        if (line.rfind("VELA", 0) == 0) {
            // "VELA- N" (quenfit) or "VELA - N" (monofit), DISCR., Nsc, then the first component.
            words.str(line.substr(line.find('-') + 1));
            LegacyStage st;
            int nsc = 0;
            words >> st.components >> st.discriminant >> nsc;
            out.stages.push_back(st);
            open = true;
        } else if (open && line.rfind("   ", 0) == 0) {
            words.str(line);
        } else {
            open = false;
            continue;
        }
        int component = 0;
        double l = 0.0, dl = 0.0;
        std::string plusMinus;
        if (words >> component >> l >> plusMinus >> dl && plusMinus == "+/-") {
            out.stages.back().peaks.push_back({l, l - dl, l + dl});
        }
    }
    if (out.stages.empty()) out.failure = "no component stage in the summary";
    return out;
}

}  // namespace qf::fitcheck
