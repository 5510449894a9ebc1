#pragma once
// Double <-> text where the C++ library may lack it. std::to_chars and
// std::from_chars for double, and std::bit_cast, are missing from some
// libraries (the C++ library of Emscripten 3.1, for one). toChars and
// fromChars call the library where it has them and otherwise a fallback
// that gives the same characters and the same values:
//  * toChars: the shortest text that reads back as the same double, in
//    plain or exponent form, whichever is shorter (plain on a tie), exactly
//    as std::to_chars(first, last, value) writes it;
//  * fromChars: std::from_chars(first, last, value, chars_format::general):
//    an optional "-", digits with an optional point and exponent, or inf,
//    infinity, nan; correctly rounded; a number beyond the double range
//    (or a nonzero one that rounds to 0) leaves value as it was and says
//    result_out_of_range.
// The fallbacks are always built, so that a test compares them with the
// library where both exist.

#include <charconv>
#include <cstdint>
#include <cstring>
#include <system_error>
#include <type_traits>
#include <version>

#if defined(__cpp_lib_bit_cast)
#include <bit>
#endif

namespace qf::text {

std::to_chars_result toCharsFallback(char* first, char* last, double value);
std::from_chars_result fromCharsFallback(const char* first, const char* last, double& value);

inline std::to_chars_result toChars(char* first, char* last, double value) {
#if defined(__cpp_lib_to_chars)
    return std::to_chars(first, last, value);
#else
    return toCharsFallback(first, last, value);
#endif
}

inline std::from_chars_result fromChars(const char* first, const char* last, double& value) {
#if defined(__cpp_lib_to_chars)
    return std::from_chars(first, last, value, std::chars_format::general);
#else
    return fromCharsFallback(first, last, value);
#endif
}

// std::bit_cast between types of one size.
template <class To, class From>
To bitCast(const From& from) {
    static_assert(sizeof(To) == sizeof(From) && std::is_trivially_copyable_v<From> &&
                  std::is_trivially_copyable_v<To>);
#if defined(__cpp_lib_bit_cast)
    return std::bit_cast<To>(from);
#else
    To to;
    std::memcpy(&to, &from, sizeof to);
    return to;
#endif
}

}  // namespace qf::text
