#include "instrument/header_facts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "instrument/layouts.h"

namespace qf::instrument {

namespace {

bool contains(std::string_view text, std::string_view word) {
    return text.find(word) != std::string_view::npos;
}

bool isWordByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || static_cast<unsigned char>(c) >= 0x80;
}

// Lower-case words of a text: runs of letters, digits and non-ASCII bytes.
std::vector<std::string> wordsOf(std::string_view text) {
    const std::string t = lowerAscii(text);
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < t.size()) {
        while (i < t.size() && !isWordByte(t[i])) ++i;
        const std::size_t start = i;
        while (i < t.size() && isWordByte(t[i])) ++i;
        if (i > start) words.push_back(t.substr(start, i - start));
    }
    return words;
}

bool anyWord(const std::vector<std::string>& words, std::initializer_list<std::string_view> list) {
    for (const std::string& w : words) {
        for (std::string_view l : list) {
            if (w == l) return true;
        }
    }
    return false;
}

// Yes for on, true, yes, enabled; No for off, false, no, disabled, none.
Stated onOff(std::string_view word) {
    const std::string w = lowerAscii(trim(word));
    if (w == "on" || w == "true" || w == "yes" || w == "enabled" || w == "ja" || w == "ein") {
        return Stated::Yes;
    }
    if (w == "off" || w == "false" || w == "no" || w == "disabled" || w == "none" || w == "nein" ||
        w == "aus") {
        return Stated::No;
    }
    return Stated::Unsaid;
}

struct KeyValue {
    std::string key;            // lower case, without '#' and quotes
    std::string_view value;     // after the first '=', ':', tab or comma
    bool delimited = false;
};

KeyValue splitKeyValue(std::string_view line) {
    std::string_view t = trim(line);
    while (!t.empty() && (t.front() == '#' || t.front() == '"')) t.remove_prefix(1);
    KeyValue kv;
    const std::size_t end = t.find_first_of("=:\t,");
    kv.key = lowerAscii(trim(t.substr(0, end)));
    while (!kv.key.empty() && kv.key.back() == '"') kv.key.pop_back();
    if (end != std::string_view::npos) {
        kv.delimited = true;
        kv.value = trim(t.substr(end + 1));
    }
    return kv;
}

// The value's fields (tabs, commas, semicolons, quotes and blanks separate).
std::vector<std::string_view> valueFields(std::string_view value) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    auto separator = [](char c) {
        return c == '\t' || c == ',' || c == ';' || c == '"' || c == ' ' || c == ':' || c == '=';
    };
    while (i < value.size()) {
        while (i < value.size() && separator(value[i])) ++i;
        const std::size_t start = i;
        while (i < value.size() && !separator(value[i])) ++i;
        if (i > start) fields.push_back(value.substr(start, i - start));
    }
    return fields;
}

// Whether the header says the spectra are corrected: a key about the
// (emission) correction whose values are all on or all off.
Stated correctionStated(const KeyValue& kv, std::string_view line) {
    const std::vector<std::string> keyWords = wordsOf(kv.key);
    bool about = false;
    for (const std::string& w : keyWords) about = about || w.starts_with("corr");
    if (!about) return Stated::Unsaid;
    // An excitation correction says nothing about the emission spectra.
    if (!keyWords.empty() && isExcitationWord(keyWords.front())) return Stated::Unsaid;
    std::vector<std::string_view> fields;
    if (kv.delimited) {
        fields = valueFields(kv.value);
    } else {
        // "Corrected spectra OFF": the last word.
        const auto all = valueFields(trim(line));
        if (all.size() >= 2) fields.push_back(all.back());
    }
    if (fields.empty()) return Stated::Unsaid;
    Stated state = onOff(fields.front());
    for (std::string_view f : fields) {
        if (onOff(f) != state) return Stated::Unsaid;
    }
    return state;
}

// Wavelengths (190-1100 nm) in a header value: "295", "295.0 nm", "270 - 290 nm".
std::vector<double> wavelengthsIn(std::string_view value) {
    std::vector<double> out;
    std::string spaced(value);
    for (std::size_t i = 1; i < spaced.size(); ++i) {
        if (spaced[i] == '-' && spaced[i - 1] != 'e' && spaced[i - 1] != 'E') spaced[i] = ' ';
    }
    for (std::string_view f : valueFields(spaced)) {
        std::string_view n = f;
        if (n.size() > 2 && lowerAscii(n.substr(n.size() - 2)) == "nm") n.remove_suffix(2);
        double v = 0.0;
        if (parseNumber(n, false, v) && v >= 190.0 && v <= 1100.0) out.push_back(v);
    }
    return out;
}

std::string nmText(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g nm", v);
    return buf;
}

// A key about an excitation or emission wavelength (not a slit, a band
// width, a filter or a speed), and the axis it names.
StatedAxis* axisOf(const std::vector<std::string>& words, HeaderFacts& facts) {
    if (words.empty()) return nullptr;
    static const std::initializer_list<std::string_view> kNotWavelength = {
        "slit", "slits", "band", "bandpass", "bandwidth", "filter", "speed", "voltage", "pmt",
        "increment", "interval", "step", "sampling", "delay", "polarizer", "polariser",
        "correction", "corr", "mode", "response", "time", "gain", "shutter", "sensitivity"};
    if (anyWord(words, kNotWavelength)) return nullptr;
    bool ex = false, em = false;
    for (const std::string& w : words) {
        ex = ex || isExcitationWord(w);
        em = em || isEmissionWord(w);
    }
    if (ex == em) return nullptr;
    return ex ? &facts.excitation : &facts.emission;
}

