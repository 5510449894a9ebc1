#include "results/report_reader.h"

#include <array>
#include <fstream>
#include <sstream>
#include <utility>

#include "results/line_text.h"
#include "results/report_lines.h"

namespace qf::results {

ReportError::ReportError(std::string path, int line, const std::string& cause)
    : std::runtime_error(line > 0 ? path + ", line " + std::to_string(line) + ": " + cause
                                  : path + ": " + cause),
      path_(std::move(path)),
      line_(line),
      cause_(cause) {}

namespace {

// ---------------------------------------------------------------- lines

struct Token {
    std::string_view text;
    std::size_t pos = 0;  // 0-based offset in the line
};

std::vector<Token> tokensOf(std::string_view line) {
    std::vector<Token> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ') ++i;
        if (i > start) out.push_back({line.substr(start, i - start), start});
    }
    return out;
}

// The numbers among the blank-separated tokens of a line, in order.
std::vector<double> numbersOf(std::string_view line) {
    std::vector<double> out;
    for (const Token& t : tokensOf(line)) {
        if (auto v = parseNumber(t.text)) out.push_back(*v);
    }
    return out;
}

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

bool isRule(std::string_view line, char c, std::size_t length) {
    return line.size() == length && line.find_first_not_of(c) == std::string_view::npos;
}

struct CutShort {};

// A report split into lines, CR LF or LF.
class Cursor {
public:
    Cursor(std::string path, std::string_view content) : path_(std::move(path)) {
        std::size_t start = 0;
        while (start < content.size()) {
            const std::size_t nl = content.find('\n', start);
            if (nl == std::string_view::npos) {
                lines_.emplace_back(content.substr(start));
                lastCut_ = true;
                break;
            }
            std::string_view line = content.substr(start, nl - start);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            lines_.emplace_back(line);
            start = nl + 1;
        }
    }

    bool atEnd() const { return next_ >= lines_.size(); }
    const std::string& peek() const { return lines_[next_]; }
    const std::string& take() { return lines_[next_++]; }
    // The line taken last is the last of the report and has no line end.
    bool takenCut() const { return lastCut_ && next_ == lines_.size(); }
    bool peekCut() const { return lastCut_ && next_ + 1 == lines_.size(); }
    int lineNumber() const { return static_cast<int>(next_); }  // of the line taken last
    int lineCount() const { return static_cast<int>(lines_.size()); }
    const std::string& path() const { return path_; }

    // A line that cannot be placed is an error, except the last line of a
    // report cut inside it: that one ends the reading like the report's end.
    [[noreturn]] void fail(const std::string& cause) const {
        if (takenCut()) throw CutShort{};
        throw ReportError(path_, lineNumber(), cause);
    }

    // Takes the next line, which must be `expected`; false at the end.
    bool expect(std::string_view expected, std::string_view what) {
        if (atEnd()) return false;
        if (take() != expected) fail("expected " + std::string(what));
        return true;
    }

    // The line just taken must read as `built`.
    void check(const LineText& built, std::string_view what) const {
        if (!built.ok() || built.str() != lines_[next_ - 1]) {
            fail("the line does not have the layout of " + std::string(what));
        }
    }

    double number(std::string_view token) const {
        auto v = parseNumber(token);
        if (!v) fail("\"" + std::string(token) + "\" is not a number as the reports print it");
        return *v;
    }

private:
    std::string path_;
    std::vector<std::string> lines_;
    std::size_t next_ = 0;
    bool lastCut_ = false;
};

// Where a report stands while it is read.
struct Place {
    std::string where = "the title";
    bool closed = false;  // the last line read ends a section
    void enter(std::string w) {
        where = std::move(w);
        closed = false;
    }
    void close(std::string w) {
        where = std::move(w);
        closed = true;
    }
};

// A data row of write items: "v1,v2,...,vn,". The last line of a report cut
// inside a row keeps the values before the last ",".
bool looksLikeRow(std::string_view line) {
    if (line.empty()) return false;
    const char c = line[0];
    return (c >= '0' && c <= '9') || c == '-' || c == '.';
}

std::vector<double> parseRow(Cursor& in) {
    const std::string& line = in.take();
    const bool cut = in.takenCut();
    std::vector<double> values;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = line.find(',', start);
        if (comma == std::string::npos) break;
        values.push_back(in.number(std::string_view(line).substr(start, comma - start)));
        start = comma + 1;
    }
    if (start != line.size() && !cut) in.fail("a row of values must end with \",\"");
    if (values.empty() && !cut) in.fail("an empty row of values");
    return values;
}

std::vector<double> grid(double first, double step, std::size_t count) {
    std::vector<double> out(count);
    for (std::size_t j = 0; j < count; ++j) out[j] = first + static_cast<double>(j) * step;
    return out;
}

// Rows until a line that is not a row; the grid is laid over the longest.
void readRows(Cursor& in, CurveSet& set, double first, double step) {
    std::size_t longest = 0;
    while (!in.atEnd() && looksLikeRow(in.peek())) {
        set.values.push_back(parseRow(in));
        longest = std::max(longest, set.values.back().size());
    }
    set.wavelengthsNm = grid(first, step, longest);
}

// ---------------------------------------------------------------- stages

const std::string kHeadingIndent(39, ' ');

std::optional<StageKind> stageOfHeading(std::string_view line) {
    if (!startsWith(line, kHeadingIndent + "SUBPROGRAMM ")) return std::nullopt;
    const std::string_view name = line.substr(kHeadingIndent.size() + 12);
    for (StageKind k : {StageKind::Tarno, StageKind::Vela1, StageKind::Vela2, StageKind::Vela3,
                        StageKind::VelaMono1, StageKind::VelaMono2, StageKind::VelaMono3}) {
        if (name == stageName(k)) return k;
    }
    return std::nullopt;
}

