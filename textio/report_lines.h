#pragma once
// Every kind of line of the three reports, laid out once. Each function
// takes the values of one line (a plain struct where there are several) and
// writes the whole line, its end included, to any sink: the programs write
// their reports through these functions, and the reader of the reports
// checks every line it takes apart by writing it again through the same
// function into a LineBuffer and comparing. A change of layout made here is
// made for both.
//
// Every number is printed as given: rounding to the printed precision is
// the caller's, done where the computation happens.

#include <optional>
#include <span>
#include <string_view>

#include "textio/program.h"
#include "textio/report_writer.h"

namespace qf {

// ---------------------------------------------------------------- fixed lines

// The lines whose text never changes: table titles and their explanations,
// column headings, section titles of the graph report, the absence lines,
// the summary's legend.
enum class FixedLine {
    Table1Title,          // "T A B L E 1"
    Table1TitleTarno,     // "T A B L E  1" (the phase-plane stage)
    Table1Explanation,
    Table1Heading,        // "N comp.  L (nm)  DL  V (1/cm)  DV"
    Table2Title,
    Table2TitleTarno,
    Table2SeriesExplanation,  // quenfit component fits
    Table2MonoExplanation,    // monofit
    Table2AreaExplanation,    // the second line of both
    Table2TarnoExplanation1,
    Table2TarnoExplanation2,
    Table2Heading,        // with "Cq" in front
    Table2HeadingMono,    // without
    Table3Title,
    Table3Explanation1,
    Table3Explanation2,
    Table3Heading,
    SternVolmerTitle,     // "DATA for STERN-VOLMER PLOT"
    SternVolmerAbscissa,  // "Quencher concentration, M"
    SternVolmerOrdinate,  // "Experimental points and theoretical lines ..."
    TheoreticalTitle,     // "THEORETICAL SPECTRA, from 305 to 400, Step 1nm"
    ComponentsTitle,      // "COMPONENTS FOR THE FIRST THEORETICAL SPECTRUM, ..."
    MonoAbsent,           // "MONOCOMPONENT SOLUTION IS ABSENT!"
    TwoAbsent,            // "TWO-COMPONENT SOLUTION IS ABSENT!"
    ThreeAbsent,          // "THREE-COMPONENT SOLUTION IS ABSENT!"
    SummaryHeading,       // "PROGRAMM  DISCR.  Nsc  N  Lm,nm  S,%  CLASS"
    SummaryTarnoAbsent,   // "TARNO" Tab(12) "TWO-COMPONENT SOLUTION IS ABSENT!"
    Legend1,              // "DISCR." Tab(8) "- Goodnes-of-Fit. ..." ... "Class" ...
    Legend2,
    Legend3,
    Legend4,
    Legend5,
    Legend6,
};
inline constexpr int kFixedLineCount = static_cast<int>(FixedLine::Legend6) + 1;

void writeFixedLine(ReportSink& out, FixedLine line);

// The absence line of a search for n components (1..3).
FixedLine absenceLine(int n);

// A line of `count` copies of `c` (the rules closing stages and blocks).
void writeRule(ReportSink& out, char c, int count);

// The stages as their headings name them: quenfit runs TARNO, then VELA-I
// to VELA-III; monofit runs VELA-MONO-I to VELA-MONO-III.
enum class StageHeading { Tarno, Vela1, Vela2, Vela3, VelaMono1, VelaMono2, VelaMono3 };

// The name a heading prints ("VELA-MONO-II").
std::string_view stageHeadingName(StageHeading stage);

// The heading of the component fit of `program` for n (1..3) components.
StageHeading componentFitHeading(Program program, int components);

// Tab(40) "SUBPROGRAMM <name>".
void writeStageHeadingLine(ReportSink& out, std::string_view stageName);

// The opening of a report: the data file's title line as read, then the
// run's date (month-day-year), each a print line of its own.
void writeTitleLines(ReportSink& out, std::string_view title, std::string_view date);

// ---------------------------------------------------------------- graph report

// "EXPERIMENTAL SPECTRA, from F to Z Step h": the recorded grid.
struct ExperimentalHeading {
    double firstNm, lastNm, stepNm;
};
void writeExperimentalHeading(ReportSink& out, const ExperimentalHeading& h);

// "CORRECTION CURVE, from A to B, Step h"; A and B print as numbers when
// the grid starts above 310 nm or ends below 400 nm, as "310" and "400"
// otherwise.
struct CorrectionHeading {
    std::optional<double> fromNm;  // set when the grid starts above 310 nm
    std::optional<double> toNm;    // set when it ends below 400 nm
    double stepNm;
};
void writeCorrectionHeading(ReportSink& out, const CorrectionHeading& h);

// Section titles that end with the step of the grid.
enum class StepTitle {
    Normalized,       // "NORMALIZED CORRECTED EXPERIMENTAL SPECTRA, from 320 to 380, Step "
    SmoothedTarno,    // "SMOOTHED NORMALIZED CORRECTED ... from 320 to 380, Step "
    SmoothedFirst,    // "SMOOTHED NORMALIZED CORRECTED ... from 320 to 380 Step "
    SmoothedLater,    // "SMOOTHED NORMALIZED EXPERIMENTAL SPECTRA, from 320 to 380 Step "
    Difference,       // "DIFERENCE BETWEEN EXPERIMENTAL AND SMOOTHED SPECTRA, ..."
    Residuals,        // "RESIDUALS, % (Diference between ...) from 320 to 380, Step "
};
inline constexpr int kStepTitleCount = static_cast<int>(StepTitle::Residuals) + 1;
std::string_view stepTitleText(StepTitle title);
void writeStepHeading(ReportSink& out, StepTitle title, double stepNm);

// A row of plot data: "v1,v2,...,vn," and the line end.
void writeValueRow(ReportSink& out, std::span<const double> values);
// The same row with the values computed one at a time as they are written
// (an arithmetic failure then stops the row before the value it spoilt).
// `afterEach(x)` runs after value x is written (a sum over the printed
// values, in the order of the row); `beforeEnd()` runs after the last value,
// before the line end (work done while the row is still open, whose failure
// must stop the run before the line end).
template <class ValueAt, class AfterEach, class BeforeEnd>
void writeValueRow(ReportSink& out, int count, ValueAt valueAt, AfterEach afterEach, BeforeEnd beforeEnd) {
    for (int x = 0; x < count; ++x) {
        out.writeNumber(valueAt(x), Sep::Join);
        afterEach(x);
    }
    beforeEnd();
    out.endLine();
}
template <class ValueAt, class AfterEach>
void writeValueRow(ReportSink& out, int count, ValueAt valueAt, AfterEach afterEach) {
    writeValueRow(out, count, valueAt, afterEach, [] {});
}
template <class ValueAt>
void writeValueRow(ReportSink& out, int count, ValueAt valueAt) {
    writeValueRow(out, count, valueAt, [](int) {});
}

// "DISCRIMINANT = d" of the graph report.
void writeGraphDiscriminantLine(ReportSink& out, double discriminant);

// ---------------------------------------------------------------- results report

// "  GOODNESS-of-FIT CRITERIA, DISCRIMINANT: d".
void writeGoodnessLine(ReportSink& out, double discriminant);

// The quencher lines of a series: a label and one number per print zone.
enum class QuencherLabel { Concentration, Activity };
std::string_view quencherLabelText(QuencherLabel label);
void writeQuencherLine(ReportSink& out, QuencherLabel label, std::span<const double> values);
// The same line with value x computed as it is written (rounded there, so
// that an arithmetic failure stops the line before the number it spoilt).
template <class ValueAt>
void writeQuencherLine(ReportSink& out, QuencherLabel label, int count, ValueAt valueAt) {
    out.printText(quencherLabelText(label), Sep::Join);
    for (int x = 0; x < count; ++x) out.printNumber(valueAt(x), Sep::Zone);
    out.endLine();
}

struct Table1Row {
    int component;  // 1-based
    double peakNm, peakNmError, wavenumber, wavenumberError;  // L, DL, V, DV
};
void writeTable1Row(ReportSink& out, const Table1Row& row);

// A row of Table 2: the first component of a spectrum carries the
// concentration (a series) and Atotal.
struct Table2Row {
    std::optional<double> concentration;
    int component;  // 1-based
    double contribution, contributionSd, area;  // Si, s.d., Ai
    std::optional<double> totalArea;            // Atotal
};
void writeTable2Row(ReportSink& out, const Table2Row& row);

// A row of Table 3. The phase-plane table prints the component number as
// bare text, the component fits as a number (sign place and blank).
struct Table3Row {
    int component;
    bool numberAsText;
    double ksv, ksvSd;        // 1/M
    double relKsv, relKsvSd;  // % of Ksv(Trp)
    double intercept, r;      // Bi (to 0.01), R
};
void writeTable3Row(ReportSink& out, const Table3Row& row);

// ---------------------------------------------------------------- summary report

// What a summary block stands for: the phase-plane stage or a component fit.
enum class SummaryMethod { PhasePlane, ComponentFit };

// The label a block's first line begins with: "TARNO" for the phase-plane
// stage; for a component fit "VELA-" in quenfit's summary, "VELA -" in
// monofit's.
std::string_view summaryLabel(SummaryMethod method, Program program);

// The start of a block's first line: the label, the component count of a
// component fit, then DISCR. and Nsc. The line goes on with the block's
// first component.
struct SummaryStageCells {
    SummaryMethod method;
    Program program;  // whose spelling of the label
    int components;   // printed after a component fit's label
    double discriminant;
    int nsc;          // smoothing cycles - 1
};
void writeSummaryStageCells(ReportSink& out, const SummaryStageCells& cells);

// One component from Tab(26): number, peak +/- its error, contribution +/-
// its s.d., class; ends the line.
struct SummaryComponentCells {
    int component;
    double peakNm, peakError, contribution, contributionSd;
    std::string_view className;
};
void writeSummaryComponentCells(ReportSink& out, const SummaryComponentCells& cells);

}  // namespace qf
