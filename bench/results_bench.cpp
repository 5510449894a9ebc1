// Time to read the three reports of the example quenching series (10
// spectra, 300-399 nm at 1 nm, four stages) into the results model, and to
// make its tables. The page and figures are drawn from the same model; the
// whole of `trpfit report` on the example is to stay under 50 ms.

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

#include "results/report_reader.h"
#include "results/tables.h"

namespace {

std::string golden(const std::string& name) {
    std::ifstream in(std::string(QF_SOURCE_DIR) + "/tests/golden/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

qf::results::ReportTexts exampleSeries() {
    qf::results::ReportTexts t;
    t.paths = {"Result.txt", "Graph.txt", "Summary.txt"};
    t.result = golden("series_Result.txt");
    t.graph = golden("series_Graph.txt");
    t.summary = golden("series_Summary.txt");
    return t;
}

void BM_ReadExampleSeries(benchmark::State& state) {
    const qf::results::ReportTexts texts = exampleSeries();
    for (auto _ : state) {
        qf::results::RunReports run = qf::results::readReports(texts);
        benchmark::DoNotOptimize(run);
    }
}
BENCHMARK(BM_ReadExampleSeries)->Unit(benchmark::kMillisecond);

void BM_ReadAndTabulateExampleSeries(benchmark::State& state) {
    const qf::results::ReportTexts texts = exampleSeries();
    for (auto _ : state) {
        const qf::results::RunReports run = qf::results::readReports(texts);
        std::string csv = qf::results::componentsCsv(run, "series") +
                          qf::results::contributionsCsv(run, "series") + qf::results::spectraCsv(run);
        benchmark::DoNotOptimize(csv);
    }
}
BENCHMARK(BM_ReadAndTabulateExampleSeries)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
