#include "textio/checked.h"

namespace qf::fp::detail {

// a + b gave r, which is not finite.
void sumEvent(double a, double b, double r) {
    if (std::isnan(a) || std::isnan(b)) return;
    if (std::isnan(r)) {
        record(kInvalid);  // inf + (-inf)
    } else if (std::isfinite(a) && std::isfinite(b)) {
        record(kOverflow);
    }
}

void productEvent(double a, double b, double r) {
    if (std::isnan(a) || std::isnan(b)) return;
    if (std::isnan(r)) {
        record(kInvalid);  // 0 * inf
    } else if (std::isfinite(a) && std::isfinite(b)) {
        record(kOverflow);
    }
}

void quotientEvent(double a, double b, double r) {
    if (std::isnan(a) || std::isnan(b)) return;
    if (std::isnan(r)) {
        record(kInvalid);  // 0/0, inf/inf
    } else if (std::isfinite(a)) {
        record(b == 0.0 ? kDivisionByZero : kOverflow);
    }
}

void unaryEvent(double x, double r) {
    if (std::isnan(x)) return;
    if (std::isnan(r)) {
        record(kInvalid);  // square root of a negative number
    } else if (std::isfinite(x)) {
        record(kOverflow);  // exp
    }
}

void logEvent(double x, double r) {
    if (std::isnan(x)) return;
    if (x == 0.0) {
        record(kDivisionByZero);
    } else if (std::isnan(r)) {
        record(kInvalid);
    }
}

void powEvent(double x, double y, double r) {
    if (std::isnan(x) || std::isnan(y) || std::isinf(x) || std::isinf(y)) return;
    if (std::isnan(r)) {
        record(kInvalid);  // a negative number to a fraction
    } else if (x == 0.0) {
        record(kDivisionByZero);  // 0 to a negative power
    } else {
        record(kOverflow);
    }
}

}  // namespace qf::fp::detail
