// trpfit run on 60 copies of the example series and 60 of the example
// spectrum: the wall time of `-j 2` against the programs run one after
// another from a shell loop (where each quenfit run's phase-plane stage has
// both cores), and the parallel efficiency of `-j 2`: CPU time of all
// analyses / (wall time x 2). Each set is measured on its own and both
// together; every measurement runs once (a run of the set is long enough).
//
//   build/bench/batch_bench            all figures
//   QF_BATCH_COPIES=10 build/bench/batch_bench   a quicker look

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include <sys/resource.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct Measured {
    double wall = 0;
    double cpu = 0;  // of the child processes
};

double childCpu() {
    struct rusage ru {};
    getrusage(RUSAGE_CHILDREN, &ru);
    return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
           static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) * 1e-6;
}

Measured timed(const std::string& command) {
    const double cpu0 = childCpu();
    const auto t0 = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) == -1) std::abort();
    const auto t1 = std::chrono::steady_clock::now();
    return {std::chrono::duration<double>(t1 - t0).count(), childCpu() - cpu0};
}

// Folders of copies: series/, spectra/ and both/ (all of them).
class Sets {
public:
    Sets() {
        const char* n = std::getenv("QF_BATCH_COPIES");
        copies_ = n != nullptr ? std::atoi(n) : 60;
        root_ = fs::temp_directory_path() / ("qf-batch-bench-" + std::to_string(getpid()));
        for (const char* set : {"series", "spectra", "both"}) fs::create_directories(root_ / set);
        for (int i = 1; i <= copies_; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "%03d.dat", i);
            const std::pair<const char*, const char*> files[] = {{"series", "series.dat"},
                                                                 {"spectra", "single.dat"}};
            for (const auto& [set, example] : files) {
                const fs::path from = fs::path(QF_SOURCE_DIR) / "examples" / example;
                fs::copy_file(from, root_ / set / name);
                fs::copy_file(from, root_ / "both" / (std::string(set) + "-" + name));
            }
        }
    }
    ~Sets() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    fs::path root() const { return root_; }

private:
    int copies_;
    fs::path root_;
};

Sets& sets() {
    static Sets s;
    return s;
}

std::map<std::string, Measured> sequential;

// One program run per file from a shell loop, as a user would write it.
void loopCommand(benchmark::State& state, const std::string& set) {
    const fs::path dir = sets().root() / set;
    const fs::path out = sets().root() / ("loop-" + set);
    fs::create_directories(out);
    const std::string command =
        "cd '" + out.string() + "' && for f in '" + dir.string() +
        "'/*.dat; do if [ \"$(sed -n 2p \"$f\" | wc -w)\" = 3 ]; then " QF_MONOFIT_EXE
        " \"$f\" R G S; else " QF_QUENFIT_EXE " \"$f\" R G S; fi; done";
    for (auto _ : state) {
        const Measured m = timed(command);
        state.SetIterationTime(m.wall);
        sequential[set] = m;
        state.counters["cpu_s"] = m.cpu;
    }
}

void batchCommand(benchmark::State& state, const std::string& set) {
    const fs::path dir = sets().root() / set;
    const fs::path out = sets().root() / ("batch-" + set);
    const std::string command = std::string(QF_TRPFIT_EXE) + " run -j 2 --quiet --force -o '" +
                                out.string() + "' '" + dir.string() + "' >/dev/null";
    for (auto _ : state) {
        const Measured m = timed(command);
        state.SetIterationTime(m.wall);
        state.counters["cpu_s"] = m.cpu;
        state.counters["efficiency"] = m.cpu / (m.wall * 2.0);
        const auto seq = sequential.find(set);
        if (seq != sequential.end()) state.counters["speedup"] = seq->second.wall / m.wall;
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    for (const char* set : {"series", "spectra", "both"}) {
        benchmark::RegisterBenchmark((std::string("shell_loop/") + set).c_str(), loopCommand,
                                     std::string(set))
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kSecond);
        benchmark::RegisterBenchmark((std::string("trpfit_run_j2/") + set).c_str(), batchCommand,
                                     std::string(set))
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kSecond);
    }
    sets();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
