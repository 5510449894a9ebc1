// The lines of the results report: quencher lines, the three tables, the
// goodness-of-fit line, stage headings, absence lines and rules.

#include "results/report_events.h"

namespace qf::results {

namespace {

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// A component number as the tables print it.
std::optional<int> componentNumber(double v) {
    if (v != 1 && v != 2 && v != 3) return std::nullopt;
    return static_cast<int>(v);
}

bool lexQuencher(std::string_view line, Event& e) {
    for (QuencherLabel label : {QuencherLabel::Concentration, QuencherLabel::Activity}) {
        const std::string_view text = quencherLabelText(label);
        if (!startsWith(line, text)) continue;
        const auto values = numbersAfter(line, text.size());
        if (!values || !rendersAs(line, [&](ReportSink& out) { writeQuencherLine(out, label, *values); })) {
            e.text = "the line does not have the layout of \"" + std::string(text) + "\"";
            return false;
        }
        e.kind = EventKind::Quencher;
        e.quencher = label;
        e.values = *values;
        return true;
    }
    return false;
}

bool lexGoodness(std::string_view line, Event& e) {
    LineBuffer label;
    writeGoodnessLine(label, 0);
    const std::size_t prefix = label.text().find(':') + 2;
    if (line.substr(0, prefix) != std::string_view(label.text()).substr(0, prefix)) return false;
    const auto values = numbersAfter(line, prefix);
    if (!values || values->size() != 1 ||
        !rendersAs(line, [&](ReportSink& out) { writeGoodnessLine(out, (*values)[0]); })) {
        e.text = "the line does not have the layout of the discriminant line";
        return false;
    }
    e.kind = EventKind::Goodness;
    e.number = (*values)[0];
    return true;
}

bool lexTable1Row(std::string_view line, Event& e) {
    const auto n = numbersAfter(line, 0);
    if (!n || n->size() != 5) return false;
    const auto k = componentNumber((*n)[0]);
    if (!k) return false;
    const Table1Row row{*k, (*n)[1], (*n)[2], (*n)[3], (*n)[4]};
    if (!rendersAs(line, [&](ReportSink& out) { writeTable1Row(out, row); })) return false;
    e.kind = EventKind::Table1Row;
    e.table1 = {row.component, row.peakNm, row.peakNmError, row.wavenumber, row.wavenumberError};
    return true;
}

// A row of Table 2: "[Cq] 1 Si sd Ai Atotal" opens a spectrum's group, "k Si sd Ai" continues it.
bool lexTable2Row(std::string_view line, Event& e) {
    const auto n = numbersAfter(line, 0);
    if (!n || n->size() < 4 || n->size() > 6) return false;
    const std::vector<double>& v = *n;
    Table2Row row{std::nullopt, 0, 0, 0, 0, std::nullopt};
    std::size_t i = 0;
    if (v.size() == 6) row.concentration = v[i++];
    const auto k = componentNumber(v[i]);
    if (!k) return false;
    row.component = *k;
    row.contribution = v[i + 1];
    row.contributionSd = v[i + 2];
    row.area = v[i + 3];
    if (v.size() >= 5) row.totalArea = v[i + 4];
    if (!rendersAs(line, [&](ReportSink& out) { writeTable2Row(out, row); })) return false;
    e.kind = EventKind::Table2Row;
    e.cq = row.concentration;
    e.table2 = {row.component, row.contribution, row.contributionSd, row.area};
    e.atotal = row.totalArea;
    return true;
}

bool lexTable3Row(std::string_view line, Event& e) {
    const auto n = numbersAfter(line, 0);
    if (!n || n->size() != 7) return false;
    const std::vector<double>& v = *n;
    const auto k = componentNumber(v[0]);
    if (!k) return false;
    for (bool asText : {false, true}) {
        const Table3Row row{*k, asText, v[1], v[2], v[3], v[4], v[5], v[6]};
        if (rendersAs(line, [&](ReportSink& out) { writeTable3Row(out, row); })) {
            e.kind = EventKind::Table3Row;
            e.table3 = {*k, v[1], v[2], v[3], v[4], v[5], v[6]};
            e.numberAsText = asText;
            return true;
        }
    }
    return false;
}

// A row whose numbers stand where no table puts them.
bool lexMisplacedRow(std::string_view line, Event& e) {
    if (!numbersAfter(line, 0) || tokensOf(line).empty()) return false;
    e.text = "the line does not have the layout of a table row";
    return false;
}

// ---------------------------------------------------------------- rows cut after a wrap

// The numbers of a row's beginning, padded to `count` values with `fill`;
// nothing when they are not numbers or already `count` or more.
std::optional<std::vector<double>> padded(std::string_view begun, std::size_t count, double fill) {
    auto n = numbersAfter(begun, 0);
    if (!n || n->empty() || n->size() >= count) return std::nullopt;
    n->resize(count, fill);
    return n;
}

bool beginsTable1Row(std::string_view begun) {
    const auto v = padded(begun, 5, 0);
    if (!v || !componentNumber((*v)[0])) return false;
    const Table1Row row{static_cast<int>((*v)[0]), (*v)[1], (*v)[2], (*v)[3], (*v)[4]};
    return rendersBeginning(begun, [&](ReportSink& out) { writeTable1Row(out, row); });
}

bool beginsTable2Row(std::string_view begun) {
    // [Cq] k Si sd Ai [Atotal]: six, five or four values.
    for (const std::size_t count : {6u, 5u, 4u}) {
        const std::size_t k = count == 6 ? 1 : 0;
        const auto v = padded(begun, count, 1);
        if (!v || !componentNumber((*v)[k])) continue;
        Table2Row row{std::nullopt, static_cast<int>((*v)[k]), (*v)[k + 1], (*v)[k + 2], (*v)[k + 3], std::nullopt};
        if (count == 6) row.concentration = (*v)[0];
        if (count >= 5) row.totalArea = (*v)[k + 4];
        if (rendersBeginning(begun, [&](ReportSink& out) { writeTable2Row(out, row); })) return true;
    }
    return false;
}

bool beginsTable3Row(std::string_view begun) {
    const auto v = padded(begun, 7, 0);
    if (!v || !componentNumber((*v)[0])) return false;
    for (bool asText : {false, true}) {
        const Table3Row row{static_cast<int>((*v)[0]), asText, (*v)[1], (*v)[2], (*v)[3], (*v)[4], (*v)[5], (*v)[6]};
        if (rendersBeginning(begun, [&](ReportSink& out) { writeTable3Row(out, row); })) return true;
    }
    return false;
}

}  // namespace

LexedReport lexResultReport(const std::string& path, std::string_view text) {
    static const std::vector<Recognizer> table{lexEmpty,     lexKnownLine, lexRule,      lexQuencher,  lexGoodness,
                                               lexTable1Row, lexTable2Row, lexTable3Row, lexMisplacedRow};
    return lexReport(path, text, table, {beginsTable1Row, beginsTable2Row, beginsTable3Row});
}

}  // namespace qf::results
