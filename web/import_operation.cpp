// `trpfit import` on the exports a user dropped: the texts and the options
// of the form in, the data file's text, the summary line and what the
// exports' headers state out, or the refusal in the command line's words
// with its exit status.
#include <algorithm>
#include <string>
#include <vector>

#include "instrument/import_text.h"
#include "textio/program.h"
#include "operations.h"

namespace qf::web {

namespace {

// A number as the facts line shows it.
std::string nm(double value) {
    std::string text = std::to_string(value);
    text.erase(text.find_last_not_of('0') + 1);
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

std::string onLine(int line) { return line > 0 ? ", line " + std::to_string(line) : ""; }

// One line per export: its layout, spectra, wavelengths, what it says about
// the correction and, for a matrix, how it lies; then one line per header
// statement the import understood.
std::string factsLine(const instrument::ExportFacts& f) {
    std::string line = f.file + ": " + f.layout + " layout, " + std::to_string(f.spectra.size()) +
                       (f.spectra.size() == 1 ? " spectrum" : " spectra");
    if (!f.spectra.empty()) {
        line += " (";
        for (std::size_t i = 0; i < f.spectra.size(); ++i) line += (i ? ", " : "") + f.spectra[i];
        line += ")";
    }
    line += ", " + nm(f.firstNm) + " to " + nm(f.lastNm) + " nm";
    if (f.corrected == "yes") line += "; corrected for the instrument";
    if (f.corrected == "no") line += "; not corrected for the instrument";
    if (!f.corrected.empty() && !f.correctedBecause.empty())
        line += " (\"" + f.correctedBecause + "\"" + onLine(f.correctedLine) + ")";
    if (f.matrix) {
        line += "; matrix " + f.orientation + ", excitation " + nm(f.firstExcitation) + " to " +
                nm(f.lastExcitation) + " nm";
        if (!f.orientationBecause.empty()) line += " (" + f.orientationBecause + onLine(f.orientationLine) + ")";
        if (!f.overridden.empty()) line += "; overridden: " + f.overridden;
    }
    // Then every header line the import understood, with what it took it to say.
    for (const instrument::ExportFacts::Statement& st : f.statements) {
        line += "\n" + f.file + ", line " + std::to_string(st.line) + ": " + st.meaning + " (\"" + st.text + "\")";
    }
    return line;
}

// The export's name with the spectrum chosen in it, as FILE:SPECTRUM.
std::string request(const std::string& name, const std::string& spectrum) {
    return spectrum.empty() ? name : name + ":" + spectrum;
}

}  // namespace

void importExports(Exchange& ex) {
    instrument::ImportOptions options;
    std::vector<instrument::ExportText> texts;
    const auto add = [&texts](const std::string& name, const std::string& content) {
        const bool known = std::any_of(texts.begin(), texts.end(),
                                       [&name](const instrument::ExportText& t) { return t.name == name; });
        if (!known) texts.push_back({name, content});
    };
    const int count = ex.intInput("count", 0);
    for (int i = 0; i < count; ++i) {
        const std::string key = "export." + std::to_string(i);
        add(ex.input(key + ".name"), ex.input(key));
        options.inputs.push_back(request(ex.input(key + ".name"), ex.input(key + ".spectrum")));
    }
    if (ex.hasInput("standard")) {
        add(ex.input("standard.name"), ex.input("standard"));
        options.standard = request(ex.input("standard.name"), ex.input("standard.spectrum"));
    }
    options.output = ex.input("output");
    if (!ex.input("format").empty()) options.format = ex.input("format");
    options.matrix = ex.input("matrix");
    options.grid = ex.input("grid");
    options.corrected = ex.input("corrected") == "1";
    options.overrideHeader = ex.input("overrideHeader") == "1";
    options.quencher = ex.intInput("quencher", 0);
    options.concentrations = ex.input("concentrations");
    const std::string& program = ex.input("program");
    options.program = programNamed(program);
    options.hasTitle = ex.hasInput("title");
    options.title = ex.input("title");

    if (!program.empty() && !options.program) {
        ex.setOutput("facts", "");
        ex.setOutput("status", "2");
        ex.setOutput("message", "trpfit import: --program " + program + ": say quenfit or monofit");
        return;
    }

    const instrument::ImportTextResult result = instrument::importFromTexts(options, texts);
    std::string facts;
    for (const instrument::ExportFacts& f : result.exports) facts += (facts.empty() ? "" : "\n") + factsLine(f);
    ex.setOutput("facts", facts);
    // The exit status and the lines `trpfit import` would print.
    switch (result.outcome) {
        case instrument::ImportOutcome::Done:
            break;
        case instrument::ImportOutcome::Refused:
            ex.setOutput("status", "1");
            ex.setOutput("message", "trpfit: " + result.message);
            return;
        case instrument::ImportOutcome::ContradictoryOptions:
            ex.setOutput("status", "2");
            ex.setOutput("message", "trpfit import: " + result.message);
            return;
    }
    ex.setOutput("status", "0");
    ex.setOutput("data", result.dataFile);
    ex.setOutput("summary", "trpfit: " + result.summary);
    ex.setOutput("program", result.program ? programName(*result.program) : "");
}

}  // namespace qf::web
