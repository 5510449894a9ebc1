// What `trpfit import` refuses: each refusal exits 1, names the file, the
// line and the cause, and leaves no data file (nor anything beside it).

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/wait.h>

#include "import_fixtures.h"

namespace qf::testing {
namespace {

using instrument::ImportOptions;

class ImportRefusals : public ::testing::Test {
protected:
    ScratchDir dir;

    std::string write(const std::string& name, const std::string& text) {
        writeFile(dir.file(name), text);
        return dir.file(name);
    }

    // Two columns, one spectrum from `first` to `last` at 1 nm; `edit` may
    // change a line (0-based row) of it.
    std::string spectrumFile(const std::string& name, int first, int last,
                             const std::function<std::string(int, std::string)>& edit = nullptr) {
        std::string text = "Wavelength,Intensity\n";
        for (int l = first; l <= last; ++l) {
            std::string row = std::to_string(l) + "," + printed("%.3f", knownEmission(l));
            if (edit) row = edit(l - first, row);
            text += row + "\n";
        }
        return write(name, text);
    }

    // Runs the import and expects a refusal with these words; no output.
    void expectRefused(ImportOptions o, const std::string& words, int status = 1) {
        if (o.output.empty()) o.output = dir.file("out.dat");
        const ImportResult r = runImportCommand(o);
        EXPECT_EQ(r.status, status) << r.message;
        EXPECT_EQ(r.message.rfind("trpfit", 0), 0u) << r.message;
        EXPECT_NE(r.message.find(words), std::string::npos) << r.message;
        EXPECT_EQ(r.message.find('\n'), r.message.size() - 1) << r.message;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            const std::string name = entry.path().filename().string();
            EXPECT_TRUE(name.find(".trpfit-") == std::string::npos) << "left behind: " << name;
            if (o.output != dir.file("existing.dat")) {
                EXPECT_NE(entry.path().string(), o.output) << "output written";
            }
        }
    }
};

TEST_F(ImportRefusals, SpectrumThatDoesNotCover320To380) {
    ImportOptions o;
    o.inputs = {spectrumFile("short.csv", 325, 420)};
    o.corrected = true;
    expectRefused(o, "short.csv, line 2: \"Intensity\" covers 325-420 nm; the programs need 320-380 nm");
    o.inputs = {spectrumFile("red.csv", 300, 379)};
    expectRefused(o, "red.csv, line 81: \"Intensity\" covers 300-379 nm; the programs need 320-380 nm");
}

TEST_F(ImportRefusals, WavelengthsThatTurnBack) {
    // Descending, then ascending again from 340 nm on.
    std::string text = "Wavelength;Intensity\n";
    for (int l = 400; l >= 340; --l) text += std::to_string(l) + ";" + printed("%.2f", knownEmission(l)) + "\n";
    for (int l = 341; l <= 360; ++l) text += std::to_string(l) + ";" + printed("%.2f", knownEmission(l)) + "\n";
    ImportOptions o;
    o.inputs = {write("turn.csv", text)};
    o.corrected = true;
    expectRefused(o, "turn.csv, line 63: the wavelengths of \"Intensity\" do not run strictly downward "
                     "(341 nm after 340 nm)");
    // Scans one after the other under one header: a hint, not a guess.
    std::string scans = "Wavelength\tIntensity\n";
    for (int scan = 0; scan < 2; ++scan) {
        for (int l = 300; l <= 400; ++l) scans += std::to_string(l) + "\t" + printed("%.2f", knownEmission(l)) + "\n";
    }
    o.inputs = {write("scans.txt", scans)};
    expectRefused(o, "scans.txt, line 103: the wavelengths of \"Intensity\" do not run strictly upward "
                     "(300 nm after 400 nm); if every return to the first wavelength begins the next "
                     "spectrum, say --format restarts");
    o.format = "restarts";
    o.output = dir.file("restarts.dat");
    o.program = Program::Monofit;
    o.inputs = {dir.file("scans.txt") + ":2"};
    EXPECT_EQ(runImportCommand(o).status, 0);
}

TEST_F(ImportRefusals, SaturatedOrMissingValuesOnTheGrid) {
    ImportOptions o;
    o.corrected = true;
    o.inputs = {spectrumFile("over.csv", 300, 400, [](int row, std::string r) {
        return row == 50 ? "350,OVER" : r;
    })};
    expectRefused(o, "over.csv, line 52: \"OVER\" is not a number (\"Intensity\" at 350 nm");
    o.inputs = {spectrumFile("nan.csv", 300, 400, [](int row, std::string r) {
        return row == 30 ? "330,NaN" : r;
    })};
    expectRefused(o, "nan.csv, line 32: \"NaN\" is not a number");
    // Two spectra, an empty field inside the second.
    std::string text = "Wavelength\tA\tB\n";
    for (int l = 300; l <= 400; ++l) {
        text += std::to_string(l) + "\t1\t" + (l == 370 ? "" : "2") + "\t\n";
    }
    o.inputs = {write("empty.txt", text) + ":B"};
    expectRefused(o, "empty.txt, line 72: empty field (\"B\" at 370 nm");
    // 9999.9 marks saturation in the layout that writes it.
    text = "Sample:\tTrp\nData Points\n\t280.0\n";
    for (int l = 300; l <= 400; ++l) text += std::to_string(l) + "\t" + (l == 345 ? "9999.9" : "1234.5") + "\n";
    o.inputs = {write("points.txt", text)};
    expectRefused(o, "points.txt, line 49: 9999.9 marks a saturated point");
}

TEST_F(ImportRefusals, AFlawOffTheGridIsNoReason) {
    // An unusable value below the grid's first wavelength does not matter.
    ImportOptions o;
    o.corrected = true;
    o.output = dir.file("fine.dat");
    o.inputs = {spectrumFile("low.csv", 300, 400, [](int row, std::string r) {
        return row == 0 ? "300,OVER" : r;
    })};
    o.grid = "301:400:1";
    const ImportResult r = runImportCommand(o);
    EXPECT_EQ(r.status, 0) << r.message;
}

TEST_F(ImportRefusals, BinaryExports) {
    std::string ole("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    ole += std::string(600, '\0');
    ImportOptions o;
    o.corrected = true;
    o.inputs = {write("scan.ifx", ole)};
    expectRefused(o, "scan.ifx, line 1: a binary file (OLE compound document), not a text export; "
                     "export the spectra as text");
    std::string bytes;
    for (int i = 0; i < 400; ++i) bytes += static_cast<char>(i % 7 == 0 ? 0 : 'A' + i % 20);
    o.inputs = {write("scan.bin", bytes)};
    expectRefused(o, "scan.bin, line 1: a binary file (it holds NUL bytes)");
}

TEST_F(ImportRefusals, CountsThatDisagree) {
    ImportOptions o;
    o.corrected = true;
    o.quencher = 1;
    const std::string a = spectrumFile("a.csv", 300, 400);
    o.inputs = {a, a, a};
    o.concentrations = "0,0.1";
    expectRefused(o, "3 spectra but 2 concentrations");
    // The programs' own series checks, in their words.
    o.concentrations = "0.1,0.1,0.1";
    expectRefused(o, "a quenching series needs at least three spectra with at least two different "
                     "quencher activities");
    o.inputs = {a, a};
    o.concentrations = "0,0.1";
    expectRefused(o, "a quenching series needs at least three spectra");
    o.inputs = std::vector<std::string>(31, a);
    o.concentrations.clear();
    for (int i = 0; i < 31; ++i) o.concentrations += std::to_string(i * 0.01) + " ";
    expectRefused(o, "the spectrum count 31 is outside 1 to 30");
    o.inputs = {a, a, a};
    o.concentrations = "0,0.1,0.2";
    o.program = Program::Monofit;
    o.quencher = 0;
    expectRefused(o, "monofit reads one spectrum; 3 were named");
    // A manifest line short of a field.
    o = {};
    o.corrected = true;
    o.quencher = 1;
    o.series = write("series.csv", "file,spectrum,concentration\na.csv,,0\na.csv,0.1\n");
    expectRefused(o, "series.csv, line 3: a series line needs three fields");
}

TEST_F(ImportRefusals, NeitherCorrectedNorAStandard) {
    ImportOptions o;
    o.inputs = {spectrumFile("plain.csv", 300, 400)};
    expectRefused(o, "plain.csv: the export does not say whether its spectra are corrected for the "
                     "instrument: say --corrected or --standard FILE");
    // A corrected export with a measured standard would be corrected twice.
    std::string text = "Short Name\tWavelength\tS1c\nUnits\tnm\tCPS\n";
    for (int l = 300; l <= 400; ++l) text += std::to_string(l) + "\t100\n";
    o.inputs = {write("corr.txt", text)};
    o.standard = spectrumFile("std.csv", 300, 400);
    expectRefused(o, "corr.txt: \"S1c\" is already corrected");
}

TEST_F(ImportRefusals, AStandardThatIsZeroWhereTheCorrectionDividesByIt) {
    ImportOptions o;
    o.inputs = {spectrumFile("s.csv", 300, 400)};
    o.standard = spectrumFile("zero.csv", 300, 400, [](int row, std::string r) {
        return row == 40 ? "340,0" : r;
    });
    expectRefused(o, "zero.csv, line 42: the standard \"Intensity\" is 0 at 340 nm; the correction divides by it");
}

TEST_F(ImportRefusals, AnExistingOutputWithoutForce) {
    const std::string existing = write("existing.dat", "keep me\n");
    ImportOptions o;
    o.inputs = {spectrumFile("s.csv", 300, 400)};
    o.corrected = true;
    o.output = existing;
    expectRefused(o, "existing.dat: the file exists; say --force to overwrite it");
    EXPECT_EQ(readFile(existing), "keep me\n");
    o.force = true;
    EXPECT_EQ(runImportCommand(o).status, 0);
    EXPECT_NE(readFile(existing), "keep me\n");
}

TEST_F(ImportRefusals, OptionsThatContradictEachOther) {
    ImportOptions o;
    o.inputs = {spectrumFile("s.csv", 300, 400)};
    o.corrected = true;
    o.standard = dir.file("s.csv");
    expectRefused(o, "say either --corrected or --standard FILE, not both", 2);
    o.standard.clear();
    o.grid = "300-400";
    expectRefused(o, "--grid 300-400: say FIRST:LAST:STEP", 2);
    o.grid = "250:400:1";
    expectRefused(o, "--grid 250:400:1: 151 points, more than the 150", 1);
    o.grid = "300:400:0.7";
    expectRefused(o, "320 and 380 nm must be grid points", 1);
}

TEST_F(ImportRefusals, ThroughTheProgram) {
    // The command line: exit status and message of the installed program.
    const std::string input = spectrumFile("s.csv", 330, 400);
    const std::string out = dir.file("cli.dat");
    const std::string command = std::string(QF_TRPFIT_EXE) + " import --corrected '" + input +
                                "' -o '" + out + "' 2>'" + dir.file("err.txt") + "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(readFile(dir.file("err.txt")).find("trpfit: " + input + ", line 2: \"Intensity\" covers 330-400 nm"),
              std::string::npos)
        << readFile(dir.file("err.txt"));
    EXPECT_FALSE(std::filesystem::exists(out));
    const std::string usage = std::string(QF_TRPFIT_EXE) + " import --corrected --bogus '" + input +
                              "' -o '" + out + "' 2>/dev/null";
    const int usageStatus = std::system(usage.c_str());
    EXPECT_EQ(WEXITSTATUS(usageStatus), 2);
    // --program takes the analysers' names, and only those.
    const std::string good = spectrumFile("good.csv", 300, 400);
    const std::string named = std::string(QF_TRPFIT_EXE) + " import --corrected --program monofit '" + good +
                              "' -o '" + out + "' 2>'" + dir.file("err.txt") + "'";
    const int namedStatus = std::system(named.c_str());
    EXPECT_EQ(WEXITSTATUS(namedStatus), 0) << readFile(dir.file("err.txt"));
    EXPECT_EQ(readFile(dir.file("err.txt")).rfind("trpfit: " + out + ": 1 spectrum from 1 file for monofit, grid ", 0), 0u)
        << readFile(dir.file("err.txt"));
    const std::string unknown = std::string(QF_TRPFIT_EXE) + " import --corrected --program velafit '" + good +
                                "' -o '" + dir.file("other.dat") + "' 2>/dev/null";
    const int unknownStatus = std::system(unknown.c_str());
    EXPECT_EQ(WEXITSTATUS(unknownStatus), 2);
    EXPECT_FALSE(std::filesystem::exists(dir.file("other.dat")));
}

