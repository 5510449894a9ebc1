// What an export's header says, and what the import makes of it: number
// lines of a header are never data, a time trace is refused as such,
// "corrected" and "not corrected" decide the standard and are held against
// the options, the header tells a matrix's orientation, and paired
// wavelength columns never become spectra. The exports are texts in
// memory; the in-memory import is the command line's.

#include <gtest/gtest.h>

#include "import_fixtures.h"
#include "instrument/import_text.h"

namespace qf::testing {
namespace {

using instrument::ExportText;
using instrument::ImportOptions;
using instrument::ImportOutcome;
using instrument::ImportTextResult;

// Rows "x<TAB>y" of the known emission from `first` to `last` by `step`.
std::string emissionRows(double first, double last, double step, double quench = 0.0) {
    std::string text;
    for (double x = first; x <= last + 1e-9; x += step) {
        text += printed("%.1f", x) + "\t" + printed("%.4f", knownEmission(x, quench)) + "\n";
    }
    return text;
}

struct Import {
    ImportOptions options;
    std::vector<ExportText> texts;

    Import& add(const std::string& name, const std::string& text) {
        texts.push_back({name, text});
        return *this;
    }
    // An export that is also an input.
    Import& input(const std::string& name, const std::string& text) {
        options.inputs.push_back(name);
        return add(name, text);
    }
    ImportTextResult run() const { return instrument::importFromTexts(options, texts); }
};

// Expects a refusal whose message holds `words`.
void expectRefused(const ImportTextResult& r, const std::string& words) {
    EXPECT_EQ(r.outcome, ImportOutcome::Refused) << words << "\n" << r.message << r.summary;
    EXPECT_NE(r.message.find(words), std::string::npos) << r.message;
    EXPECT_TRUE(r.dataFile.empty());
}

std::vector<std::vector<double>> spectraOf(const ImportTextResult& r) {
    EXPECT_EQ(r.outcome, ImportOutcome::Done) << r.message;
    if (r.outcome != ImportOutcome::Done) return {};
    return instrument::readBackDataText("data", r.dataFile, r.program == Program::Quenfit).spectra;
}

TEST(ImportHeader, NumberLinesOfAHeaderAreNeverData) {
    // "1 0 0" and "539 328" in the header: once taken for a spectrum from 1
    // to 539 nm, interpolated straight across 320-380 nm.
    Import in;
    in.options.corrected = true;
    in.input("scan.txt", "Sample: Trp in buffer\nInstrument settings\n1 0 0\n539 328\n"
                       "Operator: lab\n\nWavelength (nm)\tIntensity\n" +
                           emissionRows(300, 420, 1));
    const auto v = spectraOf(in.run());
    ASSERT_EQ(v.size(), 1u);
    ASSERT_EQ(v[0].size(), 121u);  // 300-420
    for (std::size_t k = 0; k < v[0].size(); k += 10) {
        const double lambda = 300.0 + static_cast<double>(k);
        EXPECT_EQ(bits(v[0][k]), bits(std::strtod(printed("%.4f", knownEmission(lambda)).c_str(), nullptr)))
            << lambda;
    }
    // Right above the data, with no line between: refused, never drawn.
    Import bare;
    bare.options.corrected = true;
    bare.add("bare.txt", "Trp\n1\t0\t0\n539\t328\n" + emissionRows(300, 420, 1));
    bare.options.inputs = {"bare.txt:1"};
    expectRefused(bare.run(), "bare.txt, line 2: not a wavelength scan: \"bare, column 2\" has x = 1 here");
}

TEST(ImportHeader, ATimeTraceIsRefusedAsSuch) {
    // x from 300 to 900 s: wavelengths by their numbers, seconds by the header.
    Import fixed;
    fixed.options.corrected = true;
    fixed.input("kinetics.txt", "Sample: Trp\nEX WL:\t295.0 nm\nEM WL:\t350.0 nm\nEX Slit:\t5.0 nm\n\n" +
                                  emissionRows(300, 900, 1));
    expectRefused(fixed.run(), "kinetics.txt, line 3: a time trace: the header fixes the excitation "
                               "(line 2: \"EX WL: 295.0 nm\") and the emission wavelength (line 3");
    // An emission scan states a fixed excitation and an emission range.
    Import scan;
    scan.options.corrected = true;
    scan.input("scan.txt", "Sample: Trp\nEX WL:\t295.0 nm\nEM Start WL:\t300.0 nm\nEM End WL:\t420.0 nm\n"
                         "EX Slit:\t5.0 nm\n\n" + emissionRows(300, 420, 1));
    EXPECT_EQ(scan.run().outcome, ImportOutcome::Done) << scan.run().message;
    // Told by the scan type, by the first column's name, or by the numbers.
    Import typed;
    typed.options.corrected = true;
    typed.input("typed.txt", "Measurement type: Time scan\n\n" + emissionRows(300, 900, 1));
    expectRefused(typed.run(), "typed.txt, line 1: a time trace (\"Measurement type: Time scan\")");
    Import labelled;
    labelled.options.corrected = true;
    labelled.input("labelled.csv", "Time (s)\tIntensity\n" + emissionRows(300, 900, 1));
    expectRefused(labelled.run(), "labelled.csv, line 1: a time trace (its first column is \"Time (s)\")");
    Import seconds;
    seconds.options.corrected = true;
    std::string clock;
    for (int t = 0; t <= 600; ++t) clock += std::to_string(t) + "\t" + printed("%.2f", 5000.0 - t) + "\n";
    seconds.input("seconds.txt", clock);
    expectRefused(seconds.run(), "seconds.txt, line 1: not a wavelength scan: \"seconds\" has x = 0 here");
}

// One spectrum under a header line about the correction.
std::string stated(const std::string& line) {
    return "Sample: Trp\n" + line + "\n\nWavelength\tIntensity\n" + emissionRows(300, 420, 1);
}

std::string standardRecording() {
    std::string text;
    for (int l = 300; l <= 420; ++l) text += std::to_string(l) + "\t" + printed("%.3f", 50.0 + l) + "\n";
    return text;
}

TEST(ImportHeader, ACorrectedHeaderAgainstEachOption) {
    Import in;
    in.add("on.txt", stated("Corrected spectra: On")).add("std.txt", standardRecording());
    in.options.inputs = {"on.txt"};
    ImportTextResult r = in.run();  // taken as --corrected
    EXPECT_EQ(r.outcome, ImportOutcome::Done) << r.message;
    EXPECT_NE(r.summary.find("standard: built-in table (spectra corrected: on.txt, line 2: "
                             "\"Corrected spectra: On\")"),
              std::string::npos) << r.summary;
    ASSERT_EQ(r.exports.size(), 1u);
    EXPECT_EQ(r.exports[0].corrected, "yes");
    EXPECT_EQ(r.exports[0].correctedLine, 2);
    in.options.corrected = true;
    EXPECT_EQ(in.run().outcome, ImportOutcome::Done);
    // A recorded standard would correct it twice.
    in.options.corrected = false;
    in.options.standard = "std.txt";
    expectRefused(in.run(), "on.txt, line 2: \"Intensity\" is already corrected (\"Corrected spectra: On\")");
    in.options.overrideHeader = true;
    r = in.run();
    EXPECT_EQ(r.outcome, ImportOutcome::Done) << r.message;
    EXPECT_NE(r.summary.find("standard: std.txt; --standard overrides on.txt, line 2"), std::string::npos)
        << r.summary;
    // "True" says the same.
    Import yes;
    yes.options.inputs = {"true.txt"};
    yes.add("true.txt", stated("Spectral correction = True"));
    EXPECT_EQ(yes.run().outcome, ImportOutcome::Done) << yes.run().message;
}

TEST(ImportHeader, AnUncorrectedHeaderAgainstEachOption) {
    Import in;
    in.add("off.txt", stated("Corrected spectra OFF")).add("std.txt", standardRecording());
    in.options.inputs = {"off.txt"};
    ImportTextResult r = in.run();
    expectRefused(r, "off.txt, line 2: the export says \"Intensity\" is not corrected "
                     "(\"Corrected spectra OFF\"): say --standard FILE");
    ASSERT_EQ(r.exports.size(), 1u);  // the facts also when refused
    EXPECT_EQ(r.exports[0].corrected, "no");
    ASSERT_EQ(r.exports[0].statements.size(), 1u);
    EXPECT_EQ(r.exports[0].statements[0].meaning, "corrected: no");
    in.options.corrected = true;
    expectRefused(in.run(), "off.txt, line 2: the export says \"Intensity\" is not corrected "
                            "(\"Corrected spectra OFF\"), but --corrected says it is");
    in.options.overrideHeader = true;
    r = in.run();
    EXPECT_EQ(r.outcome, ImportOutcome::Done) << r.message;
    EXPECT_NE(r.summary.find("; --corrected overrides off.txt, line 2 (\"Corrected spectra OFF\")"),
              std::string::npos) << r.summary;
    in.options = {};
    in.options.inputs = {"off.txt"};
    in.options.standard = "std.txt";
    EXPECT_EQ(in.run().outcome, ImportOutcome::Done) << in.run().message;
    // A key-value header's per-scan flag, False.
    Import kv;
    kv.options.inputs = {"kv.txt"};
    kv.options.corrected = true;
    kv.add("kv.txt", "Labels\tTrp\nStart\t300\nStop\t420\nStep\t1\nScan Corr. by File\tFalse\n\n" +
                         emissionRows(300, 420, 1));
    expectRefused(kv.run(), "kv.txt, line 5: the export says \"Trp\" is not corrected "
                            "(\"Scan Corr. by File\" is False)");
}

// A matrix with `down` wavelengths in the first column and `across` in the
// first row; the values are the emission at whichever axis `emissionDown`
// says.
std::string matrix(const std::vector<double>& down, const std::vector<double>& across,
                   bool emissionDown, const std::string& corner = "") {
    std::string text = corner;
    for (double a : across) text += "\t" + printed("%.1f", a);
    text += "\n";
    for (double d : down) {
        text += printed("%.1f", d);
        for (double a : across) text += "\t" + printed("%.3f", knownEmission(emissionDown ? d : a));
        text += "\n";
    }
    return text;
}

std::vector<double> axis(double first, double last, double step) {
    std::vector<double> v;
    for (double x = first; x <= last + 1e-9; x += step) v.push_back(x);
    return v;
}

TEST(ImportHeader, TheHeaderTellsAMatrixWhereTheStokesRuleCannot) {
    // Both axes end at 400 nm: only the header can tell.
    const auto ex = axis(250, 400, 5);
    const auto em = axis(300, 400, 2);
    const std::string keys = "Sample:\tTrp\nEX Start WL:\t250.0 nm\nEX End WL:\t400.0 nm\n"
                             "EM Start WL:\t300.0 nm\nEM End WL:\t400.0 nm\nData Points\n";
    Import rows;
    rows.options.corrected = true;
    rows.options.inputs = {"rows.txt:300"};
    rows.add("rows.txt", keys + matrix(ex, em, false));
    ImportTextResult r = rows.run();
    auto v = spectraOf(r);
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].size(), 101u);  // 300-400 from the row of 300 nm excitation
    ASSERT_EQ(r.exports.size(), 1u);
    EXPECT_EQ(r.exports[0].orientation, "ex-rows");
    EXPECT_EQ(r.exports[0].orientationLine, 3);
    EXPECT_DOUBLE_EQ(r.exports[0].firstExcitation, 250.0);
    EXPECT_DOUBLE_EQ(r.exports[0].lastExcitation, 400.0);
    // The header lines as the page shows them.
    ASSERT_EQ(r.exports[0].statements.size(), 4u);
    EXPECT_EQ(r.exports[0].statements[0].line, 2);
    EXPECT_EQ(r.exports[0].statements[0].text, "EX Start WL: 250.0 nm");
    EXPECT_EQ(r.exports[0].statements[0].meaning, "excitation from 250 nm");
    EXPECT_EQ(r.exports[0].statements[3].meaning, "emission to 400 nm");

