// Malformed data files and unusable file names, for both programs. Every row
// is one data file (or one set of names) and the outcome it must have: the
// exit status, a part of the one-line message on standard error, and the
// reports exactly as they are left behind (what was written before the
// failure, nothing about the failure itself).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "driver/run.h"
#include "support/test_support.h"
#include "tools/synthetic_data.h"

namespace {

using qf::Program;
using qf::testing::readFile;
using qf::testing::ScratchDir;
using qf::testing::sourcePath;
using qf::testing::writeFile;
namespace fs = std::filesystem;

constexpr const char* kDate = "12-07-2026";

// ---------------------------------------------------------------------------
// Small hand-made files on the grid 320-380 nm at 20 nm (four points, all of
// them in the window). The measured standard is the standard table at the
// four wavelengths, so every correction factor is the table's largest value
// there (0.957 at 360 nm) and the normalized values are plain ratios.

const std::string kTinyStandard = "0.317 0.887 0.957 0.631\n";

std::string tinySeries(const std::string& line2, const std::string& concentrations,
                       const std::string& spectra, const std::string& standard = kTinyStandard) {
    return "Tiny series\n" + line2 + "\n" + concentrations + spectra + standard;
}

std::string tinySingle(const std::string& spectrum, const std::string& standard = kTinyStandard) {
    return "Tiny spectrum\n320 380 20\n" + spectrum + standard;
}

const std::string kThreeSpectra = "8 4 2 1\n4 8 4 2\n2 4 8 4\n";

// Report text the rules give for the tiny files.
std::string titleBlock(const std::string& title) { return title + "\r\n" + kDate + "\r\n"; }
const std::string kTinyHeading = "\r\nEXPERIMENTAL SPECTRA, from  320  to 380  Step  20 \r\n";
const std::string kTinyCurve =
    "\r\nCORRECTION CURVE, from  320  to  380 , Step  20 \r\n.957,.957,.957,.957,\r\n";
const std::string kNormalizedHeading =
    "\r\nNORMALIZED CORRECTED EXPERIMENTAL SPECTRA, from 320 to 380, Step  20 \r\n";
const std::string kSummaryHead = "PROGRAMM    DISCR.  Nsc   N         Lm,nm             S,%        CLASS\r\n";
const std::string kDashes = std::string(79, '-') + "\r\n";

// ---------------------------------------------------------------------------
// Realistic files from the generator, for rows that must run to the end or
// fail deep inside the data.

qf::synth::SeriesSpec seriesSpec(int spectra) {
    qf::synth::SeriesSpec s;
    s.title = "Generated series";
    for (int i = 0; i < spectra; ++i) s.concentrations.push_back(0.05 * i);
    s.components = {{331.0, 6000.0, 3.0}, {350.0, 4000.0, 15.0}};
    s.noise = 0.002;
    s.valuesPerLine = 0;  // one line per spectrum
    return s;
}

qf::synth::SeriesSpec singleSpec(double first, double last) {
    qf::synth::SeriesSpec s = seriesSpec(1);
    s.title = "Generated spectrum";
    s.first = first;
    s.last = last;
    return s;
}

// Replaces field `field` (0-based) of line `line` (0-based) of a generated
// file, whose lines end with CR LF and whose fields are separated by blanks.
std::string replaceField(const std::string& text, int line, int field, const std::string& value) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    std::istringstream in(lines.at(static_cast<std::size_t>(line)));
    std::vector<std::string> fields;
    for (std::string f; in >> f;) fields.push_back(f);
    fields.at(static_cast<std::size_t>(field)) = value;
    std::string joined;
    for (std::size_t i = 0; i < fields.size(); ++i) joined += (i ? " " : "") + fields[i];
    lines[static_cast<std::size_t>(line)] = joined;
    std::string out;
    for (const std::string& l : lines) out += l + "\r\n";
    return out;
}

