// Checked arithmetic: every operation gives the IEEE result and records
// the event the processor's status flags would show (division by zero,
// invalid operation, overflow), nothing else; the check points name the
// event as before. Whole runs whose arithmetic fails end with the messages
// the programs gave when they read the status flags.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "driver/run.h"
#include "support/test_support.h"
#include "textio/checked.h"
#include "textio/failure.h"
#include "textio/fpcheck.h"

namespace qf {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

// The events one operation records, from a clear record.
template <class Op>
unsigned eventsOf(Op op) {
    fp::clear();
    volatile double sink = op();
    (void)sink;
    const unsigned events = fp::eventRecord();
    fp::clear();
    return events;
}

TEST(CheckedArithmetic, RecordsTheEventOfEachOperation) {
    using namespace fp;
    // Division.
    EXPECT_EQ(eventsOf([] { return div(1.0, 0.0); }), kDivisionByZero);
    EXPECT_EQ(eventsOf([] { return div(-3.0, -0.0); }), kDivisionByZero);
    EXPECT_EQ(eventsOf([] { return div(0.0, 0.0); }), kInvalid);
    EXPECT_EQ(eventsOf([] { return div(kInf, -kInf); }), kInvalid);
    EXPECT_EQ(eventsOf([] { return div(1e300, 1e-300); }), kOverflow);
    EXPECT_EQ(eventsOf([] { return div(kInf, 0.0); }), 0u);  // an infinity carried on
    EXPECT_EQ(eventsOf([] { return div(1.0, kInf); }), 0u);
    // Sums and products.
    EXPECT_EQ(eventsOf([] { return add(DBL_MAX, DBL_MAX); }), kOverflow);
    EXPECT_EQ(eventsOf([] { return sub(-DBL_MAX, DBL_MAX); }), kOverflow);
    EXPECT_EQ(eventsOf([] { return sub(kInf, kInf); }), kInvalid);
    EXPECT_EQ(eventsOf([] { return add(kInf, -kInf); }), kInvalid);
    EXPECT_EQ(eventsOf([] { return add(kInf, 1.0); }), 0u);
    EXPECT_EQ(eventsOf([] { return mul(1e200, -1e200); }), kOverflow);
    EXPECT_EQ(eventsOf([] { return mul(0.0, kInf); }), kInvalid);
    EXPECT_EQ(eventsOf([] { return mul(kInf, 2.0); }), 0u);
    // Functions.
    EXPECT_EQ(eventsOf([] { return fp::sqrt(-1.0); }), kInvalid);
    EXPECT_EQ(eventsOf([] { return fp::sqrt(-0.0); }), 0u);
    EXPECT_EQ(eventsOf([] { return fp::log(0.0); }), kDivisionByZero);
    EXPECT_EQ(eventsOf([] { return fp::log(-0.0); }), kDivisionByZero);
    EXPECT_EQ(eventsOf([] { return fp::log(-2.0); }), kInvalid);
    EXPECT_EQ(eventsOf([] { return fp::log(kInf); }), 0u);
    EXPECT_EQ(eventsOf([] { return fp::exp(710.0); }), kOverflow);
    EXPECT_EQ(eventsOf([] { return fp::exp(kInf); }), 0u);
    EXPECT_EQ(eventsOf([] { return fp::pow(1e200, 2.0); }), kOverflow);
    EXPECT_EQ(eventsOf([] { return fp::pow(0.0, -1.0); }), kDivisionByZero);
    EXPECT_EQ(eventsOf([] { return fp::pow(-2.0, 0.5); }), kInvalid);
    EXPECT_EQ(eventsOf([] { return fp::pow(-1e100, 7.0); }), kOverflow);
    // A NaN carried on is no new event; underflow is no event at all.
    EXPECT_EQ(eventsOf([&] { return add(kNaN, 1.0); }), 0u);
    EXPECT_EQ(eventsOf([&] { return mul(kNaN, 0.0); }), 0u);
    EXPECT_EQ(eventsOf([&] { return fp::sqrt(kNaN); }), 0u);
    EXPECT_EQ(eventsOf([] { return mul(1e-308, 1e-100); }), 0u);
    EXPECT_EQ(eventsOf([] { return div(4.9e-324, 2.0); }), 0u);
    EXPECT_EQ(eventsOf([] { return fp::exp(-1000.0); }), 0u);
}

TEST(CheckedArithmetic, TheRecordIsStickyUntilCleared) {
    fp::clear();
    (void)fp::mul(1e300, 1e300);
    (void)fp::add(1.0, 2.0);
    (void)fp::div(1.0, 0.0);
    EXPECT_EQ(fp::eventRecord(), fp::kOverflow | fp::kDivisionByZero);
    EXPECT_TRUE(fp::raised());
    fp::clear();
    EXPECT_FALSE(fp::raised());
}

// Of several events the division by zero is named first, then the invalid
// operation, then the overflow; a check clears the record.
TEST(CheckedArithmetic, CheckNamesOneEventByPriority) {
    const std::string invalid = "invalid arithmetic (0/0, or a square root or logarithm out of its domain)";
    const auto messageOf = [](unsigned events, const std::string& where) {
        fp::clear();
        fp::record(events);
        try {
            fp::check(where);
        } catch (const RunFailure& e) {
            EXPECT_FALSE(fp::raised());
            return std::string(e.what());
        }
        return std::string("no failure");
    };
    EXPECT_EQ(messageOf(fp::kOverflow, "VELA-II pass"), "VELA-II pass: arithmetic overflow");
    EXPECT_EQ(messageOf(fp::kOverflow | fp::kInvalid, "x"), "x: " + invalid);
    EXPECT_EQ(messageOf(fp::kOverflow | fp::kInvalid | fp::kDivisionByZero, "x"), "x: division by zero");
    EXPECT_EQ(messageOf(fp::kDivisionByZero, ""), "division by zero");
    fp::clear();
    EXPECT_NO_THROW(fp::check("nothing"));
}

// Each thread has its own record, as each had its own status flags.
TEST(CheckedArithmetic, EachThreadHasItsOwnRecord) {
    fp::clear();
    bool workerSaw = false;
    std::thread worker([&] {
        (void)fp::div(1.0, 0.0);
        workerSaw = fp::raised();
    });
    worker.join();
    EXPECT_TRUE(workerSaw);
    EXPECT_FALSE(fp::raised());
}

std::uint64_t bitsOf(double v) {
    std::uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// The checked forms compute what the plain operators compute, bit for bit,
// and a formula in Real keeps the written order of its operations.
TEST(CheckedArithmetic, ResultsAreThoseOfThePlainOperations) {
    std::mt19937_64 rng(2026);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-40, 40);
    const auto draw = [&] { return std::ldexp(mantissa(rng), exponent(rng)); };
    for (int i = 0; i < 200000; ++i) {
        const double a = draw(), b = draw(), c = draw(), d = draw();
        ASSERT_EQ(bitsOf(fp::add(a, b)), bitsOf(a + b));
        ASSERT_EQ(bitsOf(fp::sub(a, b)), bitsOf(a - b));
        ASSERT_EQ(bitsOf(fp::mul(a, b)), bitsOf(a * b));
        ASSERT_EQ(bitsOf(fp::div(a, b)), bitsOf(a / b));
        const fp::Real ra = a, rb = b;
        const double plain = a - b * c / d + 0.5 * (a + c) * b;
        ASSERT_EQ(bitsOf((ra - rb * c / d + 0.5 * (ra + c) * rb).value()), bitsOf(plain));
        ASSERT_EQ(bitsOf(fp::sqrt(std::fabs(a))), bitsOf(std::sqrt(std::fabs(a))));
        ASSERT_EQ(bitsOf(fp::log(std::fabs(a))), bitsOf(std::log(std::fabs(a))));
        const double e = std::fmod(c, 700.0);
        ASSERT_EQ(bitsOf(fp::exp(e)), bitsOf(std::exp(e)));
        ASSERT_EQ(bitsOf(fp::pow(a, 3.0)), bitsOf(std::pow(a, 3.0)));
    }
    EXPECT_FALSE(fp::raised());
}

// ---------------------------------------------------------------------------
// Whole runs whose arithmetic fails. The expected messages are those the
// programs gave when the events were read from the processor's status flags.

// The example file with the numbers of lines [from, to) multiplied by
// `factor`, or with the field `field` of line `from` replaced by `value`.
std::string scaledExample(const std::string& name, int from, int to, double factor) {
    std::istringstream in(testing::readFile(testing::sourcePath("examples/" + name)));
    std::string out;
    std::string line;
    for (int n = 0; std::getline(in, line); ++n) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (n >= from && n < to) {
            std::istringstream fields(line);
            std::string scaled;
            double v = 0.0;
            while (fields >> v) {
                char buf[40];
                std::snprintf(buf, sizeof buf, "%.17g", v * factor);
                scaled += (scaled.empty() ? "" : " ") + std::string(buf);
            }
            line = scaled;
        }
        out += line + "\r\n";
    }
    return out;
}