    Import columns;
    columns.options.corrected = true;
    columns.options.inputs = {"columns.txt:300"};
    columns.add("columns.txt", keys + matrix(em, ex, true));
    r = columns.run();
    v = spectraOf(r);
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(r.exports[0].orientation, "ex-columns");

    // Without the keys: refused as before, asking for --matrix.
    Import neither;
    neither.options.corrected = true;
    neither.options.inputs = {"neither.txt:300"};
    neither.add("neither.txt", "Data Points\n" + matrix(ex, em, false));
    expectRefused(neither.run(), "cannot tell which wavelengths of the matrix are the excitation");

    // --matrix against the header: refused naming the line, unless overridden.
    rows.options.matrix = "ex-columns";
    expectRefused(rows.run(), "rows.txt, line 3: --matrix ex-columns contradicts the export: the "
                              "header's excitation wavelengths (line 3: \"EX End WL: 400.0 nm\") "
                              "make it one row per excitation wavelength");
    rows.options.overrideHeader = true;
    rows.options.inputs = {"rows.txt:300"};
    r = rows.run();
    EXPECT_EQ(r.outcome, ImportOutcome::Done) << r.message;
    EXPECT_NE(r.summary.find("; --matrix ex-columns overrides rows.txt, line 3"), std::string::npos)
        << r.summary;
    EXPECT_NE(r.exports[0].overridden.find("rows.txt, line 3"), std::string::npos);
}

