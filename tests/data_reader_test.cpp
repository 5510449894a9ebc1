#include <gtest/gtest.h>

#include "textio/data_file.h"
#include "textio/data_reader.h"
#include "textio/failure.h"

namespace qf {
namespace {

std::string failureOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const RunFailure& e) {
        return e.what();
    }
    return "";
}

TEST(FieldRead, DelimiterVariantsGiveTheSameFields) {
    for (const char* text : {"1 ,2", "1,2", "1 2", "1 \r\n2", "1\n2", "\t1\t2 ", "  1 ,  2"}) {
        DataReader r("data", text);
        EXPECT_EQ(r.readNumber("a"), 1.0) << text;
        EXPECT_EQ(r.readNumber("b"), 2.0) << text;
    }
}

TEST(FieldRead, LineEndAfterTrailingBlanksIsConsumed) {
    DataReader r("data", "1 10 300 399 1   \r\n0 .1 .2\r\nrest");
    for (int i = 0; i < 5; ++i) r.readNumber("field");
    EXPECT_EQ(r.readLine("concentrations"), "0 .1 .2");
    EXPECT_EQ(r.readLine("next"), "rest");
}

TEST(FieldRead, ConcentrationsOnLineTwoAreTheLineRead) {
    DataReader r("data", "1 3 300 399 1 0 .1 .2\n5");
    for (int i = 0; i < 5; ++i) r.readNumber("field");
    EXPECT_EQ(r.readLine("concentrations"), "0 .1 .2");
}

TEST(FieldRead, NumbersWithExponentAndSigns) {
    DataReader r("data", "1.5E+03 -2 +.5 7. 1e-3");
    EXPECT_EQ(r.readNumber("a"), 1500.0);
    EXPECT_EQ(r.readNumber("b"), -2.0);
    EXPECT_EQ(r.readNumber("c"), 0.5);
    EXPECT_EQ(r.readNumber("d"), 7.0);
    EXPECT_EQ(r.readNumber("e"), 0.001);
}

TEST(FieldRead, NotNumbersNameFileLineAndText) {
    for (const char* bad : {"12a", "NaN", "inf", "0x10", "1e400", "-", ".", "1e", "--1"}) {
        DataReader r("series.dat", std::string("title\n1 ") + bad);
        r.readLine("title");
        r.readNumber("first");
        const std::string message = failureOf([&] { r.readNumber("spectrum 1, point 2"); });
        EXPECT_NE(message.find("series.dat, line 2: \""), std::string::npos) << message;
        EXPECT_NE(message.find("is not a number (spectrum 1, point 2)"), std::string::npos) << message;
    }
    DataReader empty("d", "1,,2");
    empty.readNumber("a");
    EXPECT_NE(failureOf([&] { empty.readNumber("b"); }).find("empty field"), std::string::npos);
}

TEST(FieldRead, EndOfFileEndsTheLastFieldAndThenFails) {
    DataReader r("d", "\n\n3");
    EXPECT_EQ(r.readNumber("a"), 3.0);
    EXPECT_TRUE(r.atEnd());
    EXPECT_NE(failureOf([&] { r.readNumber("the measured standard, point 1"); })
                  .find("d, line 3: the file ends where the measured standard, point 1 was expected"),
              std::string::npos);
    DataReader none("d", "");
    EXPECT_NE(failureOf([&] { none.readLine("the title line"); }).find("the file ends"), std::string::npos);
}

TEST(FieldRead, WholeNumbersOnly) {
    DataReader r("d", "2.5");
    EXPECT_NE(failureOf([&] { r.readWholeNumber("the quencher type"); }).find("not a whole number"),
              std::string::npos);
}

ParameterLine parse(const std::string& line, bool series = true, DataLimits limits = kSeriesLimits) {
    DataReader r("d", line);
    return readParameterLine(r, series, limits);
}

TEST(GridCheck, DerivedCounts) {
    const ParameterLine p = parse("1 5 301 400 1");
    EXPECT_EQ(p.grid.points, 100);
    EXPECT_EQ(p.grid.windowPoints, 61);
    EXPECT_EQ(p.grid.before, 19);
    EXPECT_EQ(p.grid.after, 20);
    const ParameterLine two = parse("1 5 300 400 2");
    EXPECT_EQ(two.grid.windowPoints, 31);
    EXPECT_EQ(two.grid.before, 10);
    const ParameterLine window = parse("1 5 320 380 1");
    EXPECT_EQ(window.grid.before, 0);
    EXPECT_EQ(window.grid.after, 0);
    const ParameterLine mono = parse("300 449 1", false, kSingleLimits);
    EXPECT_EQ(mono.grid.points, 150);
}

TEST(GridCheck, RefusalsNameTheRule) {
    const struct {
        const char* line;
        const char* expected;
    } cases[] = {
        {"1 5 300 400 1", "101 grid points"},
        {"1 5 321 399 1", "first wavelength must be at most 320"},
        {"1 5 300 379 1", "last wavelength must be at least 380"},
        {"1 5 300 399 0", "step must be greater than 0"},
        {"1 5 300 399 -1", "step must be greater than 0"},
        {"1 5 300 398 7", "whole multiple"},
        {"1 5 301 399 2", "320 - first wavelength must be a whole multiple"},
        {"0 5 300 399 1", "quencher type 0 is not one of the types 1 to 5"},
        {"6 5 300 399 1", "quencher type 6"},
        {"1 31 300 399 1", "spectrum count 31"},
    };
    for (const auto& c : cases) {
        const std::string message = failureOf([&] { parse(c.line); });
        EXPECT_NE(message.find(c.expected), std::string::npos) << c.line << " -> " << message;
    }
    EXPECT_NE(failureOf([] { parse("300 450 1", false, kSingleLimits); }).find("151 grid points"),
              std::string::npos);
    EXPECT_NO_THROW(parse("1 30 300 399 1"));
}

TEST(ConcentrationLine, MustHoldExactlyN) {
    DataReader r("d", "x");
    EXPECT_NO_THROW(checkConcentrationLine(r, 3, "0 .1, .2  ", 3));
    EXPECT_NE(failureOf([&] { checkConcentrationLine(r, 3, "0 .1", 3); })
                  .find("line 3: the 3 quencher concentrations must stand on one line"),
              std::string::npos);
    EXPECT_NE(failureOf([&] { checkConcentrationLine(r, 3, "0 .1 .2 .3", 3); }).find("one line"),
              std::string::npos);
    EXPECT_NE(failureOf([&] { checkConcentrationLine(r, 3, "0 x .2", 3); }).find("\"x\" is not a number"),
              std::string::npos);
}

}  // namespace
}  // namespace qf
