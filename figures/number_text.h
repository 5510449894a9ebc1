#pragma once
// Numbers as text for figures and pages. The text depends only on the value
// and the number of decimals asked for: no locale, no printf, so a figure is
// the same bytes on every machine.

#include <string>

namespace qf::figures {

// `value` rounded to `decimals` places (0..20, fewer where the digits
// would pass the 15-16 a double holds), half away from zero, with
// exactly that many decimals: formatFixed(2.5, 2) == "2.50". A value that
// rounds to zero prints without a sign; a value that is not finite prints as
// "nan" or "inf" / "-inf" so that the fault shows instead of a made-up number.
std::string formatFixed(double value, int decimals);

// Like formatFixed, with trailing zeros and a trailing point dropped:
// formatShort(2.50, 2) == "2.5", formatShort(3.0, 2) == "3". Used for
// coordinates and for values of the reports, which carry their own precision.
std::string formatShort(double value, int decimals);

// 10 to the power `exponent`: for -22..22 from exact powers of ten (one
// division for a negative exponent), so the same exponent gives the same
// double everywhere.
double powerOfTen(int exponent);

}  // namespace qf::figures
