#pragma once
// The reports as sequences of typed lines. A lexer per report turns every
// line into one event: it recognises the line by a table of the kinds of
// line that report holds, takes its values apart and accepts it only when
// writing those values again through the programs' own line functions
// (textio/report_lines.h) gives the line back byte for byte. A line that no
// entry of the table takes is an Unplaced event; the assembler decides what
// that means (an error, or the end of a report cut inside its last line).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "results/report_model.h"
#include "textio/report_lines.h"

namespace qf::results {

enum class EventKind {
    Title,       // line 1, as it stands
    Date,        // line 2
    Empty,
    Unplaced,    // `text` says why
    StageHeading,
    Fixed,       // a line of fixed text (`fixed`)
    Rule,        // `ruleChar` x `ruleLength`
    Values,      // a row of plot data
    // results report
    Quencher,
    Table1Row,
    Table2Row,
    Table3Row,
    Goodness,
    // graph report
    ExperimentalHeading,
    CorrectionHeading,
    StepHeading,
    GraphDiscriminant,
    // summary report
    SummaryStageRow,   // the first line of a block, with its first component
    SummaryComponent,  // a further component line
};

struct Event {
    EventKind kind = EventKind::Unplaced;
    int line = 0;        // 1-based
    bool cut = false;    // the last line of a report, without its line end
    std::string text;    // title, date, the cause of an Unplaced line
    StageKind stage = StageKind::Tarno;
    FixedLine fixed = FixedLine::Table1Title;
    char ruleChar = 0;
    int ruleLength = 0;
    std::vector<double> values;  // plot data, quencher values
    QuencherLabel quencher = QuencherLabel::Concentration;
    ComponentRow table1;
    std::optional<double> cq;
    Contribution table2;
    std::optional<double> atotal;
    SternVolmerRow table3;
    bool numberAsText = false;  // Table 3: the component number printed as text
    double number = 0;  // discriminants
    ExperimentalHeading experimental{0, 0, 0};
    CorrectionHeading correction{std::nullopt, std::nullopt, 0};
    StepTitle step = StepTitle::Normalized;
    double stepNm = 0;
    SummaryBlock block;           // method, components, discriminant, nsc
    Program program = Program::Quenfit;  // whose spelling the block's label is
    SummaryComponent component;
};

struct LexedReport {
    std::string path;
    std::vector<Event> events;
    int lineCount = 0;
};

LexedReport lexResultReport(const std::string& path, std::string_view text);
LexedReport lexGraphReport(const std::string& path, std::string_view text);
LexedReport lexSummaryReport(const std::string& path, std::string_view text);

// ---------------------------------------------------------------- shared by the lexers

// One entry of a lexer's table: fills `e` and returns true when the line is
// of its kind.
using Recognizer = bool (*)(std::string_view line, Event& e);

// True when `text`, which ends with a line end, is how the writer begins a
// row of its kind that it wraps right there (see rendersBeginning).
using PrefixCheck = bool (*)(std::string_view text);

// Splits the text into lines (CR LF or LF), makes the first two the title
// and the date, and gives every other line to the first recognizer of
// `table` that takes it; the lines no recognizer takes are Unplaced. A row
// the writer wrapped (an item ended past the next Tab stop) is one event
// for all its lines, which the recognizer gets joined by CR LF. A report
// that ends inside such a row (a line that one of `wrappable` knows as the
// beginning of its row, then nothing or a line cut short) ends with an
// Unplaced event marked cut, like a report cut inside its last line.
LexedReport lexReport(const std::string& path, std::string_view text, const std::vector<Recognizer>& table,
                      const std::vector<PrefixCheck>& wrappable = {});

// The text of a fixed line, without its line end.
std::string fixedLineText(FixedLine line);

// Recognizers every report uses.
bool lexEmpty(std::string_view line, Event& e);
// A fixed line or a stage heading, known by its whole text.
bool lexKnownLine(std::string_view line, Event& e);
bool lexRule(std::string_view line, Event& e);
bool lexValues(std::string_view line, Event& e);  // also takes a cut row

// Blank-separated tokens and their offsets.
struct Token {
    std::string_view text;
    std::size_t pos = 0;
};
std::vector<Token> tokensOf(std::string_view line);
// The value of a token with the shape of a report number ("-.5", "1E-05"),
// or nothing. Whether it is printed as the reports print it (".5", not
// "0.50") is checked when the whole line is written again and compared.
std::optional<double> parseNumber(std::string_view token);
// The tokens after `prefix` read as numbers; nothing when one is not.
std::optional<std::vector<double>> numbersAfter(std::string_view line, std::size_t prefix);

// True when `write` lays out exactly `line` and its line end.
template <class Write>
bool rendersAs(std::string_view line, Write write) {
    LineBuffer out;
    write(out);
    const std::string& t = out.text();
    return t.size() == line.size() + 2 && t.compare(0, line.size(), line) == 0 && t.ends_with("\r\n");
}

// True when `write` lays out `begun` and then more: a row whose first
// values are those of `begun` and which the writer wraps where `begun`
// ends. The values after the break do not change what comes before it, so
// any will do.
template <class Write>
bool rendersBeginning(std::string_view begun, Write write) {
    LineBuffer out;
    write(out);
    return out.text().size() > begun.size() && out.text().starts_with(begun);
}

}  // namespace qf::results