bool isMonoKind(StageKind k) {
    return k == StageKind::VelaMono1 || k == StageKind::VelaMono2 || k == StageKind::VelaMono3;
}

struct StageLines {
    Stage stage;
    int headingLine = 0;
    // quenfit prints a stage's heading in the reporting pass of the stage
    // before; after a stage without a solution the next one has none.
    bool headingless = false;
};

void newStage(Cursor& in, std::vector<StageLines>& stages, StageKind kind) {
    StageLines s;
    s.stage.kind = kind;
    s.stage.name = stageName(kind);
    for (const StageLines& before : stages) {
        if (before.stage.kind == kind) ++s.stage.occurrence;
    }
    s.headingLine = in.lineNumber();
    stages.push_back(std::move(s));
}

Stage& current(Cursor& in, std::vector<StageLines>& stages, std::string_view what) {
    if (stages.empty()) in.fail(std::string(what) + " before any stage heading");
    return stages.back().stage;
}

const std::array<std::string, 4> kAbsence{"", "MONOCOMPONENT SOLUTION IS ABSENT!",
                                          "TWO-COMPONENT SOLUTION IS ABSENT!",
                                          "THREE-COMPONENT SOLUTION IS ABSENT!"};

int absenceComponents(std::string_view line) {
    for (int n = 1; n <= 3; ++n) {
        if (line == kAbsence[static_cast<std::size_t>(n)]) return n;
    }
    return 0;
}

// ---------------------------------------------------------------- graph report

const std::string kGraphSmoothedTarno =
    "SMOOTHED NORMALIZED CORRECTED EXPERIMENTAL SPECTRA, from 320 to 380, Step ";
const std::string kGraphSmoothedFirst =
    "SMOOTHED NORMALIZED CORRECTED EXPERIMENTAL SPECTRA, from 320 to 380 Step ";
const std::string kGraphSmoothedLater = "SMOOTHED NORMALIZED EXPERIMENTAL SPECTRA, from 320 to 380 Step ";
const std::string kGraphDifference =
    "DIFERENCE BETWEEN EXPERIMENTAL AND SMOOTHED SPECTRA, % from 320 to 380, Step ";
const std::string kGraphResiduals =
    "RESIDUALS, % (Diference between theoretical and experimental spectra) from 320 to 380, Step ";
const std::string kGraphTheoretical = "THEORETICAL SPECTRA, from 305 to 400, Step 1nm";
const std::string kGraphComponents = "COMPONENTS FOR THE FIRST THEORETICAL SPECTRUM, from 305 to 400, Step 1nm";
const std::string kGraphNormalized = "NORMALIZED CORRECTED EXPERIMENTAL SPECTRA, from 320 to 380, Step ";
const std::string kSternVolmer = "DATA for STERN-VOLMER PLOT";

// A heading of fixed text followed by one printed number (the step).
std::optional<double> stepHeading(Cursor& in, std::string_view line, const std::string& text) {
    if (!startsWith(line, text)) return std::nullopt;
    in.take();
    const std::vector<Token> tokens = tokensOf(std::string_view(line).substr(text.size()));
    if (tokens.size() != 1) in.fail("expected one step after \"" + text + "\"");
    const double step = in.number(tokens[0].text);
    in.check(LineText().text(text).number(step), "the heading \"" + text + "\"");
    return step;
}

struct GraphRead {
    std::string title, date;
    FirstPass firstPass;
    bool firstPassSeen = false;
    bool monoBlankAfterFirstPass = false;
    std::vector<StageLines> stages;
    double windowStep = 0;
};

void readCorrectionHeading(Cursor& in, FirstPass& fp) {
    const std::string& line = in.take();
    const std::vector<double> n = numbersOf(line);
    const std::string head = "CORRECTION CURVE, from ";
    struct Form {
        std::size_t count;
        double from, to, step;
        LineText text;
    };
    std::vector<Form> forms;
    if (n.size() == 3) {
        forms.push_back({3, n[0], n[1], n[2],
                         LineText().text(head).number(n[0]).text(" to ").number(n[1]).text(", Step ").number(n[2])});
        forms.push_back({3, 310, n[1], n[2],
                         LineText().text("CORRECTION CURVE, from 310 to ").number(n[1]).text(", Step ").number(n[2])});
    }
    if (n.size() == 2) {
        forms.push_back({2, n[0], 400, n[1], LineText().text(head).number(n[0]).text(" to 400, Step ").number(n[1])});
        forms.push_back({2, 310, 400, n[1], LineText().text("CORRECTION CURVE, from 310 to 400, Step ").number(n[1])});
    }
    for (const Form& f : forms) {
        if (f.text.str() == line) {
            fp.hasCorrection = true;
            fp.correctionFromNm = f.from;
            fp.correctionToNm = f.to;
            readRows(in, fp.correction, f.from, f.step);
            return;
        }
    }
    in.fail("the line does not have the layout of the correction curve heading");
}

