#pragma once
// Checked arithmetic. The legacy runtime stopped a run on a division by zero
// (0/0 included), on the square root or logarithm of a number out of its
// domain and on overflow. The operations here compute exactly what the plain
// IEEE operation computes and, when it is one of those events, record it in
// a per-thread record that stays set until it is cleared, like the IEEE
// status flags: the run's check points (textio/fpcheck.h) read that record.
// The record does not depend on the processor's status flags, which some
// targets (WebAssembly) do not have.
//
// Every event gives a result that is not finite, so the fast path is one
// test of the result; only a result that is not finite is classified:
//  * division by zero: a finite nonzero number divided by 0, log(0),
//    pow(0, y) with y < 0;
//  * invalid: inf - inf, 0 * inf, 0/0, inf/inf, sqrt or log of a negative
//    number, pow of a negative number to a fraction;
//  * overflow: a finite operation whose result is infinite.
// A NaN or an infinity among the operands carries an earlier event along
// without a new one, as IEEE arithmetic does.
//
// Real is a double whose operators are checked; formulas keep their written
// order of operations (C++ precedence and left-to-right association), so
// the results are bit-identical to the same formula in plain doubles.
//
// Hot loops made only of +, - and * may run in plain doubles and repeat the
// same operations in Real when the result is not finite: an infinity or a
// NaN met on the way stays in a result of those operations (inf - inf and
// 0 * inf give NaN), so a finite result means that no event happened.

#include <cmath>

namespace qf::fp {

enum Event : unsigned {
    kDivisionByZero = 1u,
    kInvalid = 2u,
    kOverflow = 4u,
};

// The events recorded on this thread since the last clear.
inline unsigned& eventRecord() {
    thread_local unsigned events = 0;
    return events;
}

inline void record(unsigned events) { eventRecord() |= events; }

namespace detail {

// Classification of a result that is not finite (cold paths).
[[gnu::noinline, gnu::cold]] void sumEvent(double a, double b, double r);
[[gnu::noinline, gnu::cold]] void productEvent(double a, double b, double r);
[[gnu::noinline, gnu::cold]] void quotientEvent(double a, double b, double r);
[[gnu::noinline, gnu::cold]] void unaryEvent(double x, double r);  // sqrt, exp
[[gnu::noinline, gnu::cold]] void logEvent(double x, double r);
[[gnu::noinline, gnu::cold]] void powEvent(double x, double y, double r);

}  // namespace detail

inline double add(double a, double b) {
    const double r = a + b;
    if (!std::isfinite(r)) [[unlikely]] detail::sumEvent(a, b, r);
    return r;
}

inline double sub(double a, double b) {
    const double r = a - b;
    if (!std::isfinite(r)) [[unlikely]] detail::sumEvent(a, -b, r);
    return r;
}

inline double mul(double a, double b) {
    const double r = a * b;
    if (!std::isfinite(r)) [[unlikely]] detail::productEvent(a, b, r);
    return r;
}

inline double div(double a, double b) {
    const double r = a / b;
    if (!std::isfinite(r)) [[unlikely]] detail::quotientEvent(a, b, r);
    return r;
}

inline double sqrt(double x) {
    const double r = std::sqrt(x);
    if (!std::isfinite(r)) [[unlikely]] detail::unaryEvent(x, r);
    return r;
}

inline double log(double x) {
    const double r = std::log(x);
    if (!std::isfinite(r)) [[unlikely]] detail::logEvent(x, r);
    return r;
}

inline double exp(double x) {
    const double r = std::exp(x);
    if (!std::isfinite(r)) [[unlikely]] detail::unaryEvent(x, r);
    return r;
}

inline double pow(double x, double y) {
    const double r = std::pow(x, y);
    if (!std::isfinite(r)) [[unlikely]] detail::powEvent(x, y, r);
    return r;
}

class Real {
public:
    constexpr Real(double v = 0.0) : v_(v) {}  // NOLINT: implicit on purpose
    constexpr double value() const { return v_; }

    Real& operator+=(Real b) { return *this = add(v_, b.v_); }
    Real& operator-=(Real b) { return *this = sub(v_, b.v_); }
    Real& operator*=(Real b) { return *this = mul(v_, b.v_); }
    Real& operator/=(Real b) { return *this = div(v_, b.v_); }

    friend Real operator+(Real a, Real b) { return add(a.v_, b.v_); }
    friend Real operator-(Real a, Real b) { return sub(a.v_, b.v_); }
    friend Real operator*(Real a, Real b) { return mul(a.v_, b.v_); }
    friend Real operator/(Real a, Real b) { return div(a.v_, b.v_); }
    friend Real operator-(Real a) { return -a.v_; }

    friend bool operator==(Real a, Real b) { return a.v_ == b.v_; }
    friend bool operator<(Real a, Real b) { return a.v_ < b.v_; }
    friend bool operator>(Real a, Real b) { return a.v_ > b.v_; }
    friend bool operator<=(Real a, Real b) { return a.v_ <= b.v_; }
    friend bool operator>=(Real a, Real b) { return a.v_ >= b.v_; }

private:
    double v_;
};

// The double of a plain or a checked number, for code written once for both.
inline double valueOf(double x) { return x; }
inline double valueOf(Real x) { return x.value(); }

inline Real sqrt(Real x) { return fp::sqrt(x.value()); }
inline Real log(Real x) { return fp::log(x.value()); }
inline Real exp(Real x) { return fp::exp(x.value()); }
inline Real pow(Real x, Real y) { return fp::pow(x.value(), y.value()); }
inline Real fabs(Real x) { return std::fabs(x.value()); }
// Fix: truncation toward zero (no event).
inline Real fix(Real x) { return std::trunc(x.value()); }
inline Real sgn(Real x) { return x > 0.0 ? 1.0 : (x < 0.0 ? -1.0 : 0.0); }

}  // namespace qf::fp