TEST(ImportHeader, FirstXLastXAndTheCornerCellInTheInstrumentsLanguage) {
    const auto ex = axis(250, 400, 5);
    const auto em = axis(300, 400, 2);
    // A JCAMP-like header whose FIRSTX/LASTX/NPOINTS describe the first
    // column: the scanned wavelengths, the emission.
    Import jcamp;
    jcamp.options.corrected = true;
    jcamp.options.inputs = {"eem.txt:250"};
    jcamp.add("eem.txt", "TITLE\tTrp EEM\nDATA TYPE\tFLUORESCENCE 3D\nXUNITS\tNANOMETERS\nFIRSTX\t300\n"
                         "LASTX\t400\nNPOINTS\t51\nXYDATA\n" + matrix(em, ex, true));
    ImportTextResult r = jcamp.run();
    auto v = spectraOf(r);
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(r.exports[0].orientation, "ex-columns");
    EXPECT_EQ(r.exports[0].orientationLine, 4);

    // A corner cell in Shift JIS: "excitation/fluorescence".
    Import japanese;
    japanese.options.corrected = true;
    japanese.options.inputs = {"jp.txt:250"};
    japanese.add("jp.txt", "Data Points\n" + matrix(ex, em, false, "\x97\xE3\x8B\x4E/\x8C\x75\x8C\xF5"));
    r = japanese.run();
    ASSERT_EQ(spectraOf(r).size(), 1u);
    EXPECT_EQ(r.exports[0].orientation, "ex-rows");
    japanese.texts[0].content = "Data Points\n" + matrix(em, ex, true, "\x8C\x75\x8C\xF5/\x97\xE3\x8B\x4E");
    EXPECT_EQ(japanese.run().exports[0].orientation, "ex-columns");
}