void readGraphBody(Cursor& in, Place& place, GraphRead& g) {
    // A title or date line cut short is not compared with the other reports'.
    if (in.atEnd()) return;
    g.title = in.take();
    if (in.takenCut()) g.title.clear();
    if (in.atEnd()) return;
    g.date = in.take();
    if (in.takenCut()) g.date.clear();
    place.enter("the first pass");
    while (!in.atEnd()) {
        const std::string& line = in.peek();
        if (line.empty()) {
            in.take();
            // monofit ends its first pass with one more empty line.
            if (g.firstPass.hasNormalized && g.stages.empty() && !in.atEnd() && in.peek().empty()) {
                in.take();
                g.monoBlankAfterFirstPass = true;
            }
            continue;
        }
        if (auto kind = stageOfHeading(line)) {
            in.take();
            newStage(in, g.stages, *kind);
            place.close("the heading of " + stageName(*kind));
            continue;
        }
        if (startsWith(line, "EXPERIMENTAL SPECTRA, from ")) {
            in.take();
            if (g.firstPassSeen || !g.stages.empty()) in.fail("a second first pass");
            g.firstPassSeen = true;
            const std::vector<Token> t = tokensOf(std::string_view(line).substr(27));
            if (t.size() != 5 || t[1].text != "to" || t[3].text != "Step") {
                in.fail("the line does not have the layout of the experimental spectra heading");
            }
            FirstPass& fp = g.firstPass;
            fp.firstNm = in.number(t[0].text);
            fp.lastNm = in.number(t[2].text);
            fp.stepNm = in.number(t[4].text);
            in.check(LineText()
                         .text("EXPERIMENTAL SPECTRA, from ")
                         .number(fp.firstNm)
                         .text(" to")
                         .number(fp.lastNm)
                         .text(" Step ")
                         .number(fp.stepNm),
                     "the experimental spectra heading");
            place.enter("the spectra as read");
            readRows(in, fp.asRead, fp.firstNm, fp.stepNm);
            continue;
        }
        if (startsWith(line, "CORRECTION CURVE, from ")) {
            if (!g.firstPassSeen || g.firstPass.hasCorrection) in.fail("a correction curve out of place");
            place.enter("the correction curve");
            readCorrectionHeading(in, g.firstPass);
            continue;
        }
        if (auto step = stepHeading(in, line, kGraphNormalized)) {
            if (!g.firstPass.hasCorrection || g.firstPass.hasNormalized) in.fail("normalized spectra out of place");
            g.firstPass.hasNormalized = true;
            place.enter("the normalized corrected spectra");
            readRows(in, g.firstPass.normalized, 320, *step);
            g.windowStep = *step;
            continue;
        }
        for (const std::string* text : {&kGraphSmoothedTarno, &kGraphSmoothedFirst, &kGraphSmoothedLater}) {
            if (auto step = stepHeading(in, line, *text)) {
                Stage& s = current(in, g.stages, "smoothed spectra");
                place.enter("the smoothed spectra of " + s.name);
                readRows(in, s.smoothed, 320, *step);
                goto nextLine;
            }
        }
        if (auto step = stepHeading(in, line, kGraphDifference)) {
            Stage& s = current(in, g.stages, "smoothing differences");
            place.enter("the smoothing differences of " + s.name);
            readRows(in, s.smoothedDifference, 320, *step);
            continue;
        }
        if (line == kSternVolmer) {
            in.take();
            Stage& s = current(in, g.stages, "Stern-Volmer data");
            place.enter("the Stern-Volmer data of " + s.name);
            if (!in.expect("Quencher concentration, M", "\"Quencher concentration, M\"")) break;
            if (!in.expect("Experimental points and theoretical lines for each component",
                           "\"Experimental points and theoretical lines for each component\"")) {
                break;
            }
            CurveSet rows;
            readRows(in, rows, 0, 0);
            SternVolmerPlot& p = s.sternVolmer;
            p.present = true;
            if (!rows.values.empty()) p.activities = rows.values[0];
            // Points of every component, then the lines of every component.
            const std::size_t n = rows.values.size() / 2;
            for (std::size_t r = 1; r < rows.values.size(); ++r) {
                (r <= n ? p.points : p.lines).push_back(rows.values[r]);
            }
            continue;
        }
        if (auto step = stepHeading(in, line, kGraphResiduals)) {
            Stage& s = current(in, g.stages, "residuals");
            place.enter("the residuals of " + s.name);
            readRows(in, s.residuals, 320, *step);
            continue;
        }
        if (line == kGraphTheoretical) {
            in.take();
            Stage& s = current(in, g.stages, "theoretical spectra");
            place.enter("the theoretical spectra of " + s.name);
            readRows(in, s.theoretical, 305, 1);
            continue;
        }
        if (line == kGraphComponents) {
            in.take();
            Stage& s = current(in, g.stages, "component curves");
            place.enter("the components of the first spectrum of " + s.name);
            readRows(in, s.firstSpectrumComponents, 305, 1);
            continue;
        }
        if (startsWith(line, "DISCRIMINANT = ")) {
            in.take();
            Stage& s = current(in, g.stages, "a discriminant");
            const std::vector<Token> t = tokensOf(std::string_view(line).substr(15));
            if (t.size() != 1) in.fail("expected one value after \"DISCRIMINANT =\"");
            s.graphDiscriminant = in.number(t[0].text);
            in.check(LineText().text("DISCRIMINANT = ").number(*s.graphDiscriminant), "the discriminant line");
            place.enter("the discriminant of " + s.name);
            continue;
        }
        if (isRule(line, '-', 77) || isRule(line, '-', 79)) {
            in.take();
            Stage& s = current(in, g.stages, "a closing rule");
            if (!s.graphDiscriminant) in.fail("a closing rule without a discriminant before it");
            place.close("the end of " + s.name);
            continue;
        }
        in.take();
        if (looksLikeRow(line)) in.fail("a row of values outside any section");
        in.fail("cannot place this line in the graph report");
    nextLine:;
    }
}