std::string replacedField(const std::string& name, int lineNumber, int field, const std::string& value) {
    std::istringstream in(testing::readFile(testing::sourcePath("examples/" + name)));
    std::string out;
    std::string line;
    for (int n = 0; std::getline(in, line); ++n) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (n == lineNumber) {
            std::istringstream fields(line);
            std::string f;
            std::string replaced;
            for (int k = 0; fields >> f; ++k) replaced += (k ? " " : "") + (k == field ? value : f);
            line = replaced;
        }
        out += line + "\r\n";
    }
    return out;
}

struct FailedRun {
    const char* name;
    Program program;
    std::string data;
    int status;
    std::string err;  // standard error, exactly
};

class ArithmeticFailure : public ::testing::TestWithParam<FailedRun> {};

TEST_P(ArithmeticFailure, EndsWithTheMessageOfTheStatusFlags) {
    const FailedRun& row = GetParam();
    testing::ScratchDir dir;
    testing::writeFile(dir.file("data.txt"), row.data);
    std::ostringstream out, err;
    const int status = runProgram(
        row.program, {dir.file("data.txt"), dir.file("r.txt"), dir.file("g.txt"), dir.file("s.txt")},
        "12-08-2026", out, err);
    EXPECT_EQ(status, row.status);
    EXPECT_EQ(err.str(), row.err);
    EXPECT_FALSE(fp::raised());
}

