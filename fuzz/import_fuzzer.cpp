// Fuzz target: the input bytes are an instrument export, read with the
// layout told from its content. An input that starts with the byte 0xFF
// instead forces a layout and a matrix orientation by its second byte. Reading it and putting every spectrum
// on a grid must either work or end with a refusal that names the export;
// anything else (a crash, a sanitizer report, another exception, a hang) is
// a finding.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "instrument/export.h"
#include "instrument/grid.h"
#include "textio/failure.h"

namespace {

[[noreturn]] void finding(const char* what, const std::string& detail) {
    std::fprintf(stderr, "fuzz finding: %s\n%s\n", what, detail.c_str());
    std::abort();
}

constexpr qf::instrument::Layout kLayouts[] = {
    qf::instrument::Layout::Auto,      qf::instrument::Layout::Columns,
    qf::instrument::Layout::Pairs,     qf::instrument::Layout::NamedRows,
    qf::instrument::Layout::KeyValue,  qf::instrument::Layout::HashData,
    qf::instrument::Layout::Jcamp,     qf::instrument::Layout::Traces,
    qf::instrument::Layout::Matrix,    qf::instrument::Layout::Restarts,
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    using namespace qf::instrument;
    ReadOptions options;
    std::string_view text(reinterpret_cast<const char*>(bytes), size);
    if (size >= 2 && bytes[0] == 0xFF) {
        options.layout = kLayouts[bytes[1] % std::size(kLayouts)];
        options.matrix = static_cast<MatrixOrientation>(bytes[1] / 16 % 3);
        text.remove_prefix(2);
    }
    try {
        const ExportFile file = readExport("export.txt", text, options);
        std::vector<OrderedSpectrum> ordered;
        for (const ExportSpectrum& s : file.spectra) ordered.push_back(orderSpectrum(file.name, s));
        std::vector<const OrderedSpectrum*> all;
        for (const OrderedSpectrum& s : ordered) all.push_back(&s);
        const WavelengthGrid grid = chooseGrid(all, 150, nullptr);
        if (grid.points < 61 || grid.points > 150 || grid.first > 320.0 || grid.last < 380.0) {
            finding("a grid outside the programs' rules", std::to_string(grid.points));
        }
        bool interpolated = false;
        for (const OrderedSpectrum& s : ordered) {
            const std::vector<double> v = valuesOnGrid(s, grid, interpolated);
            if (v.size() != static_cast<std::size_t>(grid.points)) finding("short spectrum", s.name);
        }
    } catch (const qf::RunFailure& e) {
        const std::string message = e.what();
        if (message.rfind("export.txt", 0) != 0) finding("refusal without the file name", message);
        if (message.find('\n') != std::string::npos) finding("refusal of several lines", message);
    }
    return 0;
}