GraphRead readGraph(Cursor& in, Place& place) {
    GraphRead g;
    try {
        readGraphBody(in, place, g);
    } catch (const CutShort&) {
        place.enter(place.where + " (its last line cut short)");
    }
    return g;
}

// ---------------------------------------------------------------- results report

const std::string kTable1Text =
    "Maximum position of spectral components in wavelengths (L, nm) and wavenumbers (V, 1/cm)";
const std::string kTable2TarnoA =
    "Quencher concentration (Cq, M), Contribution of spectral components into the area under the spectrum in % (Si, %)";
const std::string kTable2TarnoB =
    "Standart error (s.d., %); Area under spectral components (Ai), Area under the whole spectrum (Atotal=Sum(Ai))";
const std::string kTable2SeriesA =
    "Quencher concentration (Cq, M), Contribution of each spectral components (Si, %), Standart deviation (s.d., %)";
const std::string kTable2MonoA = "Contribution of each spectral components (Si, %), Standart deviation (s.d., %)";
const std::string kTable2B =
    "Area under the spectral components (Ai), Area under the whole spectrum (Atotal=Sum(Ai))";
const std::string kTable3A =
    "Stern-Volmer quenching constant (Ksv, 1/M), Relative quenching constant(100% corresponds to the Stern-Volmer "
    "constant of Trp in solution, Ksv(Trp))";
const std::string kTable3B =
    "Free term in Stern-Volmer equation (Bi), in ideal case should equal 1; Linear correlation coefficients for "
    "Stern-Volmer plots (R)";
const std::string kGoodness = "  GOODNESS-of-FIT CRITERIA, DISCRIMINANT: ";
const std::string kConcentrationLabel = "Quencher Concentration, M:      ";
const std::string kActivityLabel = "Quencher Chemical Activities, M:";

std::string table1Heading() {
    return LineText()
        .text("N comp.").tab(19).text("L (nm)").tab(29).text("DL").tab(44).text("V (1/cm)").tab(54).text("DV")
        .str();
}

std::string table2Heading(bool withCq) {
    LineText t;
    if (withCq) t.text("Cq");
    return t.tab(7).text("N comp.").tab(21).text("Si, %").tab(35).text("s.d., %").tab(48).text("Ai").tab(65)
        .text("Atotal").str();
}

std::string table3Heading() {
    return LineText()
        .tab(2).text("N comp.").tab(13).text("Ksv, 1/M").tab(25).text("s.d.").tab(37).text("Ksv/Ksv(TRP),%")
        .tab(53).text("s.d.").tab(65).text("Bi").tab(75).text("R")
        .str();
}

struct ResultRead {
    std::string title, date;
    bool quencherLines = false;
    std::vector<double> concentrations, activities;
    std::vector<StageLines> stages;
};

std::vector<double> zoneLine(Cursor& in, const std::string& line, const std::string& label) {
    in.take();
    std::vector<double> values;
    for (const Token& t : tokensOf(std::string_view(line).substr(label.size()))) values.push_back(in.number(t.text));
    LineText built;
    built.text(label);
    for (double v : values) built.number(v).zone();
    in.check(built, "\"" + label + "\"");
    return values;
}

// Table 1 rows: "k L DL V DV"; the phase-plane stage prints k as text.
void readTable1Rows(Cursor& in, Stage& s, bool tarno) {
    while (!in.atEnd() && !in.peek().empty()) {
        const std::string& line = in.peek();
        const std::vector<double> n = numbersOf(line);
        if (n.size() != 5) return;
        in.take();
        ComponentRow row{static_cast<int>(s.table1.size()) + 1, n[1], n[2], n[3], n[4]};
        if (n[0] != row.component) in.fail("expected the row of component " + std::to_string(row.component));
        LineText built;
        if (tarno) {
            built.text(" " + std::to_string(row.component) + " ");
        } else {
            built.number(row.component);
        }
        built.tab(18).number(row.lNm).tab(28).number(row.dlNm).tab(43).number(row.vCm).tab(53).number(row.dvCm);
        in.check(built, "a row of Table 1");
        s.table1.push_back(row);
    }
}

// Table 2 rows: groups of one row per component, the first with the
// concentration (series) and Atotal; empty lines between the groups.
void readTable2Rows(Cursor& in, Stage& s, bool withCq) {
    while (!in.atEnd()) {
        const std::string& line = in.peek();
        if (line.empty()) {
            in.take();
            continue;
        }
        const std::vector<double> n = numbersOf(line);
        const std::size_t firstCount = withCq ? 6 : 5;
        if (n.size() == firstCount) {
            in.take();
            SpectrumContributions group;
            group.spectrum = static_cast<int>(s.table2.size()) + 1;
            std::size_t i = 0;
            if (withCq) group.cq = n[i++];
            if (n[i] != 1) in.fail("expected the first component of a spectrum");
            const Contribution c{1, n[i + 1], n[i + 2], n[i + 3]};
            group.atotal = n[i + 4];
            LineText built;
            if (group.cq) built.number(*group.cq);
            built.tab(9).text("1").tab(20).number(c.si).tab(34).number(c.sd).tab(47).number(c.ai).tab(64)
                .number(group.atotal);
            in.check(built, "the first row of a spectrum in Table 2");
            group.components.push_back(c);
            s.table2.push_back(std::move(group));
        } else if (n.size() == 4 && !s.table2.empty()) {
            in.take();
            SpectrumContributions& group = s.table2.back();
            const int k = static_cast<int>(group.components.size()) + 1;
            if (n[0] != k || k > 3) in.fail("expected the row of component " + std::to_string(k));
            const Contribution c{k, n[1], n[2], n[3]};
            in.check(LineText().tab(9).text(std::to_string(k)).tab(20).number(c.si).tab(34).number(c.sd).tab(47)
                         .number(c.ai),
                     "a row of Table 2");
            group.components.push_back(c);
        } else {
            return;
        }
    }
}

