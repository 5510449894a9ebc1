// The lines of the graph report: the headings of its sections (each with
// the grid it covers) and the comma-separated rows under them.

#include "results/report_events.h"

namespace qf::results {

namespace {

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool lexExperimentalHeading(std::string_view line, Event& e) {
    constexpr std::string_view head = "EXPERIMENTAL SPECTRA, from ";
    if (!startsWith(line, head)) return false;
    const std::vector<Token> t = tokensOf(line.substr(head.size()));
    if (t.size() == 5 && t[1].text == "to" && t[3].text == "Step") {
        const auto first = parseNumber(t[0].text), last = parseNumber(t[2].text), step = parseNumber(t[4].text);
        if (first && last && step) {
            const ExperimentalHeading h{*first, *last, *step};
            if (rendersAs(line, [&](ReportSink& out) { writeExperimentalHeading(out, h); })) {
                e.kind = EventKind::ExperimentalHeading;
                e.experimental = h;
                return true;
            }
        }
    }
    e.text = "the line does not have the layout of the experimental spectra heading";
    return false;
}

// "CORRECTION CURVE, from A to B, Step h" in its four forms.
bool lexCorrectionHeading(std::string_view line, Event& e) {
    if (!startsWith(line, "CORRECTION CURVE, from ")) return false;
    std::vector<double> n;
    for (const Token& t : tokensOf(line)) {
        if (const auto v = parseNumber(t.text)) n.push_back(*v);
    }
    std::vector<CorrectionHeading> forms;
    if (n.size() == 3) {
        forms.push_back({n[0], n[1], n[2]});
        forms.push_back({std::nullopt, n[1], n[2]});
    }
    if (n.size() == 2) {
        forms.push_back({n[0], std::nullopt, n[1]});
        forms.push_back({std::nullopt, std::nullopt, n[1]});
    }
    for (const CorrectionHeading& h : forms) {
        if (rendersAs(line, [&](ReportSink& out) { writeCorrectionHeading(out, h); })) {
            e.kind = EventKind::CorrectionHeading;
            e.correction = h;
            return true;
        }
    }
    e.text = "the line does not have the layout of the correction curve heading";
    return false;
}

bool lexStepHeading(std::string_view line, Event& e) {
    for (int i = 0; i < kStepTitleCount; ++i) {
        const auto title = static_cast<StepTitle>(i);
        const std::string_view text = stepTitleText(title);
        if (!startsWith(line, text)) continue;
        const auto step = numbersAfter(line, text.size());
        if (step && step->size() == 1 &&
            rendersAs(line, [&](ReportSink& out) { writeStepHeading(out, title, (*step)[0]); })) {
            e.kind = EventKind::StepHeading;
            e.step = title;
            e.stepNm = (*step)[0];
            return true;
        }
        e.text = "expected one step after \"" + std::string(text) + "\"";
        return false;
    }
    return false;
}

bool lexGraphDiscriminant(std::string_view line, Event& e) {
    constexpr std::string_view head = "DISCRIMINANT = ";
    if (!startsWith(line, head)) return false;
    const auto values = numbersAfter(line, head.size());
    if (values && values->size() == 1 &&
        rendersAs(line, [&](ReportSink& out) { writeGraphDiscriminantLine(out, (*values)[0]); })) {
        e.kind = EventKind::GraphDiscriminant;
        e.number = (*values)[0];
        return true;
    }
    e.text = "the line does not have the layout of the discriminant line";
    return false;
}

}  // namespace

LexedReport lexGraphReport(const std::string& path, std::string_view text) {
    static const std::vector<Recognizer> table{lexEmpty,          lexKnownLine,         lexRule,
                                               lexExperimentalHeading, lexCorrectionHeading, lexStepHeading,
                                               lexGraphDiscriminant,   lexValues};
    return lexReport(path, text, table);
}

}  // namespace qf::results
