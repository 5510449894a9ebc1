// The lines of the summary report: the column heading, the first line of a
// block (stage cells and the first component), further component lines,
// absence lines, rules and the legend.

#include <algorithm>
#include <array>
#include <cmath>

#include "results/report_events.h"

namespace qf::results {

namespace {

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// The labels a block's first line can begin with: the method, and the
// program whose spelling it is (the phase-plane stage is quenfit's).
struct Spelling {
    SummaryMethod method;
    Program program;
};
constexpr Spelling kSpellings[] = {{SummaryMethod::PhasePlane, Program::Quenfit},
                                   {SummaryMethod::ComponentFit, Program::Quenfit},
                                   {SummaryMethod::ComponentFit, Program::Monofit}};

// The spelling whose label `line` begins with; a component fit's label is
// followed by the sign place of its count.
std::optional<Spelling> spellingOf(std::string_view line) {
    for (const Spelling& s : kSpellings) {
        const std::string_view label = summaryLabel(s.method, s.program);
        if (!startsWith(line, label)) continue;
        if (s.method == SummaryMethod::ComponentFit && !startsWith(line.substr(label.size()), " ")) continue;
        return s;
    }
    return std::nullopt;
}

// The component cells from `from` on: "j L +/- DL S +/- sd class".
std::optional<SummaryComponent> componentCellsAt(std::string_view line, std::size_t from) {
    const std::vector<Token> t = tokensOf(line.substr(from));
    if (t.size() < 8 || t[2].text != "+/-" || t[5].text != "+/-") return std::nullopt;
    const auto j = parseNumber(t[0].text), l = parseNumber(t[1].text), dl = parseNumber(t[3].text);
    const auto s = parseNumber(t[4].text), sd = parseNumber(t[6].text);
    if (!j || !l || !dl || !s || !sd) return std::nullopt;
    if (*j != 1 && *j != 2 && *j != 3) return std::nullopt;
    // The class is the rest of the line; it ends a row, so a wrapped row
    // never has a line end after it.
    const auto spectralClass = spectralClassNamed(line.substr(from + t[7].pos));
    if (!spectralClass) return std::nullopt;
    return SummaryComponent{static_cast<int>(*j), *l, *dl, *s, *sd, *spectralClass};
}

bool lexStageRow(std::string_view line, Event& e) {
    const std::optional<Spelling> spelling = spellingOf(line);
    if (!spelling) return false;
    e.text = "the line does not have the layout of a summary row";
    const bool tarno = spelling->method == SummaryMethod::PhasePlane;
    const std::size_t labelSize = summaryLabel(spelling->method, spelling->program).size();
    SummaryBlock b;
    b.method = spelling->method;
    const std::vector<Token> t = tokensOf(line.substr(labelSize));
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
    const auto c = componentCellsAt(line, labelSize + t[i + 1].pos + t[i + 1].text.size());
    if (!c) return false;
    if (!rendersAs(line, [&](ReportSink& out) {
            writeSummaryStageCells(out, stageCells(b, spelling->program));
            writeSummaryComponentCells(out, componentCells(*c));
        })) {
        return false;
    }
    e.kind = EventKind::SummaryStageRow;
    e.block = std::move(b);
    e.program = spelling->program;
    e.component = *c;
    e.text.clear();
    return true;
}

bool lexComponentLine(std::string_view line, Event& e) {
    if (!startsWith(line, std::string(25, ' '))) return false;
    const auto c = componentCellsAt(line, 0);
    if (!c || !rendersAs(line, [&](ReportSink& out) { writeSummaryComponentCells(out, componentCells(*c)); })) {
        e.text = "the line does not have the layout of a summary component line";
        return false;
    }
    e.kind = EventKind::SummaryComponent;
    e.component = *c;
    return true;
}

// ---------------------------------------------------------------- rows cut after a wrap

// The component cells from the tokens a wrapped row's beginning holds,
// the ones it lacks filled in; nothing when a token is not what its place
// holds. The class ends a row, so a beginning never holds it.
std::optional<SummaryComponentCells> paddedCells(const std::vector<Token>& t, std::size_t from) {
    std::array<std::string_view, 7> cell{"1", "0", "+/-", "0", "0", "+/-", "0"};
    if (t.size() - from > cell.size()) return std::nullopt;
    for (std::size_t k = from; k < t.size(); ++k) cell[k - from] = t[k].text;
    if (cell[2] != "+/-" || cell[5] != "+/-") return std::nullopt;
    std::array<double, 5> v{};
    for (std::size_t k = 0, n = 0; k < cell.size(); ++k) {
        if (k == 2 || k == 5) continue;
        const auto x = parseNumber(cell[k]);
        if (!x) return std::nullopt;
        v[n++] = *x;
    }
    if (v[0] != 1 && v[0] != 2 && v[0] != 3) return std::nullopt;
    return SummaryComponentCells{static_cast<int>(v[0]), v[1], v[2], v[3], v[4], spectralClassName(SpectralClass::S)};
}

bool beginsComponentLine(std::string_view begun) {
    if (!startsWith(begun, std::string(25, ' '))) return false;
    const std::vector<Token> t = tokensOf(begun);
    const auto c = t.empty() ? std::nullopt : paddedCells(t, 0);
    return c && rendersBeginning(begun, [&](ReportSink& out) { writeSummaryComponentCells(out, *c); });
}

bool beginsStageRow(std::string_view begun) {
    for (const Spelling& s : kSpellings) {
        const std::string_view label = summaryLabel(s.method, s.program);
        if (!startsWith(begun, label)) continue;
        const std::vector<Token> t = tokensOf(begun.substr(label.size()));
        // [N] DISCR. Nsc, then the first component.
        const bool tarno = s.method == SummaryMethod::PhasePlane;
        const std::size_t head = tarno ? 2 : 3;
        std::array<double, 3> v{2, 0, 0};
        for (std::size_t k = 0; k < head && k < t.size(); ++k) {
            const auto x = parseNumber(t[k].text);
            if (!x) return false;
            v[k + 3 - head] = *x;
        }
        if ((v[0] != 1 && v[0] != 2 && v[0] != 3) || std::fabs(v[2]) > 1e9 || v[2] != std::trunc(v[2])) return false;
        const auto c = paddedCells(t, std::min(head, t.size()));
        if (!c) return false;
        const SummaryStageCells cells{s.method, s.program, static_cast<int>(v[0]), v[1], static_cast<int>(v[2])};
        return rendersBeginning(begun, [&](ReportSink& out) {
            writeSummaryStageCells(out, cells);
            writeSummaryComponentCells(out, *c);
        });
    }
    return false;
}

}  // namespace

LexedReport lexSummaryReport(const std::string& path, std::string_view text) {
    static const std::vector<Recognizer> table{lexEmpty, lexKnownLine, lexRule, lexStageRow, lexComponentLine};
    return lexReport(path, text, table, {beginsStageRow, beginsComponentLine});
}

}  // namespace qf::results