void readTable3Rows(Cursor& in, Stage& s, bool tarno) {
    while (!in.atEnd() && !in.peek().empty()) {
        const std::vector<double> n = numbersOf(in.peek());
        if (n.size() != 7) return;
        in.take();
        SternVolmerRow r{static_cast<int>(s.table3.size()) + 1, n[1], n[2], n[3], n[4], n[5], n[6]};
        if (n[0] != r.component) in.fail("expected the row of component " + std::to_string(r.component));
        in.check(table3Row(r, tarno), "a row of Table 3");
        s.table3.push_back(r);
    }
}

// Fixed lines after a table title; false when the report ends among them.
bool expectLines(Cursor& in, std::initializer_list<std::string> lines) {
    for (const std::string& l : lines) {
        if (!in.expect(l, l.empty() ? "an empty line" : "\"" + l + "\"")) return false;
    }
    return true;
}

void readResultBody(Cursor& in, Place& place, ResultRead& r) {
    // A title or date line cut short is not compared with the other reports'.
    if (in.atEnd()) return;
    r.title = in.take();
    if (in.takenCut()) r.title.clear();
    if (in.atEnd()) return;
    r.date = in.take();
    if (in.takenCut()) r.date.clear();
    place.enter("the title");
    while (!in.atEnd()) {
        const std::string& line = in.peek();
        if (line.empty()) {
            in.take();
            continue;
        }
        if (auto kind = stageOfHeading(line)) {
            in.take();
            newStage(in, r.stages, *kind);
            place.close("the heading of " + stageName(*kind));
            continue;
        }
        if (startsWith(line, kConcentrationLabel)) {
            if (r.quencherLines || !r.stages.empty()) in.fail("quencher lines out of place");
            r.concentrations = zoneLine(in, line, kConcentrationLabel);
            place.enter("the quencher lines");
            if (in.atEnd()) break;
            if (!startsWith(in.peek(), kActivityLabel)) {
                in.take();
                in.fail("expected \"" + kActivityLabel + "\"");
            }
            r.activities = zoneLine(in, in.peek(), kActivityLabel);
            r.quencherLines = true;
            continue;
        }
        if (line == "T A B L E  1" || line == "T A B L E 1") {
            in.take();
            Stage& before = current(in, r.stages, "Table 1");
            if (!before.absence.empty() && (before.kind == StageKind::Vela1 || before.kind == StageKind::Vela2)) {
                newStage(in, r.stages, before.kind == StageKind::Vela1 ? StageKind::Vela2 : StageKind::Vela3);
                r.stages.back().headingless = true;
            }
            Stage& s = r.stages.back().stage;
            if (s.reported) in.fail("a second Table 1 in " + s.name);
            s.reported = true;
            place.enter("Table 1 of " + s.name);
            if (!expectLines(in, {kTable1Text, "", table1Heading()})) break;
            readTable1Rows(in, s, line.size() == 12);
            s.components = static_cast<int>(s.table1.size());
            continue;
        }
        if (line == "T A B L E  2" || line == "T A B L E 2") {
            in.take();
            Stage& s = current(in, r.stages, "Table 2");
            if (s.table1.empty() || !s.table2.empty()) in.fail("Table 2 out of place in " + s.name);
            place.enter("Table 2 of " + s.name);
            const bool tarno = line.size() == 12;
            const bool mono = isMonoKind(s.kind);
            const bool ok = tarno   ? expectLines(in, {kTable2TarnoA, kTable2TarnoB, "", table2Heading(true)})
                            : mono ? expectLines(in, {kTable2MonoA, kTable2B, "", table2Heading(false)})
                                   : expectLines(in, {kTable2SeriesA, kTable2B, "", table2Heading(true)});
            if (!ok) break;
            readTable2Rows(in, s, !mono);
            continue;
        }
        if (line == "T A B L E 3") {
            in.take();
            Stage& s = current(in, r.stages, "Table 3");
            if (s.table2.empty() || !s.table3.empty()) in.fail("Table 3 out of place in " + s.name);
            place.enter("Table 3 of " + s.name);
            if (!expectLines(in, {kTable3A, kTable3B, "", table3Heading()})) break;
            readTable3Rows(in, s, s.kind == StageKind::Tarno);
            continue;
        }
        if (startsWith(line, kGoodness)) {
            in.take();
            Stage& s = current(in, r.stages, "a discriminant");
            const std::vector<Token> t = tokensOf(std::string_view(line).substr(kGoodness.size()));
            if (t.size() != 1) in.fail("expected one value after the discriminant label");
            s.discriminant = in.number(t[0].text);
            in.check(LineText().text(kGoodness).number(*s.discriminant), "the discriminant line");
            place.enter("the discriminant of " + s.name);
            continue;
        }
        if (isRule(line, '-', 77) || isRule(line, '=', 69)) {
            in.take();
            Stage& s = current(in, r.stages, "a closing rule");
            if (!s.discriminant && s.absence.empty()) in.fail("a closing rule without a discriminant before it");
            // A decomposition stage ends with an empty line after its rule.
            if (s.discriminant && s.kind != StageKind::Tarno) {
                place.enter("the closing rule of " + s.name);
                if (!in.expect("", "an empty line after the closing rule")) break;
            }
            place.close("the end of " + s.name);
            continue;
        }
        if (absenceComponents(line) > 0) {
            in.take();
            Stage* at = &current(in, r.stages, "an absence line");
            // After a stage without a solution the next fit has no heading;
            // its absence line follows the closing rule directly.
            if (!at->absence.empty() && (at->kind == StageKind::Vela1 || at->kind == StageKind::Vela2) &&
                absenceComponents(line) == stageComponents(at->kind) + 1) {
                newStage(in, r.stages, at->kind == StageKind::Vela1 ? StageKind::Vela2 : StageKind::Vela3);
                r.stages.back().headingless = true;
                at = &r.stages.back().stage;
            }
            Stage& s = *at;
            if (s.reported || !s.absence.empty()) in.fail("an absence line out of place");
            s.absence = line;
            place.close("the absence line of " + s.name);
            continue;
        }
        in.take();
        in.fail("cannot place this line in the results report");
    }
}

