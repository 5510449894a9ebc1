// The import on texts in memory against the command line: the same data
// file to the byte, the same summary line, the same refusals with the same
// exit status, and no file touched. And the default grid: from 300 nm at the
// earliest, within the program's point limit and the gap-free part of the
// spectra.

#include <gtest/gtest.h>

#include <charconv>
#include <cstring>
#include <filesystem>
#include <random>

#include <sys/wait.h>

#include "import_fixtures.h"
#include "instrument/grid.h"
#include "instrument/import_text.h"

namespace qf::testing {
namespace {

using instrument::ExportText;
using instrument::ImportOptions;
using instrument::ImportOutcome;
using instrument::ImportTextResult;

struct Cli {
    int status = -1;
    std::string err;
};

// `trpfit import ARGS` in a shell, stderr captured.
Cli trpfitImport(const ScratchDir& dir, const std::string& args) {
    const std::string command = std::string(QF_TRPFIT_EXE) + " import " + args + " 2>'" +
                                dir.file("err.txt") + "'";
    const int status = std::system(command.c_str());
    Cli r;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.err = readFile(dir.file("err.txt"));
    return r;
}

std::string shellQuoted(const std::string& path) { return "'" + path + "'"; }

class ImportText : public ::testing::Test {
protected:
    ScratchDir dir;

