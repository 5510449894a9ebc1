#include <charconv>
#include <cmath>
#include <map>

#include "results/report_events.h"
#include "textio/double_chars.h"
#include "textio/number_text.h"

namespace qf::results {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Tokens are separated by blanks, and by the line ends inside a wrapped row.
bool isBlank(char c) { return c == ' ' || c == '\r' || c == '\n'; }

// [-] digits [. digits] [E sign digits], at least one digit in the mantissa.
bool hasNumberShape(std::string_view t) {
    std::size_t i = 0;
    if (i < t.size() && t[i] == '-') ++i;
    std::size_t digits = 0;
    while (i < t.size() && isDigit(t[i])) ++i, ++digits;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && isDigit(t[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < t.size() && t[i] == 'E') {
        ++i;
        if (i >= t.size() || (t[i] != '+' && t[i] != '-')) return false;
        ++i;
        std::size_t expDigits = 0;
        while (i < t.size() && isDigit(t[i])) ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    return i == t.size();
}

// The lines known by their whole text: every fixed line and every stage
// heading, as the programs write them.
struct KnownLine {
    EventKind kind;
    FixedLine fixed;
    StageKind stage;
};
const std::map<std::string, KnownLine, std::less<>>& knownLines() {
    static const std::map<std::string, KnownLine, std::less<>> table = [] {
        std::map<std::string, KnownLine, std::less<>> m;
        for (int i = 0; i < kFixedLineCount; ++i) {
            const auto f = static_cast<FixedLine>(i);
            m.emplace(fixedLineText(f), KnownLine{EventKind::Fixed, f, StageKind::Tarno});
        }
        for (StageKind k : {StageKind::Tarno, StageKind::Vela1, StageKind::Vela2, StageKind::Vela3,
                            StageKind::VelaMono1, StageKind::VelaMono2, StageKind::VelaMono3}) {
            LineBuffer out;
            writeStageHeadingLine(out, stageName(k));
            m.emplace(out.text().substr(0, out.text().size() - 2), KnownLine{EventKind::StageHeading, {}, k});
        }
        return m;
    }();
    return table;
}

}  // namespace

std::string fixedLineText(FixedLine line) {
    LineBuffer out;
    writeFixedLine(out, line);
    return out.text().substr(0, out.text().size() - 2);
}

std::vector<Token> tokensOf(std::string_view line) {
    std::vector<Token> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i])) ++i;
        const std::size_t start = i;
        while (i < line.size() && !isBlank(line[i])) ++i;
        if (i > start) out.push_back({line.substr(start, i - start), start});
    }
    return out;
}

