#include "textio/fpcheck.h"

#include <string>

#include "textio/checked.h"
#include "textio/failure.h"

namespace qf::fp {

void clear() { eventRecord() = 0; }

bool raised() { return eventRecord() != 0; }

void check(std::string_view where) {
    const unsigned events = eventRecord();
    if (events == 0) return;
    // Of several events the division by zero is named first, then the
    // invalid operation, then the overflow.
    std::string cause;
    if (events & kDivisionByZero) {
        cause = "division by zero";
    } else if (events & kInvalid) {
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
