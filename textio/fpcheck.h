#pragma once
// Arithmetic failures. The legacy runtime stopped the run on a division by
// zero (0/0 included), on the square root or logarithm of a number out of
// domain and on overflow. The operations that can meet one of these events
// record it (textio/checked.h); the record is cleared when a run starts and
// tested before every output operation and at the end of every computation
// that writes nothing, so a failed operation never lets a NaN or an
// infinity reach a report.

#include <string_view>

namespace qf::fp {

// Clears this thread's record of division by zero, invalid operation and
// overflow.
void clear();

// Throws RunFailure when one of the events is recorded; `where` names the
// computation in the message ("VELA-II search: division by zero").
void check(std::string_view where);

// True when one of the events is recorded.
bool raised();

}  // namespace qf::fp
