// The fallbacks for double <-> text that stand in where the C++ library
// lacks std::to_chars / std::from_chars for double must give exactly what
// the library gives. Here, where the library has both, they are compared
// over millions of values: random bit patterns, the texts of random
// doubles, random decimal strings of many lengths and exponents, exact
// halfway points between neighbouring doubles, subnormals, the edges of the
// range and malformed text.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "textio/double_chars.h"

namespace qf::text {
namespace {

std::uint64_t bits(double v) { return bitCast<std::uint64_t>(v); }
double fromBits(std::uint64_t b) { return bitCast<double>(b); }

std::string libraryText(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string fallbackText(double v) {
    char buf[64];
    const auto r = toCharsFallback(buf, buf + sizeof buf, v);
    EXPECT_EQ(r.ec, std::errc{});
    return std::string(buf, r.ptr);
}

// Counts mismatches and reports the first few.
struct Tally {
    long compared = 0;
    long differing = 0;
    void differs(const std::string& what) {
        if (++differing <= 10) ADD_FAILURE() << what;
    }
};

void compareText(double v, Tally& t) {
    ++t.compared;
    const std::string a = libraryText(v);
    const std::string b = fallbackText(v);
    if (a != b) t.differs("to_chars of bits " + std::to_string(bits(v)) + ": library " + a + ", fallback " + b);
}

void compareParse(const std::string& text, Tally& t) {
    ++t.compared;
    // A value that neither parse produces, to see that a failed parse
    // leaves it as it was.
    const double sentinel = 12345.678;
    double a = sentinel;
    double b = sentinel;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    const auto ra = std::from_chars(first, last, a, std::chars_format::general);
    const auto rb = fromCharsFallback(first, last, b);
    const bool same = ra.ptr == rb.ptr && ra.ec == rb.ec &&
                      (bits(a) == bits(b) || (std::isnan(a) && std::isnan(b) && std::signbit(a) == std::signbit(b)));
    if (!same) {
        t.differs("from_chars of \"" + text + "\": library " + std::to_string(ra.ptr - first) + " " +
                  std::to_string(static_cast<int>(ra.ec)) + " " + libraryText(a) + ", fallback " +
                  std::to_string(rb.ptr - first) + " " + std::to_string(static_cast<int>(rb.ec)) + " " +
                  libraryText(b));
    }
}

std::vector<double> edgeValues() {
    std::vector<double> v = {0.0, -0.0, 1.0, -1.0, 0.1, 0.2, 0.3, 1.0 / 3.0, 2.0 / 3.0, 100.0, 1e15, 1e16,
                             1e17, 1e21, 1e22, 1e23, 123456789012345680000.0, 9007199254740992.0,
                             9007199254740993.0, 5e-324, 1e-323, 2.2250738585072014e-308,
                             2.2250738585072009e-308, DBL_MAX, -DBL_MAX, DBL_MIN, DBL_EPSILON,
                             0.0001, 0.001, 1e-5, 1e-7, 123.456, 0.000123, 299.9, 320.0, 0.957,
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity()};
    // Every power of two: their rounding interval is narrower below them.
    for (int e = -1074; e <= 1023; ++e) v.push_back(std::ldexp(1.0, e));
    // Powers of ten and their neighbours.
    for (int e = -323; e <= 308; ++e) {
        const double p = std::pow(10.0, e);
        v.push_back(p);
        v.push_back(std::nextafter(p, 0.0));
        v.push_back(std::nextafter(p, DBL_MAX));
    }
    return v;
}

TEST(DoubleChars, ShortestTextAsTheLibraryWritesIt) {
    Tally t;
    for (double v : edgeValues()) compareText(v, t);
    std::mt19937_64 rng(19);
    for (int i = 0; i < 1000000; ++i) {
        const double v = fromBits(rng());
        if (std::isnan(v)) continue;  // the library writes nan and -nan, and so do we
        compareText(v, t);
    }
    // Values the reports and the imports meet: a few decimals, moderate size.
    std::uniform_int_distribution<int> decimals(0, 6);
    std::uniform_real_distribution<double> size(-1000.0, 100000.0);
    for (int i = 0; i < 300000; ++i) {
        const double scale = std::pow(10.0, decimals(rng));
        compareText(std::round(size(rng) * scale) / scale, t);
    }
    EXPECT_EQ(t.differing, 0) << "of " << t.compared;
    EXPECT_GT(t.compared, 1300000);
}

TEST(DoubleChars, TextWhereItDoesNotFit) {
    char buf[4];
    const auto r = toCharsFallback(buf, buf + sizeof buf, 123.25);
    EXPECT_EQ(r.ec, std::errc::value_too_large);
    EXPECT_EQ(r.ptr, buf + sizeof buf);
    EXPECT_EQ(fallbackText(std::numeric_limits<double>::quiet_NaN()), "nan");
    EXPECT_EQ(fallbackText(-std::numeric_limits<double>::quiet_NaN()), "-nan");
}

TEST(DoubleChars, ParsesAsTheLibraryDoes) {
    Tally t;
    std::mt19937_64 rng(1919);
    // The texts of random doubles, shortest and with 17 digits.
    for (int i = 0; i < 600000; ++i) {
        const double v = fromBits(rng());
        if (!std::isfinite(v)) continue;
        compareParse(libraryText(v), t);
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.17g", v);
        compareParse(buf, t);
    }
    // Random decimal strings: 1 to 40 digits, a point anywhere or none,
    // exponents across and beyond the range.
    std::uniform_int_distribution<int> length(1, 40);
    std::uniform_int_distribution<int> digit(0, 9);
    std::uniform_int_distribution<int> exponent(-360, 340);
    std::uniform_int_distribution<int> coin(0, 3);
    for (int i = 0; i < 800000; ++i) {
        std::string s = coin(rng) == 0 ? "-" : "";
        const int n = length(rng);
        const int point = coin(rng) == 0 ? -1 : std::uniform_int_distribution<int>(0, n)(rng);
        for (int k = 0; k < n; ++k) {
            if (k == point) s += '.';
            s += static_cast<char>('0' + digit(rng));
        }
        if (point == n) s += '.';
        if (coin(rng) != 0) s += (coin(rng) == 0 ? "E" : "e") + std::to_string(exponent(rng));
        compareParse(s, t);
    }
    // Exact halfway points between neighbouring doubles (normal and
    // subnormal), and a hair above and below them: the rounding to even
    // must agree.
    for (int i = 0; i < 200000; ++i) {
        double v = fromBits(rng() & 0x7fffffffffffffffull);
        if (!std::isfinite(v) || v == DBL_MAX) continue;
        if (i % 4 == 0) v = fromBits(rng() & 0x000fffffffffffffull);  // subnormal
        const long double mid = (static_cast<long double>(v) + std::nextafter(v, DBL_MAX)) / 2.0L;
        char buf[1200];
        std::snprintf(buf, sizeof buf, "%.800Le", mid);
        std::string exact(buf);
        // Drop the trailing zeros of the mantissa: the expansion is exact.
        const std::size_t e = exact.find('e');
        std::string mantissa = exact.substr(0, e);
        while (mantissa.back() == '0') mantissa.pop_back();
        const std::string tail = exact.substr(e);
        compareParse(mantissa + tail, t);
        compareParse(mantissa + "1" + tail, t);
        if (mantissa.back() != '.') {
            std::string below = mantissa;
            below.back() = static_cast<char>(below.back() - 1);
            compareParse(below + "9999" + tail, t);
        }
    }
    // Edges and malformed text.
    for (const char* s : {"0", "-0", "0.0", ".5", "-.5", "5.", ".", "-", "", "+1", " 1", "1 ", "1e", "1e+",
                          "1e-", "1E5", "1e+308", "1.7976931348623157e308", "1.7976931348623158e308",
                          "1.7976931348623159e308", "1e309", "-1e309", "2e-324", "3e-324", "2.4703282292062328e-324",
                          "2.4703282292062327e-324", "1e-400", "-1e-400", "0e-400", "0e999999", "1e999999999999",
                          "4.9406564584124654e-324", "2.2250738585072011e-308", "inf", "-inf", "INF", "Infinity",
                          "infinit", "nan", "-nan", "NaN(123)", "nan(", "nan()", "0x1p3", "1,5", "1.5.2",
                          "00000000000000000000000000000000001", "1e0001", "9007199254740993",
                          "123456789012345678901234567890", ".000000000000000000000000000001e30"}) {
        compareParse(s, t);
    }
    EXPECT_EQ(t.differing, 0) << "of " << t.compared;
    EXPECT_GT(t.compared, 2000000);
}

TEST(DoubleChars, BitCastKeepsEveryBit) {
    EXPECT_EQ(bits(1.0), 0x3ff0000000000000ull);
    EXPECT_EQ(bits(-0.0), 0x8000000000000000ull);
    EXPECT_EQ(bitCast<double>(std::uint64_t{1}), 5e-324);
}

}  // namespace
}  // namespace qf::text
