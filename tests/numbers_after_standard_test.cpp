// Numbers after the measured standard: the first pass counts the fields that
// read as numbers after the last value of the measured standard, and the
// program warns about them on standard error (a decimal-comma file, a
// two-column paste, a grid or spectrum count that does not fit the file).
// The reports and the exit status stay what they are without the warning.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "driver/run.h"
#include "support/test_support.h"
#include "textio/data_reader.h"

namespace {

using qf::DataReader;
using qf::Program;
using qf::testing::readFile;
using qf::testing::ScratchDir;
using qf::testing::sourcePath;
using qf::testing::writeFile;

constexpr const char* kDate = "12-07-2026";
const std::string kAdvice =
    "; check the grid and the number of spectra, and that the file uses decimal points, not "
    "decimal commas\n";

// ---------------------------------------------------------------------------
// The count itself.

DataReader::NumbersLeft afterFirst(const std::string& text, int fieldsRead) {
    DataReader reader("t.dat", text);
    for (int i = 0; i < fieldsRead; ++i) reader.readNumber("a value");
    return reader.numbersLeft();
}

TEST(NumbersLeft, CountsTheFieldsThatReadAsNumbers) {
    const DataReader::NumbersLeft left = afterFirst("1 2\r\nx 3,4\n", 1);
    EXPECT_EQ(left.count, 3u);
    EXPECT_EQ(left.firstLine, 1);
    // Decimal commas: every value is two numbers.
    EXPECT_EQ(afterFirst("1\n276,94 277,5\n", 1).count, 4u);
    const DataReader::NumbersLeft notes = afterFirst("1\nEND OF DATA\nrun 3 of 12, 25 C\n", 1);
    EXPECT_EQ(notes.count, 3u);
    EXPECT_EQ(notes.firstLine, 3);
    // Empty fields and fields that are not numbers by the data rules.
    EXPECT_EQ(afterFirst("1\n,,a,5,\n", 1).count, 1u);
    EXPECT_EQ(afterFirst("1\n1e999 nan inf 0x10 1.2.3 - . 3x\n", 1).count, 0u);
}

TEST(NumbersLeft, NothingLeftIsNoNumbers) {
    for (const std::string& text : {std::string("1 2"), std::string("1 2\r\n"), std::string("1 2\n \t\r\n\n"),
                                    std::string("1 2\nEND OF DATA\r\n"), std::string("1 2\nnotes: none")}) {
        const DataReader::NumbersLeft left = afterFirst(text, 2);
        EXPECT_EQ(left.count, 0u) << text;
        EXPECT_EQ(left.firstLine, 0) << text;
    }
}

TEST(NumbersLeft, ReadsNothing) {
    DataReader reader("t.dat", "1\n2 3\n");
    reader.readNumber("a value");
    EXPECT_EQ(reader.numbersLeft().count, 2u);
    EXPECT_EQ(reader.lineNumber(), 2);
    EXPECT_EQ(reader.readNumber("a value"), 2.0);
    EXPECT_EQ(reader.numbersLeft().count, 1u);
    EXPECT_EQ(reader.readNumber("a value"), 3.0);
    EXPECT_EQ(reader.numbersLeft().count, 0u);
}

// ---------------------------------------------------------------------------
// Whole runs.

struct Outcome {
    int status;
    std::string err;
    std::string result, graph, summary;
};

Outcome runOn(Program program, const std::string& text) {
    ScratchDir dir;
    const std::string data = dir.file("data.dat");
    writeFile(data, text);
    std::ostringstream out, err;
    const int status = qf::runProgram(program, {data, dir.file("r"), dir.file("g"), dir.file("s")},
                                      kDate, out, err);
    EXPECT_EQ(out.str(), "");
    // The data path in messages is the scratch path; tests compare from the
    // file name on.
    std::string message = err.str();
    for (std::size_t at; (at = message.find(data)) != std::string::npos;) {
        message.replace(at, data.size(), "data.dat");
    }
    // A data file refused before the reports exist leaves none.
    const auto report = [&](const char* name) {
        return std::filesystem::exists(dir.file(name)) ? readFile(dir.file(name)) : std::string();
    };
    return {status, message, report("r"), report("g"), report("s")};
}

std::string prefixOf(Program program) { return program == Program::Quenfit ? "quenfit: " : "monofit: "; }

std::string warning(Program program, std::size_t count, int line) {
    return prefixOf(program) + "warning: data.dat: " + std::to_string(count) +
           " more numbers after the measured standard (from line " + std::to_string(line) + ")" +
           kAdvice;
}

// The first line of the messages (the warning comes before a failure line).
std::string firstLineOf(const std::string& text) { return text.substr(0, text.find('\n') + 1); }

std::string example(Program program) {
    return readFile(sourcePath(program == Program::Quenfit ? "examples/series.dat" : "examples/single.dat"));
}

int linesOf(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

// The file with decimal commas in place of its decimal points (from line 2).
std::string withDecimalCommas(const std::string& text) {
    const std::size_t line2 = text.find('\n') + 1;
    std::string out = text;
    std::replace(out.begin() + static_cast<std::ptrdiff_t>(line2), out.end(), '.', ',');
    return out;
}

// The single-spectrum example pasted as two columns, wavelength and intensity.
std::string singleAsTwoColumns() {
    const std::string text = example(Program::Monofit);
    std::istringstream in(text);
    std::string title;
    std::getline(in, title);
    double first = 0, last = 0, step = 0;
    in >> first >> last >> step;
    std::vector<std::string> values;
    for (std::string v; in >> v;) values.push_back(v);
    const std::size_t points = static_cast<std::size_t>((last - first) / step) + 1;
    EXPECT_EQ(values.size(), 2 * points);
    std::string out = title + "\n300 420 1\n";
    for (std::size_t i = 0; i < values.size(); ++i) {
        out += std::to_string(static_cast<int>(first + step * static_cast<double>(i % points))) + "\t" +
               values[i] + "\r\n";
    }
    return out;
}

const std::string kTinyStandard = "0.317 0.887 0.957 0.631\n";

TEST(NumbersAfterTheStandard, DecimalCommasWarn) {
    // Tiny series on 320-380 nm at 20 nm: the three spectra and the standard
    // take 16 numbers, lines 4 and 5; lines 6 and 7 are left.
    const Outcome series = runOn(Program::Quenfit,
                                 "Tiny series\n1 3 320 380 20\n0 1 2\n8,5 4,5 2,5 1,5\n"
                                 "4,5 8,5 4,5 2,5\n2,5 4,5 8,5 4,5\n0,317 0,887 0,957 0,631\n");
    EXPECT_EQ(firstLineOf(series.err), warning(Program::Quenfit, 16, 6)) << series.err;
    const Outcome single = runOn(Program::Monofit, "Tiny spectrum\n320 380 20\n8,5 4,5 2,5 1,5\n0,317 0,887 0,957 0,631\n");
    EXPECT_EQ(firstLineOf(single.err), warning(Program::Monofit, 8, 4)) << single.err;
    // The example spectrum with decimal commas: 121 values at 10 a line, so
    // the spectrum and the standard take lines 3 to 15 and the 121 values of
    // the standard (lines 16 to 28, 242 numbers) are left.
    const Outcome example = runOn(Program::Monofit, withDecimalCommas(::example(Program::Monofit)));
    EXPECT_EQ(firstLineOf(example.err), warning(Program::Monofit, 242, 16)) << example.err;
    EXPECT_TRUE(example.status == 0 || example.status == 1);
}

TEST(NumbersAfterTheStandard, TwoColumnPasteWarns) {
    // Tiny series, each spectrum and the standard as four lines of
    // wavelength and intensity: 16 numbers (lines 4 to 11) are read, 16 left.
    std::string text = "Tiny series\n1 3 320 380 20\n0 .1 .2\n";
    for (const char* values : {"8 4 2 1", "4 8 4 2", "2 4 8 4", "0.317 0.887 0.957 0.631"}) {
        std::istringstream in(values);
        int wavelength = 320;
        for (std::string v; in >> v; wavelength += 20) text += std::to_string(wavelength) + " " + v + "\n";
    }
    const Outcome series = runOn(Program::Quenfit, text);
    EXPECT_EQ(firstLineOf(series.err), warning(Program::Quenfit, 16, 12)) << series.err;
    // The example spectrum as two columns: 242 of its lines are read as 121
    // spectrum values and 121 standard values; lines 124 to 244 are left.
    const Outcome single = runOn(Program::Monofit, singleAsTwoColumns());
    EXPECT_EQ(firstLineOf(single.err), warning(Program::Monofit, 242, 124)) << single.err;
}

TEST(NumbersAfterTheStandard, ThreeNumbersInTheNotesWarnAndLeaveTheReports) {
    for (const Program program : {Program::Quenfit, Program::Monofit}) {
        SCOPED_TRACE(prefixOf(program));
        const std::string plain = example(program);
        const Outcome reference = runOn(program, plain);
        ASSERT_EQ(reference.status, 0) << reference.err;
        EXPECT_EQ(reference.err, "");
        const Outcome notes =
            runOn(program, plain + "Notes: 3 repeats at 25 C; slit 5\r\nEND OF DATA\r\n");
        EXPECT_EQ(notes.status, 0);
        EXPECT_EQ(notes.err, warning(program, 3, linesOf(plain) + 1));
        EXPECT_EQ(notes.result, reference.result);
        EXPECT_EQ(notes.graph, reference.graph);
        EXPECT_EQ(notes.summary, reference.summary);
        // One number: the singular.
        const Outcome one = runOn(program, plain + "\r\n\r\n7\r\n");
        EXPECT_EQ(one.status, 0);
        EXPECT_EQ(one.err, prefixOf(program) + "warning: data.dat: 1 more number after the measured "
                                               "standard (from line " +
                               std::to_string(linesOf(plain) + 3) + ")" + kAdvice);
        EXPECT_EQ(one.summary, reference.summary);
    }
}

TEST(NumbersAfterTheStandard, TextWithoutNumbersOrNothingAfterItDoesNotWarn) {
    for (const Program program : {Program::Quenfit, Program::Monofit}) {
        SCOPED_TRACE(prefixOf(program));
        const std::string plain = example(program);
        const Outcome reference = runOn(program, plain);
        ASSERT_EQ(reference.status, 0) << reference.err;
        EXPECT_EQ(reference.err, "");
        std::string exact = plain;
        while (!exact.empty() && (exact.back() == '\n' || exact.back() == '\r')) exact.pop_back();
        for (const std::string& text :
             {plain + "END OF DATA\r\n", plain + "Notes: recorded by J., slit open, room temperature\r\n\r\n",
              plain + "\r\n\t \r\n", exact}) {
            const Outcome o = runOn(program, text);
            EXPECT_EQ(o.status, 0);
            EXPECT_EQ(o.err, "");
            EXPECT_EQ(o.result, reference.result);
            EXPECT_EQ(o.graph, reference.graph);
            EXPECT_EQ(o.summary, reference.summary);
        }
    }
    // A tiny file that ends exactly at the last value of the standard.
    const Outcome tiny = runOn(Program::Monofit, "Tiny spectrum\n320 380 20\n8 4 2 1\n0.317 0.887 0.957 0.631");
    EXPECT_EQ(tiny.err.find("warning"), std::string::npos) << tiny.err;
}

TEST(NumbersAfterTheStandard, WarningComesBeforeAFailure) {
    // Decimal commas in a tiny spectrum whose values then read as a standard
    // with a zero: the run fails, and the warning says why first.
    const Outcome o = runOn(Program::Monofit, "Tiny spectrum\n320 380 20\n8,5 4,5 0,5 1,5\n0,317 0,887 0,957 0,631\n");
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(firstLineOf(o.err), warning(Program::Monofit, 8, 4));
    const std::string rest = o.err.substr(firstLineOf(o.err).size());
    EXPECT_EQ(rest.rfind("monofit: division by zero: the measured standard is 0", 0), 0u) << o.err;
    EXPECT_EQ(std::count(rest.begin(), rest.end(), '\n'), 1);
}

}  // namespace
