#include "textio/fpcheck.h"

#include <cfenv>
#include <string>

#include "textio/failure.h"

namespace qf::fp {

namespace {
constexpr int kFailureFlags = FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW;
}

void clear() { std::feclearexcept(kFailureFlags); }

bool raised() { return std::fetestexcept(kFailureFlags) != 0; }

void check(std::string_view where) {
    const int flags = std::fetestexcept(kFailureFlags);
    if (flags == 0) return;
    std::string cause;
    if (flags & FE_DIVBYZERO) {
        cause = "division by zero";
    } else if (flags & FE_INVALID) {
        cause = "invalid arithmetic (0/0, or a square root or logarithm out of its domain)";
    } else {
        cause = "arithmetic overflow";
    }
    clear();
    std::string message(where);
    if (!message.empty()) message += ": ";
    fail(message + cause);
}

}  // namespace qf::fp
