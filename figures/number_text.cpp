#include "figures/number_text.h"

#include <cmath>

namespace qf::figures {

double powerOfTen(int exponent) {
    // Every power up to 1e22 is exact in a double; a negative exponent is one
    // correctly rounded division.
    const int n = exponent < 0 ? -exponent : exponent;
    if (n > 22) return std::pow(10.0, exponent);
    double p = 1.0;
    for (int i = 0; i < n; ++i) p *= 10.0;
    return exponent < 0 ? 1.0 / p : p;
}

std::string formatFixed(double value, int decimals) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    if (decimals < 0) decimals = 0;
    if (decimals > 20) decimals = 20;
    double scaled = std::round(std::fabs(value) * powerOfTen(decimals));
    // Past 2^53 the digits below the point are noise anyway; drop them.
    while (scaled >= 9.0e15 && decimals > 0) {
        --decimals;
        scaled = std::round(std::fabs(value) * powerOfTen(decimals));
    }
    if (scaled >= 9.0e18) return value < 0 ? "-inf" : "inf";
    std::string digits = std::to_string(static_cast<unsigned long long>(scaled));
    if (decimals > 0) {
        if (digits.size() <= static_cast<std::size_t>(decimals)) {
            digits.insert(0, static_cast<std::size_t>(decimals) + 1 - digits.size(), '0');
        }
        digits.insert(digits.size() - static_cast<std::size_t>(decimals), ".");
    }
    const bool negative = value < 0 && scaled != 0.0;
    return negative ? "-" + digits : digits;
}

std::string formatShort(double value, int decimals) {
    std::string text = formatFixed(value, decimals);
    if (text.find('.') == std::string::npos) return text;
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text;
}

}  // namespace qf::figures