ResultRead readResult(Cursor& in, Place& place) {
    ResultRead r;
    try {
        readResultBody(in, place, r);
    } catch (const CutShort&) {
        place.enter(place.where + " (its last line cut short)");
    }
    return r;
}

// ---------------------------------------------------------------- summary report

const std::array<std::pair<const char*, const char*>, 6> kLegend{{
    {"DISCR.", "- Goodnes-of-Fit. (average  error of decomposition) "},
    {"Nsc", "- Number of smoothed cycles"},
    {"N", "- Number of spectral components"},
    {"Lm", "- Maximum position of spectral components in nm"},
    {"S,%", "- Contribution of spectral components in total spectrum in %"},
    {"Class", "- Assignemnet of spectral components to spectral classes "},
}};

std::string legendLine(std::size_t i) {
    return LineText().text(kLegend[i].first).tab(8).text(kLegend[i].second).str();
}

std::string summaryHeading() {
    return LineText()
        .text("PROGRAMM").tab(13).text("DISCR.").tab(21).text("Nsc").tab(27).text("N").tab(37).text("Lm,nm").tab(55)
        .text("S,%").tab(66).text("CLASS")
        .str();
}

std::string tarnoAbsenceRow() { return LineText().text("TARNO").tab(12).text(kAbsence[2]).str(); }

struct SummaryRead {
    std::string title, date;
    bool heading = false;
    bool legend = false;
    std::vector<std::pair<SummaryBlock, int>> blocks;  // with the line of each
};

// The component items from Tab(26) on: "j L +/- DL S +/- sd class".
SummaryComponent readComponent(Cursor& in, const std::string& line, std::size_t from, LineText& built) {
    const std::vector<Token> t = tokensOf(std::string_view(line).substr(from));
    if (t.size() < 8 || t[2].text != "+/-" || t[5].text != "+/-") {
        in.fail("the line does not have the layout of a summary component");
    }
    SummaryComponent c;
    const double j = in.number(t[0].text);
    c.component = static_cast<int>(j);
    if (c.component != j) in.fail("a component number that is not whole");
    c.lNm = in.number(t[1].text);
    c.lError = in.number(t[3].text);
    c.sPercent = in.number(t[4].text);
    c.sSd = in.number(t[6].text);
    c.className = line.substr(from + t[7].pos);
    built.tab(26).number(j).tab(31).number(c.lNm).text("+/-").number(c.lError).tab(49).number(c.sPercent)
        .text("+/-").number(c.sSd).tab(66).text(c.className);
    return c;
}