// Bytes from a fixed linear congruential sequence.
std::string randomBytes(std::size_t count, std::uint32_t seed) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        seed = seed * 1664525u + 1013904223u;
        out += static_cast<char>(seed >> 24);
    }
    return out;
}

// Lines of a file whose last line is ended.
int linesOf(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

// The data file's name within the scratch folder; the warning names it.
const std::string dataName = "data.txt";

// ---------------------------------------------------------------------------

// How the four names are chosen.
enum class Names {
    Plain,               // data, report, graph and summary files in the scratch folder
    ReportIsData,        // the report file is the data file
    SummaryIsGraph,      // two outputs are one file
    ReportInNoFolder,    // the report file lies in a folder that does not exist
    GraphIsFolder,       // the graph file name is an existing folder
    ReportUnderProc,     // the report file cannot be created (/proc)
    DataIsEndless,       // the data file is an endless stream (/dev/zero)
};

// What a report must look like afterwards.
struct Report {
    enum Kind { Exact, Absent, NonEmpty } kind = Exact;
    std::string text;
};
Report exact(std::string text) { return {Report::Exact, std::move(text)}; }
const Report kEmpty = exact("");
const Report kAbsent = {Report::Absent, ""};
const Report kNonEmpty = {Report::NonEmpty, ""};

struct Row {
    const char* name;
    Program program;
    std::optional<std::string> data;  // no data file when empty
    int status;           // exit status
    std::string message;  // part of the line on standard error: the failure, or for a
                          // normal run the cause of its warning ("" for none)
    Report result, graph, summary;
    Names names = Names::Plain;
};

std::ostream& operator<<(std::ostream& os, const Row& row) { return os << row.name; }

// A data file refused before any report exists: no report file is created.
Row refused(const char* name, Program program, std::optional<std::string> data,
            std::string message) {
    return {name, program, std::move(data), 1, std::move(message), kAbsent, kAbsent, kAbsent};
}

std::vector<Row> quenfitRows() {
    const std::string tinyTitle = titleBlock("Tiny series");
    const std::string bytes = randomBytes(3000, 12345);
    const std::string generated = qf::synth::seriesFile(seriesSpec(10));
    const std::string allSeries = "a quenching series needs at least three spectra with at least two "
                                  "different quencher activities";

    return {
        {"missing file", Program::Quenfit, std::nullopt, 1, "cannot open the data file",
         kAbsent, kAbsent, kAbsent},
        // Everything the first pass and the first analysis read find wrong is
        // found before the reports are created.
        refused("empty file", Program::Quenfit, "", "line 1: the file ends where the title line"),
        refused("title only", Program::Quenfit, "Tiny series\n",
                "line 2: the file ends where the quencher type was expected"),
        refused("non-numeric field", Program::Quenfit,
                tinySeries("1 3 320 380 20", "0 .1 .2\n", "8 4 2 1\n4 8 abc 2\n2 4 8 4\n"),
                "line 5: \"abc\" is not a number (spectrum 2, point 3)"),
        refused("non-numeric type", Program::Quenfit, tinySeries("x 3 320 380 20", "0 .1 .2\n", ""),
                "line 2: \"x\" is not a number (the quencher type)"),
        refused("empty field", Program::Quenfit,
                tinySeries("1 3 320 380 20", "0 .1 .2\n", "8,4,,1\n4 8 4 2\n2 4 8 4\n"),
                "line 4: empty field where spectrum 1, point 3 was expected"),
        refused("value beyond the double range", Program::Quenfit,
                tinySeries("1 3 320 380 20", "0 .1 .2\n", "8 4 2 1e999\n"),
                "\"1e999\" is not a number (spectrum 1, point 4)"),
        refused("ends inside a spectrum", Program::Quenfit,
                tinySeries("1 3 320 380 20", "0 .1 .2\n", "8 4 2 1\n4 8 4 2\n2 4\n", ""),
                "the file ends where spectrum 3, point 3 was expected"),
        refused("ends inside the standard", Program::Quenfit,
                tinySeries("1 3 320 380 20", "0 .1 .2\n", kThreeSpectra, "0.317 0.887\n"),
                "the file ends where measured standard, point 3 was expected"),
        refused("31 spectra", Program::Quenfit, qf::synth::seriesFile(seriesSpec(31)),
                "line 2: the spectrum count 31 is outside 1 to 30"),
        {"30 spectra", Program::Quenfit, qf::synth::seriesFile(seriesSpec(30)), 0, "",
         kNonEmpty, kNonEmpty, kNonEmpty},
        refused("101 grid points", Program::Quenfit, tinySeries("1 3 300 400 1", "0 .1 .2\n", ""),
                "line 2: 101 grid points, more than the 100"),
        refused("grid starting above 320 nm", Program::Quenfit,
                tinySeries("1 3 321 399 1", "0 .1 .2\n", ""),
                "line 2: the first wavelength must be at most 320 nm"),
        refused("grid ending below 380 nm", Program::Quenfit,
                tinySeries("1 3 300 379 1", "0 .1 .2\n", ""),
                "line 2: the last wavelength must be at least 380 nm"),
        refused("grid stepping past 320 nm", Program::Quenfit,
                tinySeries("1 3 300.5 398.5 1", "0 .1 .2\n", ""),
                "320 - first wavelength must be a whole multiple of the wavelength step"),
        refused("step not dividing 60", Program::Quenfit, tinySeries("1 3 320 380 7", "0 .1 .2\n", ""),
                "60 nm must be a whole multiple of the wavelength step"),
        refused("step of zero", Program::Quenfit, tinySeries("1 3 320 380 0", "0 .1 .2\n", ""),
                "the wavelength step must be greater than 0"),
        refused("quencher type 0", Program::Quenfit,
                tinySeries("0 3 320 380 20", "0 .1 .2\n", kThreeSpectra),
                "line 2: quencher type 0 is not one of the types 1 to 5"),
        refused("quencher type 6", Program::Quenfit,
                tinySeries("6 3 320 380 20", "0 .1 .2\n", kThreeSpectra),
                "line 2: quencher type 6 is not one of the types 1 to 5"),
        refused("quencher type not whole", Program::Quenfit,
                tinySeries("1.5 3 320 380 20", "0 .1 .2\n", kThreeSpectra),
                "\"1.5\" is not a whole number (the quencher type)"),
        refused("two spectra", Program::Quenfit,
                tinySeries("1 2 320 380 20", "0 .1\n", "8 4 2 1\n4 8 4 2\n"), allSeries),
        refused("all concentrations equal", Program::Quenfit,
                tinySeries("1 3 320 380 20", ".1 .1 .1\n", kThreeSpectra), allSeries),
        refused("concentrations over two lines", Program::Quenfit,
                tinySeries("1 3 320 380 20", "0 .1\n.2\n", kThreeSpectra),
                "line 3: the 3 quencher concentrations must stand on one line (found 2 there)"),
        refused("concentrations on line 2", Program::Quenfit,
                tinySeries("1 3 320 380 20 0 .1 .2", "", kThreeSpectra, "0.317 0.887 0.957 0\n"),
                "division by zero: the measured standard is 0 at 380 nm"),
        refused("zero in the measured standard", Program::Quenfit,
                tinySeries("1 3 320 380 20", "0 .1 .2\n", kThreeSpectra, "0.317 0 0.957 0.631\n"),
                "division by zero: the measured standard is 0 at 340 nm"),
        refused("measured standard all zero", Program::Quenfit,
                tinySeries("1 3 320 380 20", "0 .1 .2\n", kThreeSpectra, "0 0 0 0\n"),
                "division by zero: the measured standard has no value above 0"),
        refused("spectra all zero", Program::Quenfit,
                tinySeries("1 3 320 380 20", "0 .1 .2\n", "0 0 0 0\n0 0 0 0\n0 0 0 0\n"),
                "division by zero: the corrected spectra have no value above 0"),
        refused("random bytes", Program::Quenfit, bytes, "line 2: "),
        // The file of the other program is named as such.
        refused("single-spectrum file", Program::Quenfit, tinySingle("8 4 2 1\n"),
                dataName + ": line 2 holds 3 numbers, the parameter line of a single spectrum: "
                           "analyse it with monofit"),
        refused("single-spectrum file from the generator", Program::Quenfit,
                qf::synth::singleSpectrumFile(singleSpec(300, 420)),
                "line 2 holds 3 numbers, the parameter line of a single spectrum: analyse it with "
                "monofit"),
        // A failure in a stage comes after the reports exist: they keep what
        // was written before it (here the phase-plane stage is absent and
        // VELA-I fails on spectra that are 0 but at 380 nm).
        {"fails in VELA-I", Program::Quenfit,
         tinySeries("1 3 320 380 20", "0 .1 .2\n", "0 0 0 1\n0 0 0 1\n0 0 0 1\n"), 1,
         "quenfit: VELA-I pass: ", kNonEmpty, kNonEmpty,
         exact(tinyTitle + "\r\n" + kSummaryHead + kDashes + "TARNO      TWO-COMPONENT SOLUTION IS ABSENT!\r\n" +
               kDashes)},
        {"text after the measured standard", Program::Quenfit,
         generated + "Notes: recorded on a Tuesday\r\n1 2 3, x y\r\n\x01\xff", 0,
         dataName + ": 3 more numbers after the measured standard (from line " +
             std::to_string(linesOf(generated) + 2) + ")",
         kNonEmpty, kNonEmpty, kNonEmpty},
        {"negative intensities", Program::Quenfit, replaceField(replaceField(generated, 3, 30, "-250"), 5, 45, "-1e3"),
         0, "", kNonEmpty, kNonEmpty, kNonEmpty},
        // The phase-plane stage fails on these two; the component fits follow.
        {"a value of 1e300", Program::Quenfit, replaceField(generated, 4, 40, "1e300"), 0,
         "spectrum 1 has the value 0 at the reference point 320 nm", kNonEmpty, kNonEmpty, kNonEmpty},
        {"a window value of 0", Program::Quenfit, replaceField(generated, 3, 35, "0"), 0,
         "spectrum 1 has the value 0 at the reference point 335 nm", kNonEmpty, kNonEmpty, kNonEmpty},
        {"data file as report file", Program::Quenfit, generated, 1,
         "the data file and the report file are the same file", kAbsent, kAbsent, kAbsent,
         Names::ReportIsData},
        {"one file for two reports", Program::Quenfit, generated, 1,
         "the graph file and the summary file are the same file", kAbsent, kAbsent, kAbsent,
         Names::SummaryIsGraph},
        {"report file in a missing folder", Program::Quenfit, generated, 1,
         "cannot create the report file", kAbsent, kEmpty, kAbsent, Names::ReportInNoFolder},
        {"graph file is a folder", Program::Quenfit, generated, 1, "cannot create the graph file",
         kAbsent, kAbsent, kAbsent, Names::GraphIsFolder},
        {"report file under /proc", Program::Quenfit, generated, 1,
         "cannot create the report file", kAbsent, kEmpty, kAbsent, Names::ReportUnderProc},
        {"endless data file", Program::Quenfit, std::nullopt, 1,
         "\"/dev/zero\" is larger than 64 MiB", kAbsent, kAbsent, kAbsent, Names::DataIsEndless},
    };
}

std::vector<Row> monofitRows() {
    const std::string tinyTitle = titleBlock("Tiny spectrum");
    const std::string afterLine2 = tinyTitle + kTinyHeading;
    const std::string bytes = randomBytes(3000, 777);
    const std::string generated = qf::synth::singleSpectrumFile(singleSpec(300, 420));
    const std::string firstStage = std::string(39, ' ') + "SUBPROGRAMM VELA-MONO-I\r\n";

    return {
        {"missing file", Program::Monofit, std::nullopt, 1, "cannot open the data file", kAbsent,
         kAbsent, kAbsent},
        refused("empty file", Program::Monofit, "", "line 1: the file ends where the title line"),
        refused("title only", Program::Monofit, "Tiny spectrum\r\n",
                "line 2: the file ends where the first wavelength was expected"),
        refused("non-numeric field", Program::Monofit, tinySingle("8 4 2 1\n", "0.317 0.887 - 0.631\n"),
                "line 4: \"-\" is not a number (measured standard, point 3)"),
        refused("ends inside the spectrum", Program::Monofit, tinySingle("8 4", ""),
                "the file ends where spectrum 1, point 3 was expected"),
        refused("ends inside the standard", Program::Monofit, tinySingle("8 4 2 1\n", "0.317\n"),
                "the file ends where measured standard, point 2 was expected"),
        {"150 grid points", Program::Monofit, qf::synth::singleSpectrumFile(singleSpec(300, 449)), 0,
         "", kNonEmpty, kNonEmpty, kNonEmpty},
        refused("151 grid points", Program::Monofit, qf::synth::singleSpectrumFile(singleSpec(300, 450)),
                "line 2: 151 grid points, more than the 150"),
        refused("step too fine for the capacity", Program::Monofit, "Fine grid\n320 380 0.375\n",
                "line 2: 161 grid points, more than the 150"),
        refused("grid without 320 nm", Program::Monofit, "Shifted grid\n300.5 399.5 1\n",
                "320 - first wavelength must be a whole multiple of the wavelength step"),
        refused("step not dividing 60", Program::Monofit, "Odd step\n320 380 7\n",
                "60 nm must be a whole multiple of the wavelength step"),
        refused("negative step", Program::Monofit, "Backwards\n380 320 -20\n",
                "the wavelength step must be greater than 0"),
        refused("zero in the measured standard", Program::Monofit,
                tinySingle("8 4 2 1\n", "0.317 0.887 0.957 0\n"),
                "division by zero: the measured standard is 0 at 380 nm"),
        refused("spectrum all zero", Program::Monofit, tinySingle("0 0 0 0\n"),
                "division by zero: the corrected spectra have no value above 0"),
        refused("random bytes", Program::Monofit, bytes, "line 2: "),
        // The file of the other program is named as such.
        refused("series file", Program::Monofit,
                tinySeries("1 3 320 380 20", "0 .1 .2\n", kThreeSpectra),
                dataName + ": line 2 holds 5 numbers, the parameter line of a quenching series: "
                           "analyse it with quenfit"),
        refused("series file with the concentrations on line 2", Program::Monofit,
                tinySeries("1 3 320 380 20 0 .1 .2", "", kThreeSpectra),
                "line 2 holds 8 numbers, the parameter line of a quenching series: analyse it with "
                "quenfit"),
        // More numbers on line 2 are the spectrum's when the file reads as a
        // single spectrum: still analysed.
        {"spectrum on line 2", Program::Monofit,
         "Tiny spectrum\n320 380 20 8 4 2 1\n" + kTinyStandard, 0, "", kNonEmpty, kNonEmpty,
         kNonEmpty},
        // A failure in a stage: the reports keep what was written before it.
        {"fails in VELA-MONO-I", Program::Monofit, tinySingle("0 0 0 1\n"), 1,
         "monofit: VELA-I pass: division by zero", exact(tinyTitle + "\r\n" + firstStage),
         exact(afterLine2 + "0,0,0,1,\r\n" + kTinyCurve + kNormalizedHeading + "0,0,0,1,\r\n\r\n" +
               firstStage),
         exact(tinyTitle + "\r\n")},
        {"text after the measured standard", Program::Monofit,
         generated + "operator: J.\r\n\r\n7 7 7\r\n", 0,
         dataName + ": 3 more numbers after the measured standard (from line " +
             std::to_string(linesOf(generated) + 3) + ")",
         kNonEmpty, kNonEmpty, kNonEmpty},
        {"negative intensities", Program::Monofit,
         replaceField(replaceField(generated, 2, 25, "-300"), 2, 70, "-2"), 0, "", kNonEmpty,
         kNonEmpty, kNonEmpty},
        {"a value of 1e300", Program::Monofit, replaceField(generated, 2, 50, "1e300"), 0, "",
         kNonEmpty, kNonEmpty, kNonEmpty},
        {"a window value of 0", Program::Monofit, replaceField(generated, 2, 40, "0"), 0, "",
         kNonEmpty, kNonEmpty, kNonEmpty},
        {"data file as report file", Program::Monofit, generated, 1,
         "the data file and the report file are the same file", kAbsent, kAbsent, kAbsent,
         Names::ReportIsData},
        {"report file in a missing folder", Program::Monofit, generated, 1,
         "cannot create the report file", kAbsent, kEmpty, kAbsent, Names::ReportInNoFolder},
        {"graph file is a folder", Program::Monofit, generated, 1, "cannot create the graph file",
         kAbsent, kAbsent, kAbsent, Names::GraphIsFolder},
        {"endless data file", Program::Monofit, std::nullopt, 1,
         "\"/dev/zero\" is larger than 64 MiB", kAbsent, kAbsent, kAbsent, Names::DataIsEndless},
    };
}

struct Outcome {
    int status;
    std::string out, err;
};

void checkReport(const char* role, const std::string& path, const Report& expected) {
    SCOPED_TRACE(role);
    switch (expected.kind) {
        case Report::Absent:
            EXPECT_FALSE(fs::exists(path)) << path;
            break;
        case Report::NonEmpty:
            ASSERT_TRUE(fs::is_regular_file(path)) << path;
            EXPECT_GT(fs::file_size(path), 0u) << path;
            break;
        case Report::Exact:
            ASSERT_TRUE(fs::is_regular_file(path)) << path;
            EXPECT_EQ(readFile(path), expected.text);
            break;
    }
}

void runRow(const Row& row) {
    ScratchDir dir;
    const std::string data = dir.file(dataName);
    std::string result = dir.file("result.txt");
    std::string graph = dir.file("graph.txt");
    std::string summary = dir.file("summary.txt");
    if (row.data) writeFile(data, *row.data);
    std::vector<std::string> args;
    switch (row.names) {
        case Names::Plain:
            break;
        case Names::ReportIsData:
            result = data;
            break;
        case Names::SummaryIsGraph:
            summary = graph;
            break;
        case Names::ReportInNoFolder:
            result = dir.file("no-such-folder/result.txt");
            break;
        case Names::GraphIsFolder:
            graph = dir.file("folder");
            fs::create_directory(graph);
            break;
        case Names::ReportUnderProc:
            result = "/proc/qf-no-such-report.txt";
            break;
        case Names::DataIsEndless:
            break;
    }
    args = {row.names == Names::DataIsEndless ? "/dev/zero" : data, result, graph, summary};

    std::ostringstream out, err;
    const int status = qf::runProgram(row.program, args, kDate, out, err);
    const std::string prefix = row.program == Program::Quenfit ? "quenfit: " : "monofit: ";

    EXPECT_EQ(status, row.status);
    EXPECT_EQ(out.str(), "");
    if (status == 0 && row.message.empty()) {
        EXPECT_EQ(err.str(), "");
    } else if (status == 0) {
        // A normal run that warns: warning lines only, one of them naming the
        // cause; a phase-plane warning says that the component fits follow.
        const std::string warnings = err.str();
        ASSERT_FALSE(warnings.empty());
        EXPECT_EQ(warnings.back(), '\n') << warnings;
        std::istringstream lines(warnings);
        std::string line;
        bool named = false;
        while (std::getline(lines, line)) {
            EXPECT_EQ(line.rfind(prefix + "warning: ", 0), 0u) << line;
            if (line.find(row.message) == std::string::npos) continue;
            named = true;
            if (line.rfind(prefix + "warning: phase-plane stage: ", 0) == 0) {
                const std::string tail = "; the component fits follow";
                EXPECT_EQ(line.find(tail), line.size() - tail.size()) << line;
            }
        }
        EXPECT_TRUE(named) << warnings;
    } else {
        // Warning lines may come first; the failure is one line, ended once,
        // and the last.
        std::string message = err.str();
        const std::string warning = prefix + "warning: ";
        while (message.rfind(warning, 0) == 0 && message.find('\n') != std::string::npos) {
            message.erase(0, message.find('\n') + 1);
        }
        EXPECT_EQ(message.rfind(prefix, 0), 0u) << message;
        EXPECT_NE(message.find(row.message), std::string::npos) << message;
        EXPECT_EQ(message.find('\n'), message.size() - 1) << message;
    }
    if (row.data && row.names != Names::ReportIsData) {
        EXPECT_EQ(readFile(data), *row.data) << "the data file was changed";
    }
    if (row.names == Names::ReportIsData) {
        EXPECT_EQ(readFile(data), *row.data) << "the data file was truncated";
        checkReport("graph file", graph, row.graph);
        checkReport("summary file", summary, row.summary);
        return;
    }
    if (row.names == Names::GraphIsFolder) {
        EXPECT_TRUE(fs::is_directory(graph));
        checkReport("report file", result, row.result);
        checkReport("summary file", summary, row.summary);
        return;
    }
    if (row.names == Names::SummaryIsGraph) {
        checkReport("report file", result, row.result);
        checkReport("graph file", graph, row.graph);
        return;
    }
    checkReport("report file", result, row.result);
    checkReport("graph file", graph, row.graph);
    checkReport("summary file", summary, row.summary);
}

class QuenfitBadInput : public ::testing::TestWithParam<Row> {};
class MonofitBadInput : public ::testing::TestWithParam<Row> {};

TEST_P(QuenfitBadInput, EndsAsTheRowSays) { runRow(GetParam()); }
TEST_P(MonofitBadInput, EndsAsTheRowSays) { runRow(GetParam()); }

std::string rowName(const ::testing::TestParamInfo<Row>& info) {
    std::string name;
    for (const char* c = info.param.name; *c; ++c) {
        name += (std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_');
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Rows, QuenfitBadInput, ::testing::ValuesIn(quenfitRows()), rowName);
INSTANTIATE_TEST_SUITE_P(Rows, MonofitBadInput, ::testing::ValuesIn(monofitRows()), rowName);

// Text after the measured standard is never read: the reports are the same
// as those of the file without it.
TEST(TrailingText, LeavesTheReportsOfTheFileWithoutIt) {
    for (const Program program : {Program::Quenfit, Program::Monofit}) {
        const std::string example = readFile(sourcePath(
            program == Program::Quenfit ? "examples/series.dat" : "examples/single.dat"));
        ScratchDir dir;
        writeFile(dir.file("plain.dat"), example);
        writeFile(dir.file("tail.dat"), example + "remarks\r\n1,2,3\r\nabc");
        std::ostringstream out, err;
        ASSERT_EQ(qf::runProgram(program,
                                 {dir.file("plain.dat"), dir.file("r1"), dir.file("g1"), dir.file("s1")},
                                 kDate, out, err),
                  0)
            << err.str();
        ASSERT_EQ(qf::runProgram(program,
                                 {dir.file("tail.dat"), dir.file("r2"), dir.file("g2"), dir.file("s2")},
                                 kDate, out, err),
                  0)
            << err.str();
        EXPECT_EQ(readFile(dir.file("r1")), readFile(dir.file("r2")));
        EXPECT_EQ(readFile(dir.file("g1")), readFile(dir.file("g2")));
        EXPECT_EQ(readFile(dir.file("s1")), readFile(dir.file("s2")));
    }
}

}  // namespace
