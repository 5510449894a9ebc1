#include <gtest/gtest.h>


#include "support/test_support.h"
#include "textio/checked.h"
#include "textio/failure.h"
#include "textio/fpcheck.h"
#include "textio/number_text.h"
#include "textio/report_writer.h"
#include "textio/rounding.h"

namespace qf {
namespace {

TEST(NumberText, PlainForms) {
    EXPECT_EQ(numberText(10000), "10000");
    EXPECT_EQ(numberText(-7), "-7");
    EXPECT_EQ(numberText(0), "0");
    EXPECT_EQ(numberText(-0.0), "0");
    EXPECT_EQ(numberText(0.125), ".125");
    EXPECT_EQ(numberText(-0.5), "-.5");
    EXPECT_EQ(numberText(1.004), "1.004");
    EXPECT_EQ(numberText(0.05), ".05");
    EXPECT_EQ(numberText(1234.5), "1234.5");
    EXPECT_EQ(numberText(0.0001), ".0001");
    EXPECT_EQ(numberText(123456789012345.0), "123456789012345");
}

TEST(NumberText, FifteenSignificantDigits) {
    EXPECT_EQ(numberText(0.1 * 3312), "331.2");  // 331.20000000000005
    EXPECT_EQ(numberText(1.0 / 3.0), ".333333333333333");
    EXPECT_EQ(numberText(2.0 / 3.0), ".666666666666667");
    EXPECT_EQ(numberText(0.3 - 0.1), ".2");
    EXPECT_EQ(numberText(roundTrunc(0.99996, 4)), "1");
}

TEST(NumberText, ExponentFormOutsideTheReportRange) {
    EXPECT_EQ(numberText(0.00001), "1E-05");
    EXPECT_EQ(numberText(-0.000025), "-2.5E-05");
    EXPECT_EQ(numberText(1e15), "1E+15");
    EXPECT_EQ(numberText(1.5e16), "1.5E+16");
    EXPECT_EQ(numberText(999999999999999.9), "1E+15");
    EXPECT_EQ(numberText(1e300), "1E+300");
}

TEST(Rounding, TruncatingAndSymmetric) {
    EXPECT_EQ(roundTrunc(-0.7, 0), 0.0);
    EXPECT_EQ(roundTrunc(2.5, 0), 3.0);
    EXPECT_EQ(roundSym(-0.125, 2), -0.13);
    EXPECT_EQ(roundSym(0.125, 2), 0.13);
    EXPECT_EQ(roundSym(-2.5, 0), -3.0);
    EXPECT_EQ(fix(-2.99), -2.0);
    EXPECT_EQ(sgn(-3.0), -1.0);
    EXPECT_EQ(sgn(0.0), 0.0);
}

class WriterTest : public ::testing::Test {
protected:
    void SetUp() override { w.openInMemory("test file"); }
    ReportWriter w;
};

TEST_F(WriterTest, NumbersCarrySignPlaceAndTrailingBlank) {
    w.printText("EXPERIMENTAL SPECTRA, from ", Sep::Join);
    w.printNumber(300, Sep::Join);
    w.printText(" to", Sep::Join);
    w.printNumber(400, Sep::Join);
    w.printText(" Step ", Sep::Join);
    w.printNumber(1, Sep::End);
    w.printNumber(-3, Sep::End);
    EXPECT_EQ(w.memory(), "EXPERIMENTAL SPECTRA, from  300  to 400  Step  1 \r\n-3 \r\n");
}

TEST_F(WriterTest, TabMovesToColumnOrStartsANewLine) {
    w.tab(40);
    w.printText("X", Sep::End);
    EXPECT_EQ(w.memory(), std::string(39, ' ') + "X\r\n");
    ReportWriter v;
    v.openInMemory("second");
    v.printText("abcdef", Sep::Join);
    v.tab(7);  // already at column 7: nothing
    v.printText("g", Sep::Join);
    v.tab(3);  // past column 3: new line, then 2 blanks
    v.printText("h", Sep::End);
    EXPECT_EQ(v.memory(), "abcdefg\r\n  h\r\n");
}

TEST_F(WriterTest, PrintZonesOfFourteen) {
    w.printText("Quencher Concentration, M:      ", Sep::Join);
    w.printNumber(0.1, Sep::Zone);
    EXPECT_EQ(w.column(), 43);
    w.printNumber(0.2, Sep::Zone);
    EXPECT_EQ(w.memory(), "Quencher Concentration, M:       .1        .2           ");
    EXPECT_EQ(w.column(), 57);
    // At a zone start the next zone is the following one.
    ReportWriter v;
    v.openInMemory("zones");
    v.printText(std::string(14, 'x'), Sep::Zone);
    EXPECT_EQ(v.column(), 29);
}

TEST_F(WriterTest, WriteItemsAreCommaSeparated) {
    w.writeNumber(0.5, Sep::Join);
    w.writeNumber(0.25, Sep::Join);
    w.writeNumber(1, Sep::Join);
    w.endLine();
    w.writeNumber(0, Sep::Zone);
    w.writeNumber(0.05, Sep::End);
    EXPECT_EQ(w.memory(), ".5,.25,1,\r\n0,.05\r\n");
}

TEST(FloatingPointFailures, DetectedBeforeTheNextOutput) {
    ReportWriter w;
    w.openInMemory("test file");
    fp::clear();
    volatile double zero = 0.0;
    volatile double x = fp::div(1.0, zero);
    (void)x;
    testing::expectFailure([&] { w.printText("never written", Sep::End); },
                           "the test file, before writing \"never written\": division by zero");
    EXPECT_EQ(w.memory(), "");
    // The value about to be written is named too.
    volatile double nan = fp::sub(x, x);
    testing::expectFailure([&] { w.printNumber(nan, Sep::End); },
                           "the test file, before writing the number NaN: invalid arithmetic");
    EXPECT_EQ(w.memory(), "");
    fp::clear();
    volatile double neg = -1.0;
    volatile double y = fp::sqrt(neg);
    (void)y;
    try {
        fp::check("smoothing");
        FAIL() << "no failure";
    } catch (const RunFailure& e) {
        EXPECT_NE(std::string(e.what()).find("smoothing: invalid arithmetic"), std::string::npos);
    }
    volatile double big = 1e308;
    volatile double z = fp::mul(big, 10.0);
    (void)z;
    EXPECT_THROW(fp::check("x"), RunFailure);
    // Underflow is not a failure.
    volatile double tiny = 1e-308;
    volatile double u = fp::mul(tiny, 1e-100);
    (void)u;
    EXPECT_NO_THROW(fp::check("x"));
}

}  // namespace
}  // namespace qf