void readSummaryBody(Cursor& in, Place& place, SummaryRead& s) {
    // A title or date line cut short is not compared with the other reports'.
    if (in.atEnd()) return;
    s.title = in.take();
    if (in.takenCut()) s.title.clear();
    if (in.atEnd()) return;
    s.date = in.take();
    if (in.takenCut()) s.date.clear();
    place.enter("the title");
    if (!in.expect("", "an empty line after the date")) return;
    place.close("the title");
    const std::string componentIndent(25, ' ');
    while (!in.atEnd()) {
        if (s.legend) {
            in.take();
            in.fail("a line after the legend");
        }
        const std::string& line = in.peek();
        if (line == summaryHeading()) {
            in.take();
            if (s.heading || !s.blocks.empty()) in.fail("a second column heading");
            s.heading = true;
            place.enter("the column heading");
            if (!in.expect(std::string(79, '-'), "a line of 79 \"-\"")) break;
            place.close("the column heading");
            continue;
        }
        // quenfit writes this row when the phase-plane stage finds no
        // two-component solution; the fits after it go on.
        if (line == tarnoAbsenceRow()) {
            in.take();
            SummaryBlock b;
            b.label = "TARNO";
            b.components = 2;
            b.absence = kAbsence[2];
            s.blocks.emplace_back(std::move(b), in.lineNumber());
            place.enter("the absence row of TARNO");
            continue;
        }
        const bool tarno = startsWith(line, "TARNO");
        const bool vela = startsWith(line, "VELA- ");
        const bool velaMono = startsWith(line, "VELA - ");
        if (tarno || vela || velaMono) {
            in.take();
            SummaryBlock b;
            b.label = tarno ? "TARNO" : vela ? "VELA-" : "VELA -";
            const std::vector<Token> t = tokensOf(std::string_view(line).substr(b.label.size()));
            std::size_t i = 0;
            LineText built;
            built.text(b.label);
            if (!tarno) {
                if (t.empty()) in.fail("expected the component count after \"" + b.label + "\"");
                const double n = in.number(t[i++].text);
                if (n != 1 && n != 2 && n != 3) in.fail("a component count other than 1, 2 or 3");
                b.components = static_cast<int>(n);
                built.number(n);
            } else {
                b.components = 2;
            }
            if (t.size() < i + 2) in.fail("expected the discriminant and Nsc");
            b.discriminant = in.number(t[i].text);
            const double nsc = in.number(t[i + 1].text);
            b.nsc = static_cast<int>(nsc);
            if (b.nsc != nsc) in.fail("an Nsc that is not whole");
            built.tab(12).number(b.discriminant).tab(21).number(nsc);
            const std::size_t from = b.label.size() + t[i + 1].pos + t[i + 1].text.size();
            b.rows.push_back(readComponent(in, line, from, built));
            in.check(built, "a summary row");
            if (b.rows[0].component < 1 || b.rows[0].component > b.components) {
                in.fail("a component number out of order");
            }
            place.enter("the summary block of " + b.label + (tarno ? "" : " " + std::to_string(b.components)));
            s.blocks.emplace_back(std::move(b), in.lineNumber());
            continue;
        }
        if (startsWith(line, componentIndent) && !s.blocks.empty() && !place.closed) {
            in.take();
            LineText built;
            SummaryBlock& b = s.blocks.back().first;
            if (!b.absence.empty()) in.fail("a component line after an absence line");
            const SummaryComponent c = readComponent(in, line, 0, built);
            in.check(built, "a summary component line");
            // A component whose position has no class gets no line, so the
            // numbers rise but may skip one.
            if (c.component <= b.rows.back().component || c.component > b.components) {
                in.fail("a component number out of order");
            }
            b.rows.push_back(c);
            continue;
        }
        if (const int n = absenceComponents(line)) {
            in.take();
            SummaryBlock b;
            b.components = n;
            b.absence = line;
            s.blocks.emplace_back(std::move(b), in.lineNumber());
            place.enter("the absence line of " + std::to_string(n) + " components");
            continue;
        }
        if (isRule(line, '-', 79) || isRule(line, '-', 75)) {
            in.take();
            if (s.blocks.empty() || place.closed) in.fail("a rule without a block before it");
            place.close("the end of a summary block");
            continue;
        }
        if (line == legendLine(0)) {
            place.enter("the legend");
            bool ended = false;
            for (std::size_t i = 0; i < kLegend.size(); ++i) {
                if (!in.expect(legendLine(i), "the legend line \"" + std::string(kLegend[i].first) + "\"")) {
                    ended = true;
                    break;
                }
            }
            if (ended || !in.expect("", "the empty line that ends the legend")) break;
            s.legend = true;
            place.close("the legend");
            continue;
        }
        in.take();
        in.fail("cannot place this line in the summary report");
    }
}

SummaryRead readSummary(Cursor& in, Place& place) {
    SummaryRead s;
    try {
        readSummaryBody(in, place, s);
    } catch (const CutShort&) {
        place.enter(place.where + " (its last line cut short)");
    }
    return s;
}

// ---------------------------------------------------------------- the run

void setProgram(RunReports& run, Program p, const std::string& path, int line) {
    if (run.program == Program::Unknown) {
        run.program = p;
    } else if (run.program != p) {
        throw ReportError(path, line, "the reports mix quenfit and monofit");
    }
}

ReportEnd endOf(const Cursor& in, const Place& place) {
    ReportEnd e;
    e.path = in.path();
    e.lines = in.lineCount();
    e.complete = place.closed && !in.takenCut();
    e.where = place.where;
    return e;
}

void takeGraphPart(Stage& s, const Stage& gs) {
    s.smoothed = gs.smoothed;
    s.smoothedDifference = gs.smoothedDifference;
    s.sternVolmer = gs.sternVolmer;
    s.residuals = gs.residuals;
    s.theoretical = gs.theoretical;
    s.firstSpectrumComponents = gs.firstSpectrumComponents;
    s.graphDiscriminant = gs.graphDiscriminant;
}

// Result and graph stages have the same headings in the same order. A
// stage without its own heading (after a stage without a solution) takes
// the graph sections written under the heading of the absent stage, which
// itself writes nothing to the graph report. The longer list (a report cut
// later) gives the stages past the other's end.
std::vector<Stage> mergeStages(const ResultRead& r, const GraphRead& g, const ReportPaths& paths) {
    std::vector<Stage> out;
    std::size_t gi = 0;
    const StageLines* pending = nullptr;  // the graph heading of an absent stage
    for (const StageLines& rs : r.stages) {
        Stage s = rs.stage;
        if (rs.headingless) {
            if (pending != nullptr) takeGraphPart(s, pending->stage);
            pending = nullptr;
        } else if (gi < g.stages.size()) {
            const StageLines& gs = g.stages[gi++];
            if (gs.stage.kind != s.kind) {
                throw ReportError(paths.graph, gs.headingLine,
                                  "the heading of " + gs.stage.name + " stands where the results report has " +
                                      s.name);
            }
            if (s.absence.empty()) {
                takeGraphPart(s, gs.stage);
            } else {
                pending = &gs;
            }
        }
        out.push_back(std::move(s));
    }
    for (; gi < g.stages.size(); ++gi) out.push_back(g.stages[gi].stage);
    return out;
}

StageKind kindOfBlock(const SummaryBlock& b, Program program) {
    if (b.label == "TARNO") return StageKind::Tarno;
    const bool mono = b.label == "VELA -" || program == Program::Monofit;
    switch (b.components) {
        case 1: return mono ? StageKind::VelaMono1 : StageKind::Vela1;
        case 2: return mono ? StageKind::VelaMono2 : StageKind::Vela2;
        default: return mono ? StageKind::VelaMono3 : StageKind::Vela3;
    }
}