// What the line said about the axis, or "" when nothing.
std::string readAxis(const KeyValue& kv, int line, std::string_view text, HeaderFacts& facts) {
    const std::vector<std::string> words = wordsOf(kv.key);
    StatedAxis* axis = axisOf(words, facts);
    if (axis == nullptr || !kv.delimited) return {};
    const std::vector<double> values = wavelengthsIn(kv.value);
    if (values.empty()) return {};
    const std::string name = axis == &facts.excitation ? "excitation" : "emission";
    std::string meaning;
    const bool start = anyWord(words, {"start", "begin", "from", "first", "min", "lower", "anfang"});
    const bool end = anyWord(words, {"end", "stop", "last", "to", "max", "upper", "ende"});
    const bool range = anyWord(words, {"range", "bereich"});
    if ((range || (!start && !end)) && values.size() == 2) {
        axis->hasStart = axis->hasEnd = true;
        axis->start = values[0];
        axis->end = values[1];
        meaning = name + " " + nmText(values[0]) + " to " + nmText(values[1]);
    } else if (start && !end) {
        axis->hasStart = true;
        axis->start = values[0];
        meaning = name + " from " + nmText(values[0]);
    } else if (end && !start) {
        axis->hasEnd = true;
        axis->end = values[0];
        meaning = name + " to " + nmText(values[0]);
    } else if (!start && !end && !range && values.size() == 1) {
        axis->hasFixed = true;
        axis->fixed = values[0];
        meaning = name + " fixed at " + nmText(values[0]);
    } else {
        return {};
    }
    axis->line = line;
    axis->text = readableText(trim(text));
    return meaning;
}

void say(HeaderFacts& facts, const Line& line, const std::string& meaning) {
    facts.statements.push_back({line.number, readableText(trim(line.text)), meaning});
}

bool isTimeScanType(const KeyValue& kv) {
    const std::vector<std::string> words = wordsOf(kv.key);
    if (!anyWord(words, {"type", "mode", "measurement", "scan", "method"})) return false;
    const std::string v = lowerAscii(kv.value);
    return contains(v, "time scan") || contains(v, "time drive") || contains(v, "timescan") ||
           contains(v, "kinetic") || contains(v, "time based") || contains(v, "timebase") ||
           contains(v, "time course");
}

}  // namespace

bool isExcitationWord(std::string_view w) {
    return w == "ex" || w == "exc" || w == "exwl" || w.starts_with("excit") || w == "anr" ||
           w.starts_with("anreg") || contains(w, "\xE5\x8A\xB1\xE8\xB5\xB7") /* 励起 */ ||
           contains(w, "\xE6\xBF\x80\xE5\x8F\x91") /* 激发 */;
}

bool isEmissionWord(std::string_view w) {
    return w == "em" || w == "emi" || w == "emwl" || w.starts_with("emis") || w == "fl" ||
           w.starts_with("fluoresc") || contains(w, "mission") ||
           contains(w, "\xE8\x9B\x8D\xE5\x85\x89") /* 蛍光 */ ||
           contains(w, "\xE5\x8F\x91\xE5\xB0\x84") /* 发射 */;
}

HeaderFacts readHeaderFacts(const std::vector<Line>& lines) {
    HeaderFacts facts;
    for (const Line& line : lines) {
        if (isBlankLine(line.text) || looksLikeData(line.text)) continue;
        const KeyValue kv = splitKeyValue(line.text);
        if (kv.key.empty()) continue;
        if (const Stated c = correctionStated(kv, line.text); c != Stated::Unsaid) {
            facts.corrected = c;
            facts.correctedLine = line.number;
            facts.correctedText = readableText(trim(line.text));
            say(facts, line, c == Stated::Yes ? "corrected: yes" : "corrected: no");
            continue;
        }
        if (kv.key == "firstx" || kv.key == "lastx" || kv.key == "npoints") {
            double v = 0.0;
            const auto fields = valueFields(kv.value);
            if (fields.empty() || !parseNumber(fields.front(), false, v)) continue;
            if (kv.key == "firstx") {
                facts.hasFirstX = true;
                facts.firstX = v;
                facts.firstXLine = line.number;
            } else if (kv.key == "lastx") {
                facts.hasLastX = true;
                facts.lastX = v;
            } else if (v >= 1.0 && v <= 1e6 && v == std::floor(v)) {
                facts.nPoints = static_cast<int>(v);
            }
            char meaning[64];
            std::snprintf(meaning, sizeof meaning,
                          kv.key == "firstx"  ? "scanned axis from %g"
                          : kv.key == "lastx" ? "scanned axis to %g"
                                              : "scanned axis of %g points",
                          v);
            say(facts, line, meaning);
            continue;
        }
        if (isTimeScanType(kv)) {
            facts.timeScanLine = line.number;
            facts.timeScanText = readableText(trim(line.text));
            say(facts, line, "a time scan");
            continue;
        }
        if (const std::string meaning = readAxis(kv, line.number, line.text, facts); !meaning.empty()) {
            say(facts, line, meaning);
        }
    }
    return facts;
}

std::string timeTraceCause(const HeaderFacts& facts, int& line) {
    if (facts.timeScanLine > 0) {
        line = facts.timeScanLine;
        return "a time trace (\"" + facts.timeScanText + "\"), not an emission spectrum";
    }
    const StatedAxis& ex = facts.excitation;
    const StatedAxis& em = facts.emission;
    if (ex.hasFixed && em.hasFixed && !em.hasStart && !em.hasEnd) {
        line = std::max(ex.line, em.line);
        return "a time trace: the header fixes the excitation (line " + std::to_string(ex.line) +
               ": \"" + ex.text + "\") and the emission wavelength (line " + std::to_string(em.line) +
               ": \"" + em.text + "\"), so it is no emission spectrum";
    }
    return {};
}

}  // namespace qf::instrument
