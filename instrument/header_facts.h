#pragma once
// What the header and footer lines of an export state: whether the spectra
// are corrected for the instrument, the excitation and emission wavelengths
// (a range or one fixed value), the scanned axis of a JCAMP-like header,
// and whether the recording is a time scan. Internal to the instrument
// library.

#include <vector>

#include "instrument/export.h"
#include "instrument/text_table.h"

namespace qf::instrument {

// Reads every line that is not a row of numbers.
HeaderFacts readHeaderFacts(const std::vector<Line>& lines);

// A time trace: the header fixes both the excitation and the emission
// wavelength (and gives no emission range), or calls it a time scan. The
// cause for the refusal ("the header fixes ..."), the line in `line`; else
// empty.
std::string timeTraceCause(const HeaderFacts& facts, int& line);

// True when an "EX/EM" kind of word: excitation, emission (also German,
// French, Spanish and Japanese or Chinese words, in UTF-8).
bool isExcitationWord(std::string_view lowerWord);
bool isEmissionWord(std::string_view lowerWord);

}  // namespace qf::instrument