// Each summary block belongs to the next stage that reported the same
// number of components or wrote the same absence line; a block of the
// stage at which the results report is cut belongs to that stage. A block
// with no such stage (the results report ends before it) gets a stage of
// its own, and the run is not complete.
bool attachSummary(RunReports& run, const SummaryRead& s) {
    std::size_t next = 0;
    bool allMatched = true;
    for (const auto& entry : s.blocks) {
        const SummaryBlock& block = entry.first;
        std::size_t i = next;
        for (; i < run.stages.size(); ++i) {
            const Stage& st = run.stages[i];
            const bool last = i + 1 == run.stages.size();
            // An absence row labelled TARNO is the phase-plane stage's; the
            // bare absence lines are the component fits'.
            const bool match = block.absence.empty()
                                   ? st.reported && st.components == block.components
                                   : st.absence == block.absence &&
                                         (block.label == "TARNO") == (st.kind == StageKind::Tarno);
            const bool cutHere = last && !st.reported && st.absence.empty() && !run.result.complete;
            if (match || cutHere) break;
        }
        if (i == run.stages.size()) {
            Stage st;
            st.kind = kindOfBlock(block, run.program);
            st.name = stageName(st.kind);
            for (const Stage& before : run.stages) {
                if (before.kind == st.kind) ++st.occurrence;
            }
            run.stages.push_back(std::move(st));
            allMatched = false;
        }
        run.stages[i].summary = block;
        next = i + 1;
    }
    return allMatched;
}

}  // namespace

RunReports readReports(const ReportTexts& texts) {
    Cursor resultIn(texts.paths.result, texts.result);
    Cursor graphIn(texts.paths.graph, texts.graph);
    Cursor summaryIn(texts.paths.summary, texts.summary);
    Place resultPlace, graphPlace, summaryPlace;
    const ResultRead r = readResult(resultIn, resultPlace);
    const GraphRead g = readGraph(graphIn, graphPlace);
    const SummaryRead s = readSummary(summaryIn, summaryPlace);

    RunReports run;
    run.title = !g.title.empty() ? g.title : !r.title.empty() ? r.title : s.title;
    run.date = !g.date.empty() ? g.date : !r.date.empty() ? r.date : s.date;
    const auto sameText = [](const std::string& a, const std::string& b) { return a.empty() || b.empty() || a == b; };
    if (!sameText(r.title, g.title)) throw ReportError(texts.paths.result, 1, "the title differs from the graph report's");
    if (!sameText(s.title, run.title)) throw ReportError(texts.paths.summary, 1, "the title differs from the other reports'");
    if (!sameText(r.date, g.date)) throw ReportError(texts.paths.result, 2, "the date differs from the graph report's");
    if (!sameText(s.date, run.date)) throw ReportError(texts.paths.summary, 2, "the date differs from the other reports'");

    for (const StageLines& st : r.stages) {
        setProgram(run, isMonoKind(st.stage.kind) ? Program::Monofit : Program::Quenfit, texts.paths.result,
                   st.headingLine);
    }
    for (const StageLines& st : g.stages) {
        setProgram(run, isMonoKind(st.stage.kind) ? Program::Monofit : Program::Quenfit, texts.paths.graph,
                   st.headingLine);
    }
    for (const auto& [block, line] : s.blocks) {
        if (block.label == "TARNO" || block.label == "VELA-") setProgram(run, Program::Quenfit, texts.paths.summary, line);
        if (block.label == "VELA -") setProgram(run, Program::Monofit, texts.paths.summary, line);
    }
    if (r.quencherLines) setProgram(run, Program::Quenfit, texts.paths.result, 3);
    if (g.monoBlankAfterFirstPass && run.program == Program::Quenfit) {
        throw ReportError(texts.paths.graph, 0, "a monofit first pass in the reports of a quenfit run");
    }

    run.concentrations = r.concentrations;
    run.activities = r.activities;
    run.firstPass = g.firstPass;
    run.stages = mergeStages(r, g, texts.paths);
    run.summaryHeading = s.heading;
    run.legend = s.legend;
    run.result = endOf(resultIn, resultPlace);
    run.graph = endOf(graphIn, graphPlace);
    run.summary = endOf(summaryIn, summaryPlace);
    const bool matched = attachSummary(run, s);

    // A finished run has the legend, every report ends where a section ends,
    // and the results and graph reports hold the same stages.
    std::size_t headed = 0;
    for (const StageLines& st : r.stages) headed += st.headingless ? 0 : 1;
    bool stagesWhole = headed == g.stages.size();
    for (const Stage& st : run.stages) {
        // A reported stage is in all three reports; a stage without a
        // solution has its absence line in the summary too, except the last
        // three-component search of monofit, which writes only the results.
        if (st.reported && (!st.discriminant || !st.graphDiscriminant || !st.summary)) stagesWhole = false;
        if (!st.absence.empty() && !st.summary && !isMonoKind(st.kind)) stagesWhole = false;
    }
    run.complete = s.legend && run.result.complete && run.graph.complete && run.summary.complete && matched &&
                   stagesWhole;
    if (!run.complete) {
        run.result.complete = run.graph.complete = run.summary.complete = false;
        if (!s.legend) run.summary.where += " (the run did not reach the legend)";
    }
    return run;
}

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ReportError(path, 0, "cannot open the report");
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw ReportError(path, 0, "cannot read the report");
    return text.str();
}

}  // namespace

RunReports readReportFiles(const ReportPaths& paths) {
    ReportTexts texts;
    texts.paths = paths;
    texts.result = readFile(paths.result);
    texts.graph = readFile(paths.graph);
    texts.summary = readFile(paths.summary);
    return readReports(texts);
}

}  // namespace qf::results
