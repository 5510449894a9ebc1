// Writes the bundled example data files from a known truth:
//   examples/series.dat  quenching series, 10 spectra, 300-399 nm at 1 nm,
//                        bands at 331 nm (Ksv 3 /M) and 350 nm (Ksv 15 /M),
//                        potassium iodide-like type 1 quencher, 0.2 % noise
//   examples/single.dat  one spectrum, 300-420 nm at 1 nm, bands at 331 and
//                        350 nm, 0.2 % noise
// Usage: make_examples OUTPUT_FOLDER
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "tools/synthetic_data.h"

namespace {

bool writeText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_examples OUTPUT_FOLDER\n";
        return 2;
    }
    const std::string folder = argv[1];
    qf::synth::SeriesSpec series;
    series.title = "Example quenching series: bands at 331 nm (Ksv 3) and 350 nm (Ksv 15), type 1";
    series.quencherType = 1;
    series.concentrations = {0.0, 0.05, 0.1, 0.15, 0.2, 0.25, 0.3, 0.35, 0.4, 0.45};
    series.components = {{331.0, 6000.0, 3.0}, {350.0, 4000.0, 15.0}};
    series.noise = 0.002;
    series.seed = 20261207;

    qf::synth::SeriesSpec single = series;
    single.title = "Example single spectrum: bands at 331 nm and 350 nm";
    single.last = 420.0;
    single.concentrations = {0.0};
    single.seed = 7;

    const bool ok = writeText(folder + "/series.dat", qf::synth::seriesFile(series)) &&
                    writeText(folder + "/single.dat", qf::synth::singleSpectrumFile(single));
    if (!ok) {
        std::cerr << "make_examples: cannot write into " << folder << "\n";
        return 1;
    }
    return 0;
}
