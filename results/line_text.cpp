#include "results/line_text.h"

#include <charconv>
#include <cmath>

#include "textio/double_chars.h"
#include "textio/number_text.h"

namespace qf::results {

namespace {

constexpr int kZoneWidth = 14;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// [-] digits [. digits] [E sign digits], at least one digit in the mantissa.
bool hasNumberShape(std::string_view t) {
    std::size_t i = 0;
    if (i < t.size() && t[i] == '-') ++i;
    std::size_t digits = 0;
    while (i < t.size() && isDigit(t[i])) ++i, ++digits;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && isDigit(t[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < t.size() && t[i] == 'E') {
        ++i;
        if (i >= t.size() || (t[i] != '+' && t[i] != '-')) return false;
        ++i;
        std::size_t expDigits = 0;
        while (i < t.size() && isDigit(t[i])) ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    return i == t.size();
}

}  // namespace

LineText& LineText::text(std::string_view s) {
    line_.append(s);
    return *this;
}

LineText& LineText::number(double value) {
    const std::string digits = numberText(value);
    if (digits[0] != '-') line_ += ' ';
    line_ += digits;
    line_ += ' ';
    return *this;
}

LineText& LineText::tab(int column) {
    const int current = static_cast<int>(line_.size()) + 1;
    if (current < column) {
        line_.append(static_cast<std::size_t>(column - current), ' ');
    } else if (current > column) {
        ok_ = false;
    }
    return *this;
}

LineText& LineText::zone() {
    const int current = static_cast<int>(line_.size()) + 1;
    const int next = ((current - 1) / kZoneWidth + 1) * kZoneWidth + 1;
    line_.append(static_cast<std::size_t>(next - current), ' ');
    return *this;
}

LineText& LineText::write(double value) {
    line_ += numberText(value);
    line_ += ',';
    return *this;
}

std::optional<double> parseNumber(std::string_view token) {
    if (!hasNumberShape(token)) return std::nullopt;
    // from_chars takes "-.5" and ".5" but not a "+" in front; the shape check
    // has ruled that out already.
    double value = 0;
    const auto [end, ec] = text::fromChars(token.data(), token.data() + token.size(), value);
    if (ec != std::errc() || end != token.data() + token.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    if (numberText(value) != token) return std::nullopt;
    return value;
}

}  // namespace qf::results