// The library says what happened, in words without a program's name; the
// command puts "trpfit: " or "trpfit import: " before them and chooses the
// exit status.
TEST_F(ImportRefusals, TheLibraryReturnsTheOutcomeTheCommandSaysIt) {
    ImportOptions o;
    o.inputs = {spectrumFile("s.csv", 300, 400)};
    o.corrected = true;
    // A data file that cannot be written: refused after the exports were
    // read, and what they state is still there.
    o.output = dir.file("no/such/folder/out.dat");
    instrument::ImportTextResult r = instrument::runImport(o);
    EXPECT_EQ(r.outcome, instrument::ImportOutcome::Refused);
    EXPECT_EQ(r.message, o.output + ": cannot create the file: No such file or directory");
    EXPECT_EQ(r.exports.size(), 1u);
    EXPECT_TRUE(r.dataFile.empty() && r.summary.empty() && !r.program);
    ImportResult command = runImportCommand(o);
    EXPECT_EQ(command.status, 1);
    EXPECT_EQ(command.message, "trpfit: " + r.message + "\n");
    // An existing output is refused before any export is read.
    o.output = write("existing.dat", "keep me\n");
    r = instrument::runImport(o);
    EXPECT_EQ(r.outcome, instrument::ImportOutcome::Refused);
    EXPECT_EQ(r.message, o.output + ": the file exists; say --force to overwrite it");
    EXPECT_TRUE(r.exports.empty());
    // No data file named.
    o.output.clear();
    r = instrument::runImport(o);
    EXPECT_EQ(r.outcome, instrument::ImportOutcome::ContradictoryOptions);
    command = runImportCommand(o);
    EXPECT_EQ(command.status, 2);
    EXPECT_EQ(command.message, "trpfit import: say the data file to write with -o DATAFILE\n");
    // Done: the summary names the file and the program, not trpfit.
    o.output = dir.file("new.dat");
    r = instrument::runImport(o);
    ASSERT_EQ(r.outcome, instrument::ImportOutcome::Done) << r.message;
    EXPECT_EQ(r.summary.rfind(o.output + ": 1 spectrum from 1 file for monofit, grid 300-400 nm step 1", 0), 0u)
        << r.summary;
    EXPECT_EQ(r.program, Program::Monofit);
    EXPECT_EQ(readFile(o.output), r.dataFile);
}

}  // namespace
}  // namespace qf::testing
