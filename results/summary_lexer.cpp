// The lines of the summary report: the column heading, the first line of a
// block (stage cells and the first component), further component lines,
// absence lines, rules and the legend.

#include <cmath>

#include "results/report_events.h"

namespace qf::results {

namespace {

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// The component cells from `from` on: "j L +/- DL S +/- sd class".
std::optional<SummaryComponent> componentCells(std::string_view line, std::size_t from) {
    const std::vector<Token> t = tokensOf(line.substr(from));
    if (t.size() < 8 || t[2].text != "+/-" || t[5].text != "+/-") return std::nullopt;
    const auto j = parseNumber(t[0].text), l = parseNumber(t[1].text), dl = parseNumber(t[3].text);
    const auto s = parseNumber(t[4].text), sd = parseNumber(t[6].text);
    if (!j || !l || !dl || !s || !sd) return std::nullopt;
    if (*j != 1 && *j != 2 && *j != 3) return std::nullopt;
    // The class is the rest of the line; it ends a row, so a wrapped row
    // never has a line end after it.
    const std::string_view className = line.substr(from + t[7].pos);
    if (className.find_first_of("\r\n") != std::string_view::npos) return std::nullopt;
    return SummaryComponent{static_cast<int>(*j), *l, *dl, *s, *sd, std::string(className)};
}

SummaryComponentCells cellsOf(const SummaryComponent& c) {
    return {c.component, c.lNm, c.lError, c.sPercent, c.sSd, c.className};
}

bool lexStageRow(std::string_view line, Event& e) {
    const bool tarno = startsWith(line, "TARNO");
    const bool vela = startsWith(line, "VELA- ");
    const bool velaMono = startsWith(line, "VELA - ");
    if (!tarno && !vela && !velaMono) return false;
    e.text = "the line does not have the layout of a summary row";
    SummaryBlock b;
    b.label = tarno ? "TARNO" : vela ? "VELA-" : "VELA -";
    const std::vector<Token> t = tokensOf(line.substr(b.label.size()));
    std::size_t i = 0;
    b.components = 2;
    if (!tarno) {
        const auto n = t.empty() ? std::nullopt : parseNumber(t[i++].text);
        if (!n || (*n != 1 && *n != 2 && *n != 3)) return false;
        b.components = static_cast<int>(*n);
    }
    if (t.size() < i + 2) return false;
    const auto discriminant = parseNumber(t[i].text), nsc = parseNumber(t[i + 1].text);
    if (!discriminant || !nsc || std::fabs(*nsc) > 1e9 || *nsc != std::trunc(*nsc)) return false;
    b.discriminant = *discriminant;
    b.nsc = static_cast<int>(*nsc);
    const auto c = componentCells(line, b.label.size() + t[i + 1].pos + t[i + 1].text.size());
    if (!c) return false;
    const SummaryStageCells cells{b.label, tarno ? 0 : b.components, b.discriminant, b.nsc};
    if (!rendersAs(line, [&](ReportSink& out) {
            writeSummaryStageCells(out, cells);
            writeSummaryComponentCells(out, cellsOf(*c));
        })) {
        return false;
    }
    e.kind = EventKind::SummaryStageRow;
    e.block = std::move(b);
    e.component = *c;
    e.text.clear();
    return true;
}

bool lexComponentLine(std::string_view line, Event& e) {
    if (!startsWith(line, std::string(25, ' '))) return false;
    const auto c = componentCells(line, 0);
    if (!c || !rendersAs(line, [&](ReportSink& out) { writeSummaryComponentCells(out, cellsOf(*c)); })) {
        e.text = "the line does not have the layout of a summary component line";
        return false;
    }
    e.kind = EventKind::SummaryComponent;
    e.component = *c;
    return true;
}

}  // namespace

LexedReport lexSummaryReport(const std::string& path, std::string_view text) {
    static const std::vector<Recognizer> table{lexEmpty, lexKnownLine, lexRule, lexStageRow, lexComponentLine};
    return lexReport(path, text, table);
}

}  // namespace qf::results
