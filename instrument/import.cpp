// The import itself, on texts: the options checked, the exports read and
// their spectra chosen, the program decided, the standard found, one grid,
// the data file's text written and read back with the programs' reader.
#include "instrument/import_core.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <new>

#include "instrument/export.h"
#include "instrument/grid.h"
#include "instrument/read_back.h"
#include "instrument/requests.h"
#include "instrument/text_table.h"
#include "prep/correction.h"
#include "quench/quencher.h"
#include "textio/failure.h"

namespace qf::instrument {

namespace {

namespace fs = std::filesystem;

[[noreturn]] void usage(const std::string& message) { throw UsageError(message); }

std::vector<double> parseConcentrations(const std::string& text) {
    std::string spaced = text;
    std::replace(spaced.begin(), spaced.end(), ',', ' ');
    std::replace(spaced.begin(), spaced.end(), ';', ' ');
    std::vector<double> values;
    for (std::string_view field : splitFields(spaced, ' ')) {
        double v = 0.0;
        if (!parseNumber(field, false, v)) {
            usage("--conc: \"" + readableText(field) + "\" is not a number");
        }
        values.push_back(v);
    }
    return values;
}

// With --corrected: the table value the programs read for each grid
// wavelength (the same index arithmetic as the correction), and the
// nearest end value of the table outside 310-400 nm. Every correction
// factor is then the same constant.
std::vector<double> tableStandard(const WavelengthGrid& g) {
    const auto& table = standardSpectrumTable();
    const int p = g.points;
    std::vector<double> v(static_cast<std::size_t>(p), table[91]);
    int upper = 0;
    if (g.last > 400.0) {
        for (double x = g.last; x > 400.0; x -= g.step) ++upper;
    }
    int lower = 0;
    if (g.first < 310.0) {
        for (double x = g.first; x < 310.0; x += g.step) ++lower;
    }
    for (int k = 0; k < lower; ++k) v[static_cast<std::size_t>(k)] = table[1];
    for (int k = 1; k <= p - upper - lower; ++k) {
        const double t = g.first >= 310.0 ? (g.first - 310.0) + (k - 1) * g.step + 1.0
                                          : (k - 1) * g.step + 1.0;
        v[static_cast<std::size_t>(k - 1 + lower)] = table[static_cast<std::size_t>(tableIndex(t))];
    }
    return v;
}

// A recorded standard of 0 or less where the correction divides by it.
void checkStandard(const OrderedSpectrum& s, const WavelengthGrid& g, const std::vector<double>& v) {
    for (int k = 0; k < g.points; ++k) {
        const double lambda = g.at(k);
        if (lambda < 310.0 || lambda > 400.0 || v[static_cast<std::size_t>(k)] > 0.0) continue;
        int line = s.samples.front().line;
        for (const Sample& sample : s.samples) {
            if (sample.x <= lambda + kSameWavelength) line = sample.line;
        }
        fail(s.file + ", line " + std::to_string(line) + ": the standard \"" + s.name + "\" is " +
             exactText(v[static_cast<std::size_t>(k)]) + " at " + exactText(lambda) +
             " nm; the correction divides by it");
    }
}

void appendValues(std::string& out, const std::vector<double>& values) {
    for (std::size_t k = 0; k < values.size(); ++k) {
        out += exactText(values[k]);
        out += (k + 1) % 10 == 0 || k + 1 == values.size() ? "\n" : " ";
    }
}

std::string printable(const std::string& text) {
    std::string out = readableText(text);
    if (out.size() > 200) out.resize(200);
    return out;
}

// The read-back of the data file's text with the programs' own reader: a
// file that fails here would fail the program's run.
DataFileValues checkDataText(const std::string& shown, const std::string& text, Program program) {
    const bool series = program == Program::Quenfit;
    try {
        return readBackDataText(shown, text, series);
    } catch (const RunFailure& e) {
        fail(shown + " would not be read by " + programName(program) + ": " + e.what());
    }
}

struct Chosen {
    std::string file;
    const ExportSpectrum* spectrum;
    bool hasConcentration;
    double concentration;
};

// Options that contradict each other or cannot be read: a usage error.
void checkOptions(const ImportOptions& o, ReadOptions& read, WavelengthGrid& requested) {
    if (!layoutFromName(o.format, read.layout)) {
        usage("--format " + o.format + ": not one of " + layoutNames());
    }
    if (o.matrix == "ex-rows") read.matrix = MatrixOrientation::ExRows;
    else if (o.matrix == "ex-columns") read.matrix = MatrixOrientation::ExColumns;
    else if (!o.matrix.empty()) usage("--matrix " + o.matrix + ": say ex-rows or ex-columns");
    read.overrideHeader = o.overrideHeader;
    if (o.corrected && !o.standard.empty()) usage("say either --corrected or --standard FILE, not both");
    if (!o.series.empty() && !o.inputs.empty()) {
        usage("--series names the spectra: give no input files besides it");
    }
    if (!o.series.empty() && !o.concentrations.empty()) usage("say either --conc or --series, not both");
    if (o.series.empty() && o.inputs.empty()) usage("name at least one export (or --series MANIFEST)");
    if (o.quencher != 0 && (o.quencher < 1 || o.quencher > 5)) {
        usage("--quencher " + std::to_string(o.quencher) + ": quencher types are 1 to 5");
    }
    if (o.hasTitle && o.title.find_first_of("\r\n") != std::string::npos) {
        usage("--title: the title is one line");
    }
    if (!o.grid.empty() && !parseGridText(o.grid, requested)) {
        usage("--grid " + o.grid + ": say FIRST:LAST:STEP in nm, for example 300:399:1");
    }
}

// quenfit for a series, monofit for one spectrum; the counts and the
// series checks of the programs, in their words.
Program decideProgram(const ImportOptions& o, int n, const std::vector<double>& concentrations) {
    const bool seriesAsked = !concentrations.empty() || o.quencher != 0;
    const bool series = o.program ? *o.program == Program::Quenfit : seriesAsked || n > 1;
    if (series) {
        if (concentrations.empty()) {
            fail(std::to_string(n) + " spectra make a quenching series: say --conc LIST or "
                 "--series MANIFEST with one concentration per spectrum (or --program monofit "
                 "for one spectrum)");
        }
        if (o.quencher == 0) fail("a quenching series needs the quencher type: say --quencher 1 to 5");
        if (static_cast<int>(concentrations.size()) != n) {
            fail(std::to_string(n) + " spectra but " + std::to_string(concentrations.size()) +
                 " concentrations: give one concentration per spectrum, in order");
        }
        if (n > seriesSpectraLimit()) {
            fail("the spectrum count " + std::to_string(n) + " is outside 1 to " +
                 std::to_string(seriesSpectraLimit()));
        }
        QuencherSeries q;
        q.type = o.quencher;
        q.concentration = concentrations;
        setUpQuencher(q);
        checkSeries(q);
    } else {
        if (n != 1) fail("monofit reads one spectrum; " + std::to_string(n) + " were named");
        if (seriesAsked) fail("monofit reads no quencher series: drop --quencher and --conc");
    }
    return series ? Program::Quenfit : Program::Monofit;
}

// Where the header said it, for messages: "FILE, line N" or "FILE".
std::string statedAt(const Chosen& c) {
    const int line = c.spectrum->correctedLine;
    return c.file + (line > 0 ? ", line " + std::to_string(line) : std::string());
}

// Whether the spectra are corrected: by --corrected, by --standard, or by
// what the exports say; an option that contradicts an export is refused
// unless --override-header. Returns how the summary names the standard;
// adds what the command line overrode to `overrides`.
std::string standardSource(const ImportOptions& o, const std::vector<Chosen>& chosen,
                           std::vector<std::string>& overrides) {
    const Chosen* correctedOne = nullptr;
    const Chosen* rawOne = nullptr;    // said to be not corrected
    const Chosen* unsaidOne = nullptr;
    for (const Chosen& c : chosen) {
        const Stated state = c.spectrum->corrected;
        if (state == Stated::Yes && correctedOne == nullptr) correctedOne = &c;
        if (state == Stated::No && rawOne == nullptr) rawOne = &c;
        if (state == Stated::Unsaid && unsaidOne == nullptr) unsaidOne = &c;
    }
    const std::string overrideHint = "; say --override-header to take the command line's word";
    if (o.corrected) {
        if (rawOne != nullptr) {
            if (!o.overrideHeader) {
                fail(statedAt(*rawOne) + ": the export says \"" + rawOne->spectrum->name +
                     "\" is not corrected (" + rawOne->spectrum->correctedBecause +
                     "), but --corrected says it is: give the instrument's recording of the "
                     "standard with --standard FILE" + overrideHint);
            }
            overrides.push_back("--corrected overrides " + statedAt(*rawOne) + " (" +
                                rawOne->spectrum->correctedBecause + ")");
        }
        return "built-in table (spectra corrected)";
    }
    if (!o.standard.empty()) {
        if (correctedOne != nullptr) {
            if (!o.overrideHeader) {
                fail(statedAt(*correctedOne) + ": \"" + correctedOne->spectrum->name +
                     "\" is already corrected (" + correctedOne->spectrum->correctedBecause +
                     "); a measured standard would correct it twice: say --corrected instead" +
                     overrideHint);
            }
            overrides.push_back("--standard overrides " + statedAt(*correctedOne) + " (" +
                                correctedOne->spectrum->correctedBecause + ")");
        }
        return {};
    }
    if (rawOne != nullptr) {
        if (correctedOne != nullptr) {
            fail(rawOne->file + ": \"" + rawOne->spectrum->name + "\" is not corrected but \"" +
                 correctedOne->spectrum->name + "\" is; import them separately");
        }
        fail(statedAt(*rawOne) + ": the export says \"" + rawOne->spectrum->name +
             "\" is not corrected (" + rawOne->spectrum->correctedBecause +
             "): say --standard FILE with the instrument's recording of the standard");
    }
    if (correctedOne != nullptr && unsaidOne != nullptr) {
        fail(unsaidOne->file + ": \"" + unsaidOne->spectrum->name + "\" is not corrected but \"" +
             correctedOne->spectrum->name + "\" is; import them separately");
    }
    if (correctedOne == nullptr) {
        fail(chosen.front().file + ": the export does not say whether its spectra are corrected "
             "for the instrument: say --corrected or --standard FILE");
    }
    return "built-in table (spectra corrected: " + statedAt(*correctedOne) + ": " +
           correctedOne->spectrum->correctedBecause + ")";
}

// The data file: title, line 2, the concentrations (series), the spectra
// and the standard, ten numbers a line, each reading back to its double.
std::string dataFileText(const ImportOptions& o, const std::vector<std::string>& files, bool series,
                         const std::vector<double>& concentrations, const WavelengthGrid& grid,
                         const std::vector<std::vector<double>>& values,
                         const std::vector<double>& standardValues) {
    std::string title = o.title;
    if (!o.hasTitle) {
        title = "Imported from ";
        for (std::size_t i = 0; i < files.size(); ++i) {
            title += (i == 0 ? "" : ", ") + fs::path(files[i]).filename().string();
        }
    }
    std::string text = printable(title) + "\n";
    const std::string gridText = exactText(grid.first) + " " + exactText(grid.last) + " " +
                                 exactText(grid.step);
    if (series) {
        text += std::to_string(o.quencher) + " " + std::to_string(values.size()) + " " + gridText +
                "\n";
        for (std::size_t j = 0; j < concentrations.size(); ++j) {
            text += exactText(concentrations[j]) + (j + 1 == concentrations.size() ? "\n" : " ");
        }
    } else {
        text += gridText + "\n";
    }
    for (const auto& v : values) appendValues(text, v);
    appendValues(text, standardValues);
    return text;
}

void importSpectra(const ImportOptions& o, const TextSource& source, ExportCache& cache,
                   const WavelengthGrid* requested, const std::string& output,
                   ImportTextResult& result) {
    // The spectra asked for, in series order.
    std::vector<Request> requests;
    if (!o.series.empty()) {
        requests = readManifest(o.series, source);
    } else {
        for (const std::string& input : o.inputs) requests.push_back(splitRequest(input, source));
    }
    std::vector<Chosen> chosen;
    std::vector<std::string> files;
    for (const Request& r : requests) {
        const ExportFile& file = cache.get(r.file);
        const auto picked = selectSpectra(file, r.selector);
        if (r.hasConcentration && picked.size() != 1) {
            fail(o.series + ": \"" + r.file + "\" holds " + std::to_string(picked.size()) +
                 " spectra; name one in the spectrum column");
        }
        for (const ExportSpectrum* s : picked) {
            chosen.push_back({r.file, s, r.hasConcentration, r.concentration});
        }
        if (std::find(files.begin(), files.end(), r.file) == files.end()) files.push_back(r.file);
    }
    const int n = static_cast<int>(chosen.size());

    // quenfit or monofit, and the series checks of the programs.
    std::vector<double> concentrations;
    if (!o.concentrations.empty()) concentrations = parseConcentrations(o.concentrations);
    if (!o.series.empty()) {
        for (const Chosen& c : chosen) concentrations.push_back(c.concentration);
    }
    const Program program = decideProgram(o, n, concentrations);
    const bool series = program == Program::Quenfit;

    // The measured standard, or the table for corrected spectra.
    std::vector<std::string> overrides;
    std::string standardText = standardSource(o, chosen, overrides);
    std::unique_ptr<OrderedSpectrum> standard;
    if (!o.standard.empty()) {
        const Request r = splitRequest(o.standard, source);
        const ExportFile& file = cache.get(r.file);
        const auto picked = selectSpectra(file, r.selector);
        if (picked.size() != 1) {
            fail(r.file + ": holds " + std::to_string(picked.size()) +
                 " spectra; say --standard FILE:SPECTRUM (" + spectrumList(file) + ")");
        }
        standard = std::make_unique<OrderedSpectrum>(orderSpectrum(r.file, *picked.front()));
        standardText = r.file + (r.selector.empty() ? "" : ":" + r.selector);
    }

    // One grid for all.
    std::vector<OrderedSpectrum> ordered;
    for (const Chosen& c : chosen) ordered.push_back(orderSpectrum(c.file, *c.spectrum));
    std::vector<const OrderedSpectrum*> all;
    for (const OrderedSpectrum& s : ordered) all.push_back(&s);
    if (standard) all.push_back(standard.get());
    const int maxPoints = gridPointLimit(series);
    const WavelengthGrid grid = chooseGrid(all, maxPoints, requested);
    bool interpolated = false;
    std::vector<std::vector<double>> values;
    for (const OrderedSpectrum& s : ordered) values.push_back(valuesOnGrid(s, grid, interpolated));
    std::vector<double> standardValues;
    if (standard) {
        standardValues = valuesOnGrid(*standard, grid, interpolated);
        checkStandard(*standard, grid, standardValues);
    } else {
        standardValues = tableStandard(grid);
    }

    // The data file.
    const std::string text = dataFileText(o, files, series, concentrations, grid, values,
                                          standardValues);
    const DataFileValues back = checkDataText(output, text, program);
    if (back.spectra != values || back.standard != standardValues ||
        (series && back.concentrations != concentrations)) {
        fail(output + ": the written numbers do not read back to the same values");
    }

    // What was done, in one line; and what the command line overrode.
    for (const std::string& name : cache.order()) {
        const ExportFile* file = cache.find(name);
        if (file != nullptr && file->isMatrix && !file->matrix.overridden.empty()) {
            overrides.push_back(file->matrix.because + " overrides " + file->matrix.overridden);
        }
    }
    double inputStep = 0.0;
    for (const OrderedSpectrum& s : ordered) inputStep = std::max(inputStep, typicalStep(s));
    std::string how;
    if (interpolated) how = " (interpolated from " + exactText(inputStep) + " nm)";
    else if (inputStep != grid.step) how = " (taken from " + exactText(inputStep) + " nm)";
    std::string summary = output + ": " + std::to_string(n) + (n == 1 ? " spectrum" : " spectra") +
                          " from " + std::to_string(files.size()) +
                          (files.size() == 1 ? " file" : " files") + " for " + programName(program) +
                          ", grid " +
                          exactText(grid.first) + "-" + exactText(grid.last) + " nm step " +
                          exactText(grid.step) + how + ", standard: " + standardText;
    for (const std::string& what : overrides) summary += "; " + what;
    result.dataFile = text;
    result.summary = summary;
    result.program = program;
}

// What each export read states, for the page.
std::vector<ExportFacts> factsOf(const ExportCache& cache) {
    std::vector<ExportFacts> out;
    for (const std::string& name : cache.order()) {
        const ExportFile* file = cache.find(name);
        if (file == nullptr) continue;
        ExportFacts f;
        f.file = name;
        f.layout = layoutName(file->layout);
        bool any = false;
        for (const ExportSpectrum& s : file->spectra) {
            f.spectra.push_back(s.name);
            for (const Sample& sample : s.samples) {
                f.firstNm = any ? std::min(f.firstNm, sample.x) : sample.x;
                f.lastNm = any ? std::max(f.lastNm, sample.x) : sample.x;
                any = true;
            }
            if (s.hasExcitation) {
                const bool first = f.spectra.size() == 1;
                f.firstExcitation = first ? s.excitation : std::min(f.firstExcitation, s.excitation);
                f.lastExcitation = first ? s.excitation : std::max(f.lastExcitation, s.excitation);
            }
        }
        // The statement of the first spectrum that makes one.
        for (const ExportSpectrum& s : file->spectra) {
            if (s.corrected == Stated::Unsaid) continue;
            f.corrected = s.corrected == Stated::Yes ? "yes" : "no";
            f.correctedBecause = s.correctedBecause;
            f.correctedLine = s.correctedLine;
            break;
        }
        for (const HeaderStatement& h : file->header.statements) {
            f.statements.push_back({h.line, h.text, h.meaning});
        }
        if (file->isMatrix) {
            f.matrix = true;
            f.orientation = file->matrix.orientation == MatrixOrientation::ExRows ? "ex-rows" : "ex-columns";
            f.orientationBecause = file->matrix.because;
            f.orientationLine = file->matrix.line;
            f.overridden = file->matrix.overridden;
        }
        out.push_back(std::move(f));
    }
    return out;
}

void importOrThrow(const ImportOptions& o, const TextSource& source,
                   const std::function<void()>& beforeReading, ImportTextResult& result) {
    ReadOptions read;
    WavelengthGrid requested;
    checkOptions(o, read, requested);
    const bool gridGiven = !o.grid.empty();
    const std::string output = o.output.empty() ? std::string("DATA.") : o.output;
    if (beforeReading) beforeReading();

    ExportCache cache(read, source);
    try {
        importSpectra(o, source, cache, gridGiven ? &requested : nullptr, output, result);
    } catch (...) {
        result.exports = factsOf(cache);
        throw;
    }
    result.exports = factsOf(cache);
}

}  // namespace

ImportTextResult importWith(const ImportOptions& options, const TextSource& source,
                            const std::function<void()>& beforeReading) {
    ImportTextResult result;
    try {
        importOrThrow(options, source, beforeReading, result);
        result.outcome = ImportOutcome::Done;
        return result;
    } catch (const UsageError& e) {
        result.outcome = ImportOutcome::ContradictoryOptions;
        result.message = e.what();
    } catch (const RunFailure& e) {
        result.outcome = ImportOutcome::Refused;
        result.message = e.what();
    } catch (const FileFailure& e) {
        result.outcome = ImportOutcome::Refused;
        result.message = e.what();
    } catch (const std::bad_alloc&) {
        result.outcome = ImportOutcome::Refused;
        result.message = "out of memory";
    }
    result.dataFile.clear();
    result.summary.clear();
    result.program.reset();
    return result;
}

}  // namespace qf::instrument