TEST(ImportHeader, TheStokesRuleTellsAMatrixWhoseAxesBothSpan320To380) {
    // Excitation 280-380 nm, emission 290-450 nm: the emission reaches
    // further into the red, either way round.
    const auto ex = axis(280, 380, 5);
    const auto em = axis(290, 450, 2);
    for (const bool emissionDown : {false, true}) {
        Import in;
        in.options.corrected = true;
        in.options.inputs = {"m.txt:295"};
        in.add("m.txt", "RawData\n" + (emissionDown ? matrix(em, ex, true) : matrix(ex, em, false)));
        const ImportTextResult r = in.run();
        const auto v = spectraOf(r);
        ASSERT_EQ(v.size(), 1u) << r.message;
        EXPECT_EQ(r.exports[0].orientation, emissionDown ? "ex-columns" : "ex-rows");
        EXPECT_EQ(r.exports[0].orientationLine, 0);
        EXPECT_NE(r.exports[0].orientationBecause.find("Stokes"), std::string::npos);
        EXPECT_EQ(v[0].size(), 150u);  // 300-449 of the 290-450 nm emission (monofit)
    }
}

TEST(ImportHeader, ThreeHeaderRowsOverPairedWavelengthColumns) {
    // Short name / long name / units with a key column; each spectrum has
    // its own wavelength column (here at different steps).
    const double conc[] = {0.0, 0.1, 0.2};
    std::string text = "Short Name\tTrp 0 M\tTrp 0 M\tTrp 0.1 M\tTrp 0.1 M\tTrp 0.2 M\tTrp 0.2 M\n"
                       "Long Name\tWavelength\tS1c / R1c\tWavelength\tS1c / R1c\tWavelength\tS1c / R1c\n"
                       "Units\tnm\tCPS / MicroAmps\tnm\tCPS / MicroAmps\tnm\tCPS / MicroAmps\n";
    for (int k = 0; k <= 240; ++k) {
        std::string row;
        for (int p = 0; p < 3; ++p) {
            const double step = p == 1 ? 1.0 : 0.5;
            const double x = 300.0 + k * step;
            row += (p == 0 ? "" : "\t") +
                   (x <= 420.0 ? printed("%.1f", x) + "\t" + printed("%.3f", knownEmission(x, conc[p]))
                               : std::string("\t"));
        }
        text += row + "\n";
    }
    Import in;
    in.options.inputs = {"three.txt"};
    in.options.quencher = 1;
    in.options.concentrations = "0 0.1 0.2";
    in.add("three.txt", text);
    const ImportTextResult r = in.run();
    const auto v = spectraOf(r);
    ASSERT_EQ(v.size(), 3u);  // no wavelength column among them
    ASSERT_EQ(r.exports.size(), 1u);
    EXPECT_EQ(r.exports[0].spectra, (std::vector<std::string>{"Trp 0 M", "Trp 0.1 M", "Trp 0.2 M"}));
    EXPECT_EQ(r.exports[0].corrected, "yes");  // by the corrected signal "S1c / R1c"
    for (int p = 0; p < 3; ++p) {
        EXPECT_EQ(bits(v[p][50]), bits(std::strtod(printed("%.3f", knownEmission(350.0, conc[p])).c_str(), nullptr)));
    }
    // Without key words: names / long names / units rows over the pairs.
    std::string plain = "Wavelength\tTrp A\tWavelength\tTrp B\nWavelength\tIntensity\tWavelength\tIntensity\n"
                        "nm\ta.u.\tnm\ta.u.\n";
    for (int x = 300; x <= 420; ++x) {
        plain += std::to_string(x) + "\t" + printed("%.3f", knownEmission(x)) + "\t" + std::to_string(x) +
                 "\t" + printed("%.3f", knownEmission(x, 0.1)) + "\n";
    }
    Import origin;
    origin.options.inputs = {"origin.txt:Trp B"};
    origin.options.corrected = true;
    origin.add("origin.txt", plain);
    const ImportTextResult o = origin.run();
    ASSERT_EQ(spectraOf(o).size(), 1u);
    EXPECT_EQ(o.exports[0].layout, "pairs");
    EXPECT_EQ(o.exports[0].spectra, (std::vector<std::string>{"Trp A", "Trp B"}));
}

}  // namespace
}  // namespace qf::testing
