#include "textio/double_chars.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace qf::text {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Length of `word` at p (case-insensitive), or 0.
std::size_t startsWith(const char* p, const char* last, const char* word) {
    std::size_t n = 0;
    for (; word[n] != '\0'; ++n) {
        if (p + n == last || lower(p[n]) != word[n]) return 0;
    }
    return n;
}

// The correctly rounded decimal digits of |value| with `precision`
// significant digits, and the decimal exponent of the first.
struct Decimal {
    std::string digits;
    int exponent = 0;
};

Decimal rounded(double magnitude, int precision) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", precision - 1, magnitude);
    Decimal d;
    const char* e = std::strchr(buf, 'e');
    for (const char* c = buf; c != e; ++c) {
        if (isDigit(*c)) d.digits += *c;
    }
    d.exponent = std::atoi(e + 1);
    return d;
}

// The next decimal of the same length above d.
Decimal nextUp(Decimal d) {
    std::size_t i = d.digits.size();
    while (i > 0 && d.digits[i - 1] == '9') d.digits[--i] = '0';
    if (i == 0) {
        d.digits.insert(d.digits.begin(), '1');
        d.digits.pop_back();
        ++d.exponent;
    } else {
        ++d.digits[i - 1];
    }
    return d;
}

double valueOf(const Decimal& d) {
    std::string text = d.digits.substr(0, 1) + "." + d.digits.substr(1) + "e" + std::to_string(d.exponent);
    return std::strtod(text.c_str(), nullptr);
}

// A decimal of `precision` digits that reads back as `magnitude`: the
// correctly rounded one, or, where the rounding interval is narrower below
// the value than above it (a power of two), the one above it.
bool shortestAt(double magnitude, int precision, Decimal& out) {
    Decimal d = rounded(magnitude, precision);
    if (valueOf(d) == magnitude) {
        out = d;
        return true;
    }
    int exponent2 = 0;
    if (std::frexp(magnitude, &exponent2) != 0.5) return false;
    d = nextUp(d);
    if (valueOf(d) != magnitude) return false;
    out = d;
    return true;
}

std::string shortestText(double value) {
    std::string sign = std::signbit(value) ? "-" : "";
    if (std::isnan(value)) return sign + "nan";
    if (std::isinf(value)) return sign + "inf";
    if (value == 0.0) return sign + "0";
    const double magnitude = std::fabs(value);
    // The least number of digits that reads back, by bisection: if some
    // decimal of p digits reads back, so does one of p + 1 digits.
    int low = 1;
    int high = 17;
    Decimal best;
    shortestAt(magnitude, high, best);
    while (low < high) {
        const int mid = (low + high) / 2;
        Decimal d;
        if (shortestAt(magnitude, mid, d)) {
            high = mid;
            best = d;
        } else {
            low = mid + 1;
        }
    }
    std::string digits = best.digits;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    const int n = static_cast<int>(digits.size());
    const int x = best.exponent;

    std::string scientific = digits.substr(0, 1);
    if (n > 1) scientific += "." + digits.substr(1);
    char exponent[16];
    std::snprintf(exponent, sizeof exponent, "e%c%02d", x < 0 ? '-' : '+', x < 0 ? -x : x);
    scientific += exponent;

    std::string plain;
    if (x >= 0) {
        if (n <= x + 1) {
            // A whole number in plain form is written exactly, not as its
            // shortest digits padded with zeros (2^61 is 2305843009213693952).
            char buf[400];
            std::snprintf(buf, sizeof buf, "%.0f", magnitude);
            plain = buf;
        } else {
            plain = digits.substr(0, static_cast<std::size_t>(x + 1)) + "." +
                    digits.substr(static_cast<std::size_t>(x + 1));
        }
    } else {
        plain = "0." + std::string(static_cast<std::size_t>(-x - 1), '0') + digits;
    }
    return sign + (plain.size() <= scientific.size() ? plain : scientific);
}

}  // namespace

std::to_chars_result toCharsFallback(char* first, char* last, double value) {
    const std::string text = shortestText(value);
    if (static_cast<std::size_t>(last - first) < text.size()) return {last, std::errc::value_too_large};
    std::memcpy(first, text.data(), text.size());
    return {first + text.size(), std::errc{}};
}

std::from_chars_result fromCharsFallback(const char* first, const char* last, double& value) {
    const char* p = first;
    const bool negative = p != last && *p == '-';
    if (negative) ++p;
    if (std::size_t n = startsWith(p, last, "inf")) {
        if (std::size_t m = startsWith(p, last, "infinity")) n = m;
        value = negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
        return {p + n, std::errc{}};
    }
    if (std::size_t n = startsWith(p, last, "nan")) {
        const char* q = p + n;
        if (q != last && *q == '(') {
            const char* r = q + 1;
            while (r != last && (isDigit(*r) || (lower(*r) >= 'a' && lower(*r) <= 'z') || *r == '_')) ++r;
            if (r != last && *r == ')') q = r + 1;
        }
        const double nan = std::numeric_limits<double>::quiet_NaN();
        value = negative ? -nan : nan;
        return {q, std::errc{}};
    }
    // Digits, an optional point and digits, at least one digit in all.
    const char* q = p;
    bool anyDigit = false;
    bool nonzero = false;
    while (q != last && isDigit(*q)) {
        anyDigit = true;
        nonzero = nonzero || *q != '0';
        ++q;
    }
    if (q != last && *q == '.') {
        ++q;
        while (q != last && isDigit(*q)) {
            anyDigit = true;
            nonzero = nonzero || *q != '0';
            ++q;
        }
    }
    if (!anyDigit) return {first, std::errc::invalid_argument};
    // An exponent counts only with at least one digit.
    if (q != last && (*q == 'e' || *q == 'E')) {
        const char* r = q + 1;
        if (r != last && (*r == '+' || *r == '-')) ++r;
        if (r != last && isDigit(*r)) {
            while (r != last && isDigit(*r)) ++r;
            q = r;
        }
    }
    const std::string text(first, q);
    const double parsed = std::strtod(text.c_str(), nullptr);
    if (std::isinf(parsed) || (parsed == 0.0 && nonzero)) return {q, std::errc::result_out_of_range};
    value = parsed;
    return {q, std::errc{}};
}

}  // namespace qf::text
