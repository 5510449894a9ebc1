// One export read for the import form, before any option is settled: the
// layout it was read in and the spectra it holds, so that the page can offer
// them for choice and ask one concentration per spectrum taken.
#include <string>

#include "instrument/export.h"
#include "operations.h"
#include "textio/failure.h"

namespace qf::web {

namespace {

// The matrix option as `trpfit import --matrix` takes it.
instrument::MatrixOrientation matrixFromName(const std::string& name) {
    if (name == "ex-rows") return instrument::MatrixOrientation::ExRows;
    if (name == "ex-columns") return instrument::MatrixOrientation::ExColumns;
    return instrument::MatrixOrientation::Unknown;
}

std::string oneLine(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

}  // namespace

void scanExport(Exchange& ex) {
    ex.setOutput("layouts", instrument::layoutNames());
    instrument::ReadOptions options;
    const std::string& format = ex.input("format");
    if (!format.empty() && format != "auto" && !instrument::layoutFromName(format, options.layout)) {
        ex.setOutput("status", "2");
        ex.setOutput("message", "trpfit: unknown layout \"" + format + "\"");
        return;
    }
    options.matrix = matrixFromName(ex.input("matrix"));
    options.overrideHeader = ex.input("overrideHeader") == "1";
    try {
        const instrument::ExportFile file = instrument::readExport(ex.input("name"), ex.input("export"), options);
        std::string spectra;
        for (const instrument::ExportSpectrum& s : file.spectra) {
            spectra += oneLine(s.name) + "\t" + (s.byDefault ? "1" : "0") + "\t" + (s.corrected == instrument::Stated::Yes ? "1" : "0") +
                       "\t" + oneLine(s.correctedBecause) + "\t" +
                       (s.hasExcitation ? std::to_string(s.excitation) : std::string()) + "\n";
        }
        ex.setOutput("layout", instrument::layoutName(file.layout));
        ex.setOutput("spectra", spectra);
        ex.setOutput("status", "0");
    } catch (const RunFailure& failure) {
        ex.setOutput("status", "1");
        ex.setOutput("message", std::string("trpfit: ") + failure.what());
    }
}

}  // namespace qf::web