std::optional<double> parseNumber(std::string_view token) {
    if (!hasNumberShape(token)) return std::nullopt;
    // from_chars takes "-.5" and ".5" but not a "+" in front; the shape check
    // has ruled that out already.
    double value = 0;
    const auto [end, ec] = text::fromChars(token.data(), token.data() + token.size(), value);
    if (ec != std::errc() || end != token.data() + token.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::vector<double>> numbersAfter(std::string_view line, std::size_t prefix) {
    std::vector<double> out;
    if (prefix > line.size()) return std::nullopt;
    for (const Token& t : tokensOf(line.substr(prefix))) {
        const auto v = parseNumber(t.text);
        if (!v) return std::nullopt;
        out.push_back(*v);
    }
    return out;
}

namespace {

struct PhysicalLine {
    std::string_view text;  // without its line end
    bool cut = false;       // the last line of the report, without its line end
};

std::vector<PhysicalLine> physicalLines(std::string_view text) {
    std::vector<PhysicalLine> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t nl = text.find('\n', start);
        std::string_view line = text.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
        const bool cut = nl == std::string_view::npos;
        if (!cut && !line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back({line, cut});
        if (cut) break;
        start = nl + 1;
    }
    return lines;
}

// A row laid out with Tab stops is at most this many lines long when the
// writer wraps it (one line more than the tabs of the longest row).
constexpr std::size_t kMaxRowLines = 8;

// Gives `line` to the recognizers of `table` in order; true when one takes it.
bool recognize(std::string_view line, Event& e, const std::vector<Recognizer>& table) {
    for (Recognizer recognizer : table) {
        Event candidate = e;
        if (recognizer(line, candidate)) {
            e = std::move(candidate);
            return true;
        }
        // The first recognizer that knew the line's kind says what is wrong with it.
        if (e.text.empty()) e.text = std::move(candidate.text);
    }
    return false;
}

// A row the writer wrapped: when an item ends past the column of the next
// Tab(n), the writer ends the line and starts the next one with n - 1
// blanks. The lines from `first` on, joined with the line ends the writer
// put between them, are one row when a recognizer takes the joined text,
// which it does only when writing the row again gives those very lines.
// Returns the number of lines taken (0: none).
std::size_t recognizeWrapped(const std::vector<PhysicalLine>& lines, std::size_t first, Event& e,
                             const std::vector<Recognizer>& table) {
    std::string joined(lines[first].text);
    for (std::size_t k = first + 1; k < lines.size() && k - first < kMaxRowLines; ++k) {
        const PhysicalLine& next = lines[k];
        // A continuation starts with the blanks up to its Tab column and has its line end.
        if (next.cut || next.text.empty() || next.text[0] != ' ') break;
        joined += "\r\n";
        joined += next.text;
        Event candidate = e;
        if (recognize(joined, candidate, table) && candidate.kind != EventKind::Unplaced) {
            e = std::move(candidate);
            return k - first + 1;
        }
    }
    return 0;
}

// The report ends inside a row the writer wrapped: the complete lines from
// `first` on end where the writer broke the row at a Tab stop, and what
// follows them (a line cut short, or nothing) is the rest of the row the
// run never wrote. True when one of `wrappable` knows the lines as the
// beginning of its row.
bool endsInsideWrappedRow(const std::vector<PhysicalLine>& lines, std::size_t first,
                          const std::vector<PrefixCheck>& wrappable) {
    if (lines.size() - first > kMaxRowLines || lines[first].cut) return false;
    std::string begun;
    for (std::size_t k = first; k < lines.size() && !lines[k].cut; ++k) {
        if (k > first && (lines[k].text.empty() || lines[k].text[0] != ' ')) return false;
        begun += lines[k].text;
        begun += "\r\n";
    }
    for (PrefixCheck begins : wrappable) {
        if (begins(begun)) return true;
    }
    return false;
}

}  // namespace

LexedReport lexReport(const std::string& path, std::string_view text, const std::vector<Recognizer>& table,
                      const std::vector<PrefixCheck>& wrappable) {
    LexedReport report;
    report.path = path;
    const std::vector<PhysicalLine> lines = physicalLines(text);
    for (std::size_t i = 0; i < lines.size();) {
        Event e;
        e.line = static_cast<int>(i) + 1;
        e.cut = lines[i].cut;
        std::size_t taken = 1;
        if (i < 2) {
            e.kind = i == 0 ? EventKind::Title : EventKind::Date;
            e.text = lines[i].text;
        } else if (const std::size_t wrapped = recognizeWrapped(lines, i, e, table)) {
            taken = wrapped;
        } else if (endsInsideWrappedRow(lines, i, wrappable)) {
            // Read like a line cut short: the report ends here. (A row the
            // writer may have wrapped there is taken for one, even when its
            // first line would be a whole row of another form by itself.)
            e.kind = EventKind::Unplaced;
            e.cut = true;
            e.text = "the report ends inside a row";
            taken = lines.size() - i;
        } else if (!recognize(lines[i].text, e, table) && e.text.empty()) {
            e.text = "cannot place this line";
        }
        report.events.push_back(std::move(e));
        i += taken;
    }
    report.lineCount = static_cast<int>(lines.size());
    return report;
}

bool lexEmpty(std::string_view line, Event& e) {
    if (!line.empty()) return false;
    e.kind = EventKind::Empty;
    return true;
}

bool lexKnownLine(std::string_view line, Event& e) {
    const auto& table = knownLines();
    const auto it = table.find(line);
    if (it == table.end()) return false;
    e.kind = it->second.kind;
    e.fixed = it->second.fixed;
    e.stage = it->second.stage;
    return true;
}

bool lexRule(std::string_view line, Event& e) {
    if (line.empty() || (line[0] != '-' && line[0] != '=')) return false;
    if (line.find_first_not_of(line[0]) != std::string_view::npos) return false;
    e.kind = EventKind::Rule;
    e.ruleChar = line[0];
    e.ruleLength = static_cast<int>(line.size());
    return true;
}

// "v1,v2,...,vn,". The last line of a report cut inside a row keeps the
// values before its last ",".
bool lexValues(std::string_view line, Event& e) {
    if (line.empty()) return false;
    const char c = line[0];
    if (!isDigit(c) && c != '-' && c != '.') return false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = line.find(',', start);
        if (comma == std::string_view::npos) break;
        const std::string_view token = line.substr(start, comma - start);
        auto v = parseNumber(token);
        // A whole row is checked by writing it again; a cut one value by value.
        if (v && e.cut && numberText(*v) != token) v.reset();
        if (!v) {
            e.text = "\"" + std::string(token) + "\" is not a number as the reports print it";
            return false;
        }
        e.values.push_back(*v);
        start = comma + 1;
    }
    if (!e.cut) {
        if (start != line.size()) {
            e.text = "a row of values must end with \",\"";
            return false;
        }
        if (e.values.empty() || !rendersAs(line, [&](ReportSink& out) { writeValueRow(out, e.values); })) {
            e.text = "the line does not have the layout of a row of values";
            return false;
        }
    }
    e.kind = EventKind::Values;
    return true;
}

}  // namespace qf::results
