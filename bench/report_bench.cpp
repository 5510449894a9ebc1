// Speed of `trpfit report` on the example series: reading its three reports
// into the results model and rendering the page and its SVG figures. The
// target is 50 ms for the whole; main() measures it first and prints the
// figure, then the benchmarks show the parts.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "figures/report_figures.h"
#include "figures/report_page.h"
#include "figures/svg_plot.h"
#include "results/report_reader.h"

namespace {

using namespace qf;

results::ReportPaths examplePaths() {
    const std::string dir = std::string(QF_SOURCE_DIR) + "/tests/golden/";
    return {dir + "series_Result.txt", dir + "series_Graph.txt", dir + "series_Summary.txt"};
}

// Everything the command renders: the page and every figure file.
std::size_t render(const results::RunReports& run) {
    std::size_t bytes = figures::reportPageHtml(run).size();
    for (const auto& f : figures::firstPassFigures(run)) bytes += figures::svgDocument(f.plot).size();
    for (const auto& stage : run.stages) {
        for (const auto& f : figures::stageFigures(run, stage)) bytes += figures::svgDocument(f.plot).size();
    }
    return bytes;
}

void BM_ReadReports(benchmark::State& state) {
    const results::ReportPaths paths = examplePaths();
    for (auto _ : state) benchmark::DoNotOptimize(results::readReportFiles(paths));
}

void BM_RenderPageAndFigures(benchmark::State& state) {
    const results::RunReports run = results::readReportFiles(examplePaths());
    for (auto _ : state) benchmark::DoNotOptimize(render(run));
}

void BM_ReadAndRender(benchmark::State& state) {
    const results::ReportPaths paths = examplePaths();
    for (auto _ : state) benchmark::DoNotOptimize(render(results::readReportFiles(paths)));
}

BENCHMARK(BM_ReadReports)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderPageAndFigures)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAndRender)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    {
        // The best of 20 runs: the figure the machine can do, not its noise.
        const results::ReportPaths paths = examplePaths();
        double best = 1e9;
        std::size_t bytes = 0;
        for (int i = 0; i < 20; ++i) {
            const auto start = std::chrono::steady_clock::now();
            bytes = render(results::readReportFiles(paths));
            const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
            if (took.count() < best) best = took.count();
        }
        std::printf("example series: reports read and page with figures rendered (%zu bytes) in %.1f ms "
                    "(target: under 50 ms): %s\n",
                    bytes, best, best < 50 ? "met" : "MISSED");
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
