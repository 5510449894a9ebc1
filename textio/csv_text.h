#pragma once
// Text for the tidy tables and pages beside the reports: valid UTF-8 and
// RFC 4180 CSV fields. Data files, folder names and titles may come in an
// old code page; every table and page we write must still be UTF-8.

#include <string>
#include <string_view>

namespace qf::text {

// The text with every byte that is not part of a valid UTF-8 sequence
// replaced by U+FFFD.
std::string validUtf8(std::string_view text);

// One CSV field: valid UTF-8, quoted when it holds a comma, a quote or a
// line end (quotes doubled inside).
std::string csvField(std::string_view raw);

}  // namespace qf::text
