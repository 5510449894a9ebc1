#include "textio/report_lines.h"

#include <array>
#include <initializer_list>
#include <string>

namespace qf {

namespace {

// Items of a fixed line: Tab(column) (none for column 0), then the text
// followed by ";"; the last ends the line.
struct Cell {
    int column;
    std::string_view text;
};
struct Fixed {
    FixedLine id;
    std::array<Cell, 8> cells;
};

// clang-format off
constexpr std::array<Fixed, kFixedLineCount> kFixed{{
    {FixedLine::Table1Title, {{{0, "T A B L E 1"}}}},
    {FixedLine::Table1TitleTarno, {{{0, "T A B L E  1"}}}},
    {FixedLine::Table1Explanation,
     {{{0, "Maximum position of spectral components in wavelengths (L, nm) and wavenumbers (V, 1/cm)"}}}},
    {FixedLine::Table1Heading, {{{0, "N comp."}, {19, "L (nm)"}, {29, "DL"}, {44, "V (1/cm)"}, {54, "DV"}}}},
    {FixedLine::Table2Title, {{{0, "T A B L E 2"}}}},
    {FixedLine::Table2TitleTarno, {{{0, "T A B L E  2"}}}},
    {FixedLine::Table2SeriesExplanation,
     {{{0, "Quencher concentration (Cq, M), Contribution of each spectral components (Si, %), "
           "Standart deviation (s.d., %)"}}}},
    {FixedLine::Table2MonoExplanation,
     {{{0, "Contribution of each spectral components (Si, %), Standart deviation (s.d., %)"}}}},
    {FixedLine::Table2AreaExplanation,
     {{{0, "Area under the spectral components (Ai), Area under the whole spectrum (Atotal=Sum(Ai))"}}}},
    {FixedLine::Table2TarnoExplanation1,
     {{{0, "Quencher concentration (Cq, M), Contribution of spectral components into the area under the "
           "spectrum in % (Si, %)"}}}},
    {FixedLine::Table2TarnoExplanation2,
     {{{0, "Standart error (s.d., %); Area under spectral components (Ai), Area under the whole spectrum "
           "(Atotal=Sum(Ai))"}}}},
    {FixedLine::Table2Heading,
     {{{0, "Cq"}, {7, "N comp."}, {21, "Si, %"}, {35, "s.d., %"}, {48, "Ai"}, {65, "Atotal"}}}},
    {FixedLine::Table2HeadingMono, {{{7, "N comp."}, {21, "Si, %"}, {35, "s.d., %"}, {48, "Ai"}, {65, "Atotal"}}}},
    {FixedLine::Table3Title, {{{0, "T A B L E 3"}}}},
    {FixedLine::Table3Explanation1,
     {{{0, "Stern-Volmer quenching constant (Ksv, 1/M), Relative quenching constant(100% corresponds "
           "to the Stern-Volmer constant of Trp in solution, Ksv(Trp))"}}}},
    {FixedLine::Table3Explanation2,
     {{{0, "Free term in Stern-Volmer equation (Bi), in ideal case should equal 1; Linear correlation "
           "coefficients for Stern-Volmer plots (R)"}}}},
    {FixedLine::Table3Heading,
     {{{2, "N comp."}, {13, "Ksv, 1/M"}, {25, "s.d."}, {37, "Ksv/Ksv(TRP),%"}, {53, "s.d."}, {65, "Bi"},
       {75, "R"}}}},
    {FixedLine::SternVolmerTitle, {{{0, "DATA for STERN-VOLMER PLOT"}}}},
    {FixedLine::SternVolmerAbscissa, {{{0, "Quencher concentration, M"}}}},
    {FixedLine::SternVolmerOrdinate, {{{0, "Experimental points and theoretical lines for each component"}}}},
    {FixedLine::TheoreticalTitle, {{{0, "THEORETICAL SPECTRA, from 305 to 400, Step 1nm"}}}},
    {FixedLine::ComponentsTitle,
     {{{0, "COMPONENTS FOR THE FIRST THEORETICAL SPECTRUM, from 305 to 400, Step 1nm"}}}},
    {FixedLine::MonoAbsent, {{{0, "MONOCOMPONENT SOLUTION IS ABSENT!"}}}},
    {FixedLine::TwoAbsent, {{{0, "TWO-COMPONENT SOLUTION IS ABSENT!"}}}},
    {FixedLine::ThreeAbsent, {{{0, "THREE-COMPONENT SOLUTION IS ABSENT!"}}}},
    {FixedLine::SummaryHeading,
     {{{0, "PROGRAMM"}, {13, "DISCR."}, {21, "Nsc"}, {27, "N"}, {37, "Lm,nm"}, {55, "S,%"}, {66, "CLASS"}}}},
    {FixedLine::SummaryTarnoAbsent, {{{0, "TARNO"}, {12, "TWO-COMPONENT SOLUTION IS ABSENT!"}}}},
    {FixedLine::Legend1, {{{0, "DISCR."}, {8, "- Goodnes-of-Fit. (average  error of decomposition) "}}}},
    {FixedLine::Legend2, {{{0, "Nsc"}, {8, "- Number of smoothed cycles"}}}},
    {FixedLine::Legend3, {{{0, "N"}, {8, "- Number of spectral components"}}}},
    {FixedLine::Legend4, {{{0, "Lm"}, {8, "- Maximum position of spectral components in nm"}}}},
    {FixedLine::Legend5, {{{0, "S,%"}, {8, "- Contribution of spectral components in total spectrum in %"}}}},
    {FixedLine::Legend6, {{{0, "Class"}, {8, "- Assignemnet of spectral components to spectral classes "}}}},
}};

constexpr std::array<std::string_view, kStepTitleCount> kStepTitles{
    "NORMALIZED CORRECTED EXPERIMENTAL SPECTRA, from 320 to 380, Step ",
    "SMOOTHED NORMALIZED CORRECTED EXPERIMENTAL SPECTRA, from 320 to 380, Step ",
    "SMOOTHED NORMALIZED CORRECTED EXPERIMENTAL SPECTRA, from 320 to 380 Step ",
    "SMOOTHED NORMALIZED EXPERIMENTAL SPECTRA, from 320 to 380 Step ",
    "DIFERENCE BETWEEN EXPERIMENTAL AND SMOOTHED SPECTRA, % from 320 to 380, Step ",
    "RESIDUALS, % (Diference between theoretical and experimental spectra) from 320 to 380, Step ",
};
// clang-format on

// Numbers at fixed columns: Tab(column), the number and ";"; the last is
// followed by `last`.
struct NumberCell {
    int column;
    double value;
};
void numberCells(ReportSink& out, std::initializer_list<NumberCell> cells, Sep last) {
    std::size_t k = 0;
    for (const NumberCell& cell : cells) {
        out.tab(cell.column);
        out.printNumber(cell.value, ++k == cells.size() ? last : Sep::Join);
    }
}

// The table is in the order of the enumeration.
constexpr bool inOrder() {
    for (int i = 0; i < kFixedLineCount; ++i) {
        if (static_cast<int>(kFixed[static_cast<std::size_t>(i)].id) != i) return false;
    }
    return true;
}
static_assert(inOrder(), "kFixed must list the fixed lines in the order of FixedLine");

}  // namespace

// ---------------------------------------------------------------- fixed lines

void writeFixedLine(ReportSink& out, FixedLine line) {
    const Fixed& f = kFixed[static_cast<std::size_t>(line)];
    std::size_t count = 0;
    while (count < f.cells.size() && !f.cells[count].text.empty()) ++count;
    for (std::size_t k = 0; k < count; ++k) {
        if (f.cells[k].column > 0) out.tab(f.cells[k].column);
        out.printText(f.cells[k].text, k + 1 == count ? Sep::End : Sep::Join);
    }
}

FixedLine absenceLine(int n) {
    return n == 1 ? FixedLine::MonoAbsent : n == 2 ? FixedLine::TwoAbsent : FixedLine::ThreeAbsent;
}

void writeRule(ReportSink& out, char c, int count) { out.line(std::string(static_cast<std::size_t>(count), c)); }

std::string_view stageHeadingName(StageHeading stage) {
    switch (stage) {
        case StageHeading::Tarno: return "TARNO";
        case StageHeading::Vela1: return "VELA-I";
        case StageHeading::Vela2: return "VELA-II";
        case StageHeading::Vela3: return "VELA-III";
        case StageHeading::VelaMono1: return "VELA-MONO-I";
        case StageHeading::VelaMono2: return "VELA-MONO-II";
        case StageHeading::VelaMono3: return "VELA-MONO-III";
    }
    return "";
}

StageHeading componentFitHeading(Program program, int components) {
    const bool mono = program == Program::Monofit;
    if (components <= 1) return mono ? StageHeading::VelaMono1 : StageHeading::Vela1;
    if (components == 2) return mono ? StageHeading::VelaMono2 : StageHeading::Vela2;
    return mono ? StageHeading::VelaMono3 : StageHeading::Vela3;
}

void writeStageHeadingLine(ReportSink& out, std::string_view stageName) {
    out.tab(40);
    out.printText("SUBPROGRAMM " + std::string(stageName), Sep::End);
}

void writeTitleLines(ReportSink& out, std::string_view title, std::string_view date) {
    out.line(title);
    out.line(date);
}

// ---------------------------------------------------------------- graph report

void writeExperimentalHeading(ReportSink& out, const ExperimentalHeading& h) {
    out.printText("EXPERIMENTAL SPECTRA, from ", Sep::Join);
    out.printNumber(h.firstNm, Sep::Join);
    out.printText(" to", Sep::Join);
    out.printNumber(h.lastNm, Sep::Join);
    out.printText(" Step ", Sep::Join);
    out.printNumber(h.stepNm, Sep::End);
}

void writeCorrectionHeading(ReportSink& out, const CorrectionHeading& h) {
    if (h.fromNm) {
        out.printText("CORRECTION CURVE, from ", Sep::Join);
        out.printNumber(*h.fromNm, Sep::Join);
        if (h.toNm) {
            out.printText(" to ", Sep::Join);
            out.printNumber(*h.toNm, Sep::Join);
            out.printText(", Step ", Sep::Join);
        } else {
            out.printText(" to 400, Step ", Sep::Join);
        }
    } else if (h.toNm) {
        out.printText("CORRECTION CURVE, from 310 to ", Sep::Join);
        out.printNumber(*h.toNm, Sep::Join);
        out.printText(", Step ", Sep::Join);
    } else {
        out.printText("CORRECTION CURVE, from 310 to 400, Step ", Sep::Join);
    }
    out.printNumber(h.stepNm, Sep::End);
}

std::string_view stepTitleText(StepTitle title) { return kStepTitles[static_cast<std::size_t>(title)]; }

void writeStepHeading(ReportSink& out, StepTitle title, double stepNm) {
    out.printText(stepTitleText(title), Sep::Join);
    out.printNumber(stepNm, Sep::End);
}

void writeValueRow(ReportSink& out, std::span<const double> values) {
    writeValueRow(out, static_cast<int>(values.size()), [&](int x) { return values[static_cast<std::size_t>(x)]; });
}

void writeGraphDiscriminantLine(ReportSink& out, double discriminant) {
    out.printText("DISCRIMINANT = ", Sep::Join);
    out.printNumber(discriminant, Sep::End);
}

// ---------------------------------------------------------------- results report

void writeGoodnessLine(ReportSink& out, double discriminant) {
    out.printText("  GOODNESS-of-FIT CRITERIA, DISCRIMINANT: ", Sep::Join);
    out.printNumber(discriminant, Sep::End);
}

std::string_view quencherLabelText(QuencherLabel label) {
    return label == QuencherLabel::Concentration ? "Quencher Concentration, M:      "
                                                 : "Quencher Chemical Activities, M:";
}

void writeQuencherLine(ReportSink& out, QuencherLabel label, std::span<const double> values) {
    writeQuencherLine(out, label, static_cast<int>(values.size()),
                      [&](int x) { return values[static_cast<std::size_t>(x)]; });
}

void writeTable1Row(ReportSink& out, const Table1Row& row) {
    out.printNumber(row.component, Sep::Join);
    numberCells(out, {{18, row.peakNm}, {28, row.peakNmError}, {43, row.wavenumber}, {53, row.wavenumberError}},
                Sep::End);
}

void writeTable2Row(ReportSink& out, const Table2Row& row) {
    if (row.concentration) out.printNumber(*row.concentration, Sep::Join);
    out.tab(9);
    out.printText(std::to_string(row.component), Sep::Join);
    numberCells(out, {{20, row.contribution}, {34, row.contributionSd}, {47, row.area}},
                row.totalArea ? Sep::Join : Sep::End);
    if (row.totalArea) numberCells(out, {{64, *row.totalArea}}, Sep::End);
}

void writeTable3Row(ReportSink& out, const Table3Row& row) {
    out.tab(5);
    if (row.numberAsText) {
        out.printText(std::to_string(row.component), Sep::Join);
    } else {
        out.printNumber(row.component, Sep::Join);
    }
    numberCells(out,
                {{12, row.ksv}, {24, row.ksvSd}, {36, row.relKsv}, {52, row.relKsvSd}, {64, row.intercept},
                 {74, row.r}},
                Sep::End);
}

// ---------------------------------------------------------------- summary report

std::string_view summaryLabel(SummaryMethod method, Program program) {
    if (method == SummaryMethod::PhasePlane) return "TARNO";
    return program == Program::Quenfit ? "VELA-" : "VELA -";
}

void writeSummaryStageCells(ReportSink& out, const SummaryStageCells& cells) {
    out.printText(summaryLabel(cells.method, cells.program), Sep::Join);
    if (cells.method == SummaryMethod::ComponentFit) out.printNumber(cells.components, Sep::Join);
    out.tab(12);
    out.printNumber(cells.discriminant, Sep::Join);
    out.tab(21);
    out.printNumber(cells.nsc, Sep::Join);
}

void writeSummaryComponentCells(ReportSink& out, const SummaryComponentCells& cells) {
    out.tab(26);
    out.printNumber(cells.component, Sep::Join);
    out.tab(31);
    out.printNumber(cells.peakNm, Sep::Join);
    out.printText("+/-", Sep::Join);
    out.printNumber(cells.peakError, Sep::Join);
    out.tab(49);
    out.printNumber(cells.contribution, Sep::Join);
    out.printText("+/-", Sep::Join);
    out.printNumber(cells.contributionSd, Sep::Join);
    out.tab(66);
    out.printText(cells.className, Sep::End);
}

}  // namespace qf
