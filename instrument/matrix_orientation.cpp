// Which wavelengths of an excitation-emission matrix are the excitation:
// as the command line says, else as the export states it (header keys of
// the axes, a JCAMP-like FIRSTX/LASTX/NPOINTS of the scanned axis, the
// corner cell), else by the Stokes rule: emission lies to the red of the
// excitation, so the axis that reaches further into the red is the
// emission.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "instrument/header_facts.h"
#include "instrument/layouts.h"

namespace qf::instrument {

namespace {

constexpr double kSameX = 0.001;    // nm
constexpr double kHeaderNm = 0.51;  // a header's wavelength rounded to the nm

// Which of the words of a part of a corner cell name: 1 excitation,
// 2 emission, 0 neither or both.
int cornerPart(std::string_view part) {
    bool ex = false, em = false;
    std::string word;
    auto flush = [&] {
        if (word.empty()) return;
        ex = ex || isExcitationWord(word);
        em = em || isEmissionWord(word);
        word.clear();
    };
    for (char c : part) {
        const bool wordByte = (c >= 'a' && c <= 'z') || static_cast<unsigned char>(c) >= 0x80;
        if (wordByte) word += c;
        else flush();
    }
    flush();
    return ex == em ? 0 : ex ? 1 : 2;
}

// Shift JIS words of the instrument software, as UTF-8.
std::string fromShiftJisWords(std::string_view text) {
    std::string t(text);
    const std::pair<std::string_view, std::string_view> kWords[] = {
        {"\x97\xE3\x8B\x4E", "\xE5\x8A\xB1\xE8\xB5\xB7"},  // excitation
        {"\x8C\x75\x8C\xF5", "\xE8\x9B\x8D\xE5\x85\x89"},  // fluorescence
    };
    for (const auto& [from, to] : kWords) {
        for (std::size_t at = t.find(from); at != std::string::npos; at = t.find(from, at)) {
            t.replace(at, from.size(), to);
        }
    }
    return t;
}

// "EX/EM": the first part names the wavelengths down the first column, the
// second those across the first row; in the instrument's language too.
MatrixOrientation cornerOrientation(std::string_view corner) {
    const std::string t = lowerAscii(readableText(fromShiftJisWords(corner)));
    const std::size_t slash = t.find_first_of("/\\");
    if (slash == std::string::npos) return MatrixOrientation::Unknown;
    const int down = cornerPart(std::string_view(t).substr(0, slash));
    const int across = cornerPart(std::string_view(t).substr(slash + 1));
    if (down == 1 && across == 2) return MatrixOrientation::ExRows;
    if (down == 2 && across == 1) return MatrixOrientation::ExColumns;
    return MatrixOrientation::Unknown;
}

bool covers320to380(const std::vector<double>& axis) {
    if (axis.empty()) return false;
    const auto [lo, hi] = std::minmax_element(axis.begin(), axis.end());
    return *lo <= 320.0 + kSameX && *hi >= 380.0 - kSameX;
}

std::string rangeText(const std::vector<double>& axis) {
    if (axis.empty()) return "none";
    const auto [lo, hi] = std::minmax_element(axis.begin(), axis.end());
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g-%g nm", *lo, *hi);
    return buf;
}


const char* orientationText(MatrixOrientation o) {
    return o == MatrixOrientation::ExRows ? "one row per excitation wavelength"
                                          : "one column per excitation wavelength";
}

const char* optionText(MatrixOrientation o) {
    return o == MatrixOrientation::ExRows ? "--matrix ex-rows" : "--matrix ex-columns";
}

bool near(double a, double b) { return std::fabs(a - b) <= kHeaderNm; }

// The stated ends of an axis are the ends of these wavelengths (either way round).
bool axisMatches(const StatedAxis& axis, const std::vector<double>& values) {
    if (values.empty() || !(axis.hasStart || axis.hasEnd)) return false;
    const double lo = *std::min_element(values.begin(), values.end());
    const double hi = *std::max_element(values.begin(), values.end());
    auto isEnd = [lo, hi](double v) { return near(v, lo) || near(v, hi); };
    return (!axis.hasStart || isEnd(axis.start)) && (!axis.hasEnd || isEnd(axis.end)) &&
           (!axis.hasStart || !axis.hasEnd || near(std::min(axis.start, axis.end), lo));
}

// The orientation the header's axis keys give, if they tell.
MatrixFacts fromAxisKeys(const HeaderFacts& h, const std::vector<double>& down,
                         const std::vector<double>& across) {
    const bool exDown = axisMatches(h.excitation, down), exAcross = axisMatches(h.excitation, across);
    const bool emDown = axisMatches(h.emission, down), emAcross = axisMatches(h.emission, across);
    const bool rows = (exDown && !exAcross) || (emAcross && !emDown);
    const bool columns = (exAcross && !exDown) || (emDown && !emAcross);
    MatrixFacts f;
    if (rows == columns) return f;
    f.orientation = rows ? MatrixOrientation::ExRows : MatrixOrientation::ExColumns;
    const bool byEx = exDown != exAcross;
    const StatedAxis& axis = byEx ? h.excitation : h.emission;
    f.line = axis.line;
    f.because = std::string("the header's ") + (byEx ? "excitation" : "emission") + " wavelengths (line " +
                std::to_string(axis.line) + ": \"" + axis.text + "\")";
    return f;
}

// FIRSTX/LASTX (and NPOINTS) describe the scanned axis: the emission.
MatrixFacts fromFirstX(const HeaderFacts& h, const std::vector<double>& down,
                       const std::vector<double>& across) {
    MatrixFacts f;
    if (!h.hasFirstX || !h.hasLastX) return f;
    auto matches = [&](const std::vector<double>& v) {
        if (v.empty() || (h.nPoints > 0 && static_cast<std::size_t>(h.nPoints) != v.size())) return false;
        return (near(v.front(), h.firstX) && near(v.back(), h.lastX)) ||
               (near(v.front(), h.lastX) && near(v.back(), h.firstX));
    };
    const bool xDown = matches(down), xAcross = matches(across);
    if (xDown == xAcross) return f;
    f.orientation = xDown ? MatrixOrientation::ExColumns : MatrixOrientation::ExRows;
    f.line = h.firstXLine;
    char buf[96];
    std::snprintf(buf, sizeof buf, "FIRSTX %g, LASTX %g", h.firstX, h.lastX);
    f.because = std::string("the header's scanned axis (line ") + std::to_string(h.firstXLine) + ": " +
                buf + ")";
    return f;
}

}  // namespace

MatrixFacts matrixOrientation(const Source& source, const std::vector<double>& down,
                              const std::vector<double>& across, std::string_view corner,
                              int headerLine) {
    MatrixFacts stated = fromAxisKeys(source.header, down, across);
    if (stated.orientation == MatrixOrientation::Unknown) stated = fromFirstX(source.header, down, across);
    const std::string cornerText = readableText(fromShiftJisWords(corner));
    bool byCorner = false;
    if (stated.orientation == MatrixOrientation::Unknown) {
        stated.orientation = cornerOrientation(corner);
        stated.line = headerLine;
        stated.because = "the corner cell \"" + cornerText + "\"";
        byCorner = true;
    }
    const std::string askOption = "say --matrix ex-rows (one row per excitation wavelength) or "
                                  "--matrix ex-columns (one column per excitation wavelength)";
    const MatrixOrientation asked = source.options.matrix;
    if (asked != MatrixOrientation::Unknown) {
        MatrixFacts f;
        f.orientation = asked;
        f.because = optionText(asked);
        if (stated.orientation != MatrixOrientation::Unknown && stated.orientation != asked) {
            if (!source.options.overrideHeader) {
                refuse(source, stated.line,
                       std::string(optionText(asked)) + " contradicts the export: " + stated.because +
                           " make it " + orientationText(stated.orientation) +
                           "; say --override-header to read it as the command line says");
            }
            f.overridden = source.name + ", line " + std::to_string(stated.line) + " (" +
                           stated.because + ")";
        }
        return f;
    }
    if (stated.orientation != MatrixOrientation::Unknown) {
        if (byCorner) {
            const bool exRows = stated.orientation == MatrixOrientation::ExRows;
            const std::vector<double>& emission = exRows ? across : down;
            const std::vector<double>& excitation = exRows ? down : across;
            if (!covers320to380(emission) && covers320to380(excitation)) {
                refuse(source, headerLine,
                       "the corner cell \"" + cornerText + "\" puts the emission wavelengths " +
                           (exRows ? "across the first row" : "down the first column") + " (" +
                           rangeText(emission) + "), which do not span 320-380 nm; " + askOption);
            }
        }
        return stated;
    }
    // The Stokes rule.
    const double downEnd = down.empty() ? 0.0 : *std::max_element(down.begin(), down.end());
    const double acrossEnd = across.empty() ? 0.0 : *std::max_element(across.begin(), across.end());
    if (std::fabs(downEnd - acrossEnd) <= kSameX) {
        refuse(source, headerLine,
               "cannot tell which wavelengths of the matrix are the excitation (" + rangeText(down) +
                   " down the first column, " + rangeText(across) +
                   " across the first row, both ending at the same wavelength); " + askOption);
    }
    MatrixFacts f;
    f.orientation = acrossEnd > downEnd ? MatrixOrientation::ExRows : MatrixOrientation::ExColumns;
    f.line = 0;
    f.because = std::string("the Stokes rule (the emission reaches further into the red: ") +
                (acrossEnd > downEnd ? rangeText(across) + " across the first row" 
                                     : rangeText(down) + " down the first column") + ")";
    return f;
}

}  // namespace qf::instrument
