// Time of `trpfit import` on an instrument export of 50 spectra x 600
// points (tab-separated columns, 0.2 nm from 290 to 409.8 nm, intensities in
// exponent form): reading the export and putting every spectrum on the 1 nm
// grid, and the whole command for a 30-spectrum quenfit series from it
// (writing, reading back and checking the data file). Target: under 50 ms.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "band/band.h"
#include "instrument/export.h"
#include "instrument/grid.h"
#include "instrument/import.h"

namespace {

constexpr int kSpectra = 50;
constexpr int kPoints = 600;

std::string exportText() {
    std::string text = "Wavelength (nm)";
    for (int i = 0; i < kSpectra; ++i) text += "\tTrp " + std::to_string(i + 1);
    text += "\n";
    char buf[48];
    for (int k = 0; k < kPoints; ++k) {
        const double lambda = 290.0 + 0.2 * k;
        std::snprintf(buf, sizeof buf, "%.1f", lambda);
        text += buf;
        for (int i = 0; i < kSpectra; ++i) {
            const double q = 0.01 * i;
            const double v = 6000.0 / (1.0 + 3.0 * q) * qf::lognormalShape(331.0, lambda) +
                             5000.0 / (1.0 + 15.0 * q) * qf::lognormalShape(350.0, lambda);
            std::snprintf(buf, sizeof buf, "\t%.8E", v);
            text += buf;
        }
        text += "\n";
    }
    return text;
}

void BM_ReadAndGrid50x600(benchmark::State& state) {
    const std::string text = exportText();
    for (auto _ : state) {
        const qf::instrument::ExportFile file = qf::instrument::readExport("bench.txt", text);
        std::vector<qf::instrument::OrderedSpectrum> ordered;
        for (const auto& s : file.spectra) ordered.push_back(qf::instrument::orderSpectrum(file.name, s));
        std::vector<const qf::instrument::OrderedSpectrum*> all;
        for (const auto& s : ordered) all.push_back(&s);
        const auto grid = qf::instrument::chooseGrid(all, 150, nullptr);
        bool interpolated = false;
        double sum = 0.0;
        for (const auto& s : ordered) sum += qf::instrument::valuesOnGrid(s, grid, interpolated).back();
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_ReadAndGrid50x600)->Unit(benchmark::kMillisecond);

void BM_ImportSeries30of50(benchmark::State& state) {
    std::string folder = (std::filesystem::temp_directory_path() / "qf-import-bench-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        state.SkipWithError("cannot create a scratch folder");
        return;
    }
    const std::string input = folder + "/export.txt";
    {
        std::FILE* f = std::fopen(input.c_str(), "wb");
        const std::string text = exportText();
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    qf::instrument::ImportOptions o;
    for (int i = 1; i <= 30; ++i) o.inputs.push_back(input + ":" + std::to_string(i));
    for (int i = 0; i < 30; ++i) o.concentrations += std::to_string(0.01 * i) + " ";
    o.quencher = 1;
    o.corrected = true;
    o.output = folder + "/series.dat";
    o.force = true;
    for (auto _ : state) {
        const qf::instrument::ImportTextResult r = qf::instrument::runImport(o);
        if (r.outcome != qf::instrument::ImportOutcome::Done) {
            state.SkipWithError(r.message.c_str());
            break;
        }
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ImportSeries30of50)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
