#include "textio/number_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "textio/failure.h"

namespace qf {

namespace {

// Strips trailing zeros of a digit string (the mantissa digits of %e).
std::string stripTrailingZeros(std::string digits) {
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    return digits;
}

}  // namespace

std::string numberText(double value) {
    if (!std::isfinite(value)) fail("a value that is not a finite number reached a report");
    if (value == 0.0) return "0";  // also -0

    // Round to 15 significant digits first: the decision between the plain and
    // the exponent form is made on the rounded value (9.999999999999999E+14
    // prints as 1E+15).
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", value);
    // buf: [-]d.dddddddddddddde[+-]XX
    std::string s(buf);
    const bool negative = s[0] == '-';
    if (negative) s.erase(0, 1);
    const std::size_t ePos = s.find('e');
    const int exponent = std::atoi(s.c_str() + ePos + 1);
    std::string digits = s.substr(0, 1) + s.substr(2, ePos - 2);  // 15 digits
    digits = stripTrailingZeros(digits);

    std::string out = negative ? "-" : "";
    if (exponent >= 15 || exponent < -4) {
        out += digits.substr(0, 1);
        if (digits.size() > 1) out += "." + digits.substr(1);
        char ebuf[16];
        std::snprintf(ebuf, sizeof ebuf, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        out += ebuf;
        return out;
    }
    const int nDigits = static_cast<int>(digits.size());
    if (exponent >= 0) {
        const int intDigits = exponent + 1;
        if (nDigits <= intDigits) {
            out += digits + std::string(static_cast<std::size_t>(intDigits - nDigits), '0');
        } else {
            out += digits.substr(0, static_cast<std::size_t>(intDigits)) + "." +
                   digits.substr(static_cast<std::size_t>(intDigits));
        }
    } else {
        out += "." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    }
    return out;
}

}  // namespace qf
