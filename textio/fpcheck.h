#pragma once
// Arithmetic failures. The legacy runtime stopped the run on a division by
// zero (0/0 included), on the square root or logarithm of a number out of
// domain and on overflow. We detect the same events through the IEEE status
// flags: they are cleared when a run starts and tested before every output
// operation and at the end of every computation that writes nothing, so a
// failed operation never lets a NaN or an infinity reach a report.

#include <string_view>

namespace qf::fp {

// Clears the division-by-zero, invalid-operation and overflow flags.
void clear();

// Throws RunFailure when one of the flags is raised; `where` names the
// computation in the message ("VELA-II search: division by zero").
void check(std::string_view where);

// True when one of the failure flags is raised.
bool raised();

}  // namespace qf::fp
