#pragma once
// The text of a number in every report: whole numbers without a decimal
// point, otherwise at most 15 significant digits without trailing zeros and
// without the 0 in front of the point (.125, -.5). Magnitudes of 1E+15 and
// more, and nonzero magnitudes below 1E-04, take the exponent form 1E-05,
// -2.5E+16 (mantissa as above, a signed exponent of at least two digits).

#include <string>

namespace qf {

std::string numberText(double value);

}  // namespace qf
