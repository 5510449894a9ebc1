// Fuzz target: the input bytes are an instrument export, read with the
// layout told from its content. An input that starts with the byte 0xFF
// instead forces a layout and a matrix orientation by its second byte.
// Reading it and putting every spectrum on a grid must either work or end
// with a refusal that names the export. An input that starts with 0xFE runs
// the whole import in memory, with options from its second byte: it must
// give a data file the programs read or one line of refusal. Anything else
// (a crash, a sanitizer report, another exception, a hang) is a finding.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "instrument/export.h"
#include "instrument/grid.h"
#include "instrument/import_text.h"
#include "instrument/read_back.h"
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

// The whole import in memory: --corrected or the export as its own
// standard, --override-header, --matrix, monofit.
void importInMemory(std::uint8_t flags, std::string_view text) {
    using namespace qf::instrument;
    ImportOptions o;
    o.inputs = {"export.txt"};
    o.output = "out.dat";
    o.program = qf::Program::Monofit;
    if (flags & 1) o.corrected = true;
    else if (flags & 2) o.standard = "export.txt";
    o.overrideHeader = (flags & 4) != 0;
    o.matrix = (flags & 8) ? "ex-rows" : (flags & 16) ? "ex-columns" : "";
    const ImportTextResult r = importFromTexts(o, {{"export.txt", std::string(text)}});
    if (r.outcome == ImportOutcome::Done) {
        try {
            readBackDataText("out.dat", r.dataFile, false);
        } catch (const qf::RunFailure& e) {
            finding("a data file the programs refuse", e.what());
        }
        return;
    }
    if (r.message.empty() || r.message.find('\n') != std::string::npos) {
        finding("a refusal not in one line", r.message);
    }
    if (!r.dataFile.empty() || !r.summary.empty() || r.program) finding("a refusal with a data file", r.message);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    using namespace qf::instrument;
    ReadOptions options;
    std::string_view text(reinterpret_cast<const char*>(bytes), size);
    if (size >= 2 && bytes[0] == 0xFE) {
        importInMemory(bytes[1], text.substr(2));
        return 0;
    }
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