const std::string kInvalid = "invalid arithmetic (0/0, or a square root or logarithm out of its domain)";

std::vector<FailedRun> failedRuns() {
    return {
        // Activities of concentrations near 1e200: the polynomial overflows
        // and its terms cancel as inf - inf.
        {"huge concentrations", Program::Quenfit, scaledExample("series.dat", 2, 3, 1e200), 1,
         "quenfit: warning: phase-plane stage: the Stern-Volmer line of component 1 cannot be fitted (all "
         "quencher activities equal, or F0/F the same in every spectrum); the component fits follow\n"
         "quenfit: VELA-I pass: " + kInvalid + "\n"},
        // A spectrum near -1e300: the lever rule and the three-component fit fail.
        {"spectrum near -1e300", Program::Quenfit, scaledExample("series.dat", 13, 23, -1e300), 1,
         "quenfit: warning: phase-plane stage: lever rule of spectrum 2: " + kInvalid +
             "; the component fits follow\nquenfit: VELA-III pass: " + kInvalid + "\n"},
        // A standard value so small that its ratio to the maximum is 0.
        {"standard value of 4.9e-324", Program::Monofit, replacedField("single.dat", 16, 3, "4.9e-324"), 1,
         "monofit: the graph file, before writing the number infinity: division by zero\n"},
        {"standard value of 4.9e-324 in a series", Program::Quenfit,
         replacedField("series.dat", 105, 3, "4.9e-324"), 1,
         "quenfit: the graph file, before writing the number infinity: division by zero\n"},
        // An overflowing file still fails: correction factors beyond the range.
        {"standard scaled by 1e305", Program::Monofit, scaledExample("single.dat", 12, 22, 1e305), 1,
         "monofit: the graph file, before writing the number infinity: arithmetic overflow\n"},
        // Tiny spectrum values: the fit's amplitudes overflow.
        {"spectrum scaled by 1e-320", Program::Monofit, scaledExample("single.dat", 2, 12, 1e-320), 1,
         "monofit: VELA-I pass: arithmetic overflow\n"},
    };
}

std::string runName(const ::testing::TestParamInfo<FailedRun>& info) {
    std::string name;
    for (const char* c = info.param.name; *c; ++c) name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Runs, ArithmeticFailure, ::testing::ValuesIn(failedRuns()), runName);

}  // namespace
}  // namespace qf