    // Writes the export and keeps it for the in-memory import too.
    std::string file(const std::string& name, const std::string& text) {
        writeFile(dir.file(name), text);
        texts.push_back({dir.file(name), text});
        return dir.file(name);
    }
    std::vector<ExportText> texts;
};

std::string columns(double first, double last, double step, int spectra) {
    std::string text = "Wavelength (nm)";
    for (int i = 0; i < spectra; ++i) text += "\tTrp " + std::to_string(i);
    text += "\n";
    for (double x = first; x <= last + 1e-9; x += step) {
        text += printed("%.2f", x);
        for (int i = 0; i < spectra; ++i) text += "\t" + printed("%.5g", knownEmission(x, 0.1 * i));
        text += "\n";
    }
    return text;
}

TEST_F(ImportText, TheSameBytesAsTheCommandLine) {
    const std::string series = file("series.txt", columns(280, 450, 0.5, 3));
    std::string standard;
    for (int l = 280; l <= 450; ++l) standard += std::to_string(l) + "," + printed("%.4f", 40.0 + 0.1 * l) + "\n";
    const std::string recording = file("standard.csv", standard);
    const std::string manifest = file("series.csv", "file,spectrum,concentration\nseries.txt,Trp 0,0\n"
                                                    "series.txt,Trp 1,0.05\nseries.txt,Trp 2,0.1\n");
    ImportOptions o;
    o.series = manifest;
    o.standard = recording;
    o.quencher = 2;
    o.title = "Trp titration";
    o.hasTitle = true;
    o.output = dir.file("cli.dat");
    const Cli cli = trpfitImport(dir, "--series " + shellQuoted(manifest) + " --standard " + shellQuoted(recording) +
                                          " --quencher 2 --title 'Trp titration' -o " + shellQuoted(o.output));
    ASSERT_EQ(cli.status, 0) << cli.err;
    const ImportTextResult memory = instrument::importFromTexts(o, texts);
    ASSERT_EQ(memory.outcome, ImportOutcome::Done) << memory.message;
    EXPECT_EQ(memory.dataFile, readFile(o.output));
    // The library's summary names no program; the command line says it after "trpfit: ".
    EXPECT_EQ("trpfit: " + memory.summary + "\n", cli.err);
    EXPECT_EQ(memory.program, Program::Quenfit);
    ASSERT_EQ(memory.exports.size(), 2u);  // the series and the standard's export
    EXPECT_EQ(memory.exports[0].file, series);
    EXPECT_EQ(memory.exports[0].spectra, (std::vector<std::string>{"Trp 0", "Trp 1", "Trp 2"}));
    EXPECT_EQ(memory.exports[0].layout, "columns");
    EXPECT_DOUBLE_EQ(memory.exports[0].firstNm, 280.0);
    EXPECT_DOUBLE_EQ(memory.exports[0].lastNm, 450.0);
    EXPECT_EQ(memory.exports[1].file, recording);

    // The data file runs as the command line's does.
    std::string message;
    EXPECT_EQ(runAnalysisProgram(o.output, true, dir, &message), 0) << message;
}

TEST_F(ImportText, ALatinOneTitleKeepsItsLettersInPlace) {
    // "Probe Müller" typed in a Latin-1 terminal: the letter the data file
    // cannot hold as UTF-8 is marked, not dropped.
    const std::string one = file("one.txt", columns(280, 450, 1, 1));
    ImportOptions o;
    o.inputs = {one};
    o.corrected = true;
    o.title = "Probe M\xfcller";
    o.hasTitle = true;
    o.output = dir.file("one.dat");
    const ImportTextResult memory = instrument::importFromTexts(o, texts);
    ASSERT_EQ(memory.outcome, ImportOutcome::Done) << memory.message;
    EXPECT_EQ(memory.dataFile.substr(0, memory.dataFile.find('\n')), "Probe M\xEF\xBF\xBDller");
}

TEST_F(ImportText, TheSameRefusalsAndNoFileTouched) {
    const std::string plain = file("plain.txt", columns(300, 420, 1, 1));
    const std::string kept = dir.file("kept.dat");
    writeFile(kept, "keep me\n");
    ImportOptions o;
    o.inputs = {plain};
    o.output = kept;
    // Neither --corrected nor --standard: exit 1 with the same words.
    Cli cli = trpfitImport(dir, shellQuoted(plain) + " -o " + shellQuoted(dir.file("new.dat")));
    ImportOptions forNew = o;
    forNew.output = dir.file("new.dat");
    ImportTextResult memory = instrument::importFromTexts(forNew, texts);
    EXPECT_EQ(cli.status, 1);
    EXPECT_EQ(memory.outcome, ImportOutcome::Refused);
    EXPECT_EQ("trpfit: " + memory.message + "\n", cli.err);
    // Options that contradict each other: exit 2.
    forNew.corrected = true;
    forNew.standard = plain;
    cli = trpfitImport(dir, "--corrected --standard " + shellQuoted(plain) + " " + shellQuoted(plain) + " -o " +
                                shellQuoted(dir.file("new.dat")));
    memory = instrument::importFromTexts(forNew, texts);
    EXPECT_EQ(cli.status, 2);
    EXPECT_EQ(memory.outcome, ImportOutcome::ContradictoryOptions);
    EXPECT_EQ("trpfit import: " + memory.message + "\n", cli.err);
    // A name that is not among the texts: as a file that cannot be opened.
    forNew.standard.clear();
    forNew.inputs = {dir.file("absent.txt")};
    memory = instrument::importFromTexts(forNew, texts);
    EXPECT_EQ(memory.outcome, ImportOutcome::Refused);
    EXPECT_EQ(memory.message, dir.file("absent.txt") + ": cannot open the file");

    // In memory an existing output is neither refused nor touched, and
    // nothing is written beside it.
    o.corrected = true;
    memory = instrument::importFromTexts(o, texts);
    EXPECT_EQ(memory.outcome, ImportOutcome::Done) << memory.message;
    EXPECT_EQ(readFile(kept), "keep me\n");
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 3u);  // plain.txt, kept.dat, err.txt
    EXPECT_FALSE(std::filesystem::exists(dir.file("new.dat")));
    // No output named: the data file is called "DATA." in the summary.
    o.output.clear();
    EXPECT_EQ(instrument::importFromTexts(o, texts).summary.rfind("DATA.: 1 spectrum", 0), 0u);
}

// The grid of one import of `text` (corrected), or the refusal.
ImportTextResult gridOf(const std::string& text, const std::string& program,
                        const std::string& grid = "") {
    ImportOptions o;
    o.inputs = {"scan.txt"};
    o.corrected = true;
    o.grid = grid;
    if (program == "quenfit") {
        o.inputs = {"scan.txt", "scan.txt", "scan.txt"};
        o.quencher = 1;
        o.concentrations = "0 0.1 0.2";
    }
    return instrument::importFromTexts(o, {{"scan.txt", text}});
}

std::string rows(const std::vector<std::pair<double, double>>& stretches, double step) {
    std::string text = "nm\tIntensity\n";
    for (const auto& [first, last] : stretches) {
        for (double x = first; x <= last + 1e-9; x += step) {
            text += printed("%.1f", x) + "\t" + printed("%.4f", 100.0 + knownEmission(x)) + "\n";
        }
    }
    return text;
}

TEST(ImportDefaultGrid, FromThreeHundredWithinTheLimitAndTheGapFreeRange) {
    auto expectGrid = [](const ImportTextResult& r, const std::string& grid) {
        EXPECT_EQ(r.outcome, ImportOutcome::Done) << r.message;
        EXPECT_NE(r.summary.find(", grid " + grid + " nm step 1"), std::string::npos) << r.summary;
    };
    // A 200-800 nm scan: quenfit 300-399, monofit 300-449.
    const std::string wide = rows({{200, 800}}, 1);
    expectGrid(gridOf(wide, "quenfit"), "300-399");
    expectGrid(gridOf(wide, "monofit"), "300-449");
    // Starting above 300: the first whole nm every input covers.
    expectGrid(gridOf(rows({{310.4, 420}}, 0.5), "monofit"), "311-419");
    // At 5 nm a grid value lies between neighbours 5 nm apart: allowed.
    expectGrid(gridOf(rows({{250, 450}}, 5), "monofit"), "300-449");
    // A gap above the window ends the grid before it; one below starts it after.
    expectGrid(gridOf(rows({{300, 390}, {400, 450}}, 1), "monofit"), "300-390");
    expectGrid(gridOf(rows({{250, 305}, {312, 450}}, 1), "monofit"), "312-450");
    // A gap inside 320-380 nm, or a grid asked for across a gap: refused.
    ImportTextResult r = gridOf(rows({{300, 330}, {340, 420}}, 1), "monofit");
    EXPECT_EQ(r.outcome, ImportOutcome::Refused);
    EXPECT_NE(r.message.find("scan.txt, line 33: \"Intensity\" has no point between 330 and 340 nm; "
                             "the grid point 331 nm would be interpolated across that gap"),
              std::string::npos) << r.message;
    r = gridOf(rows({{300, 390}, {400, 450}}, 1), "monofit", "300:420:1");
    EXPECT_EQ(r.outcome, ImportOutcome::Refused);
    EXPECT_NE(r.message.find("has no point between 390 and 400 nm; the grid point 391 nm"), std::string::npos)
        << r.message;
    // Every x must be a wavelength.
    r = gridOf(rows({{300, 420}}, 1) + "1200\t5\n", "monofit");
    EXPECT_NE(r.message.find("scan.txt, line 123: not a wavelength scan: \"Intensity\" has x = 1200 here"),
              std::string::npos) << r.message;
}

TEST(ImportNumberText, WithoutToCharsTheSameTextAsToChars) {
    // The browser build's library has no std::to_chars for double; the
    // data file must not depend on it.
    std::mt19937_64 random(17);
    for (int i = 0; i < 40000; ++i) {
        double v = 0.0;
        if (i % 2 == 0) {
            const std::uint64_t b = random();
            std::memcpy(&v, &b, sizeof v);
            if (!std::isfinite(v)) continue;
        } else {
            v = static_cast<double>(random() % 1000000000) / std::pow(10.0, static_cast<double>(i % 9));
        }
        char buf[64];
        const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
        ASSERT_EQ(instrument::portableExactText(v), std::string(buf, end)) << i;
    }
    EXPECT_EQ(instrument::portableExactText(0.0), "0");
    EXPECT_EQ(instrument::portableExactText(-0.0), "-0");
    EXPECT_EQ(instrument::portableExactText(1e22), "1e+22");
    EXPECT_EQ(instrument::portableExactText(123456.0), "123456");
    EXPECT_EQ(instrument::portableExactText(0.001), "0.001");
}

}  // namespace
}  // namespace qf::testing
