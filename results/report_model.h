#pragma once
// The results of one run of quenfit or monofit as read back from its three
// reports (results, graph data, summary). Plain structs: every number is the
// value the report printed (its text turns back into the same double), every
// curve carries its own wavelength grid in nm, and nothing is recomputed.
//
// Indices are 0-based in the vectors; the component and spectrum numbers
// the reports print are 1-based and kept where the report prints them.

#include <optional>
#include <string>
#include <vector>

#include "classify/spectral_class.h"
#include "textio/program.h"
#include "textio/report_lines.h"

namespace qf::results {

// The stages as their headings name them. A monofit run whose
// three-component search fails falls back and prints the VELA-MONO-II
// heading a second time; that second stage fits three components.
using StageKind = StageHeading;

// What a stage wrote after its heading: its tables (a reporting pass ran),
// the line saying its search found no solution, or nothing (the reports
// end first, or monofit fell back from it).
enum class Outcome { Nothing, Reported, Absent };

// A set of curves on one wavelength grid: values[s][j] belongs to curve s
// (a spectrum, or a component) at wavelengthsNm[j]. A row cut short by the
// end of a report may hold fewer values than the grid.
struct CurveSet {
    std::vector<double> wavelengthsNm;
    std::vector<std::vector<double>> values;
};

// What the first pass writes to the graph report.
struct FirstPass {
    // "EXPERIMENTAL SPECTRA, from F to Z Step h": the recorded grid.
    double firstNm = 0;
    double lastNm = 0;
    double stepNm = 0;
    CurveSet asRead;  // the spectra as read, on the recorded grid
    // "CORRECTION CURVE, from A to B, Step h": one factor per grid point
    // from A to B (the part of the grid inside 310-400 nm).
    bool hasCorrection = false;
    double correctionFromNm = 0;
    double correctionToNm = 0;
    CurveSet correction;  // one curve: the factors
    // "NORMALIZED CORRECTED EXPERIMENTAL SPECTRA, from 320 to 380":
    // fractions of the largest corrected value.
    bool hasNormalized = false;
    CurveSet normalized;
};

// Table 1: one row per component.
struct ComponentRow {
    int component = 0;  // 1-based, as printed
    double lNm = 0;     // L (nm): peak wavelength
    double dlNm = 0;    // DL: its uncertainty
    double vCm = 0;     // V (1/cm): wavenumber of the maximum
    double dvCm = 0;    // DV
};

// Table 2: one component in one spectrum.
struct Contribution {
    int component = 0;  // 1-based
    double si = 0;      // Si, %: contribution to the area
    double sd = 0;      // s.d., %
    double ai = 0;      // Ai: area under the component
};

// Table 2: the group of one spectrum.
struct SpectrumContributions {
    int spectrum = 0;               // 1-based, in the order of the series
    std::optional<double> cq;       // quencher concentration, M (quenfit only)
    double atotal = 0;              // Atotal = sum of the printed Ai
    std::vector<Contribution> components;
};

// Table 3 (quenfit): the Stern-Volmer line of one component.
struct SternVolmerRow {
    int component = 0;
    double ksv = 0;             // Ksv, 1/M
    double ksvSd = 0;           // s.d.
    double ksvRelPercent = 0;   // Ksv/Ksv(TRP), %
    double ksvRelSd = 0;        // s.d.
    double b = 0;               // Bi, the free term (ideally 1)
    double r = 0;               // R, correlation coefficient (no sign)
};

// "DATA for STERN-VOLMER PLOT": F0/F of each component over the quencher
// activity, measured points and the fitted lines.
struct SternVolmerPlot {
    bool present = false;
    std::vector<double> activities;               // M, one per spectrum
    std::vector<std::vector<double>> points;      // [component][spectrum]
    std::vector<std::vector<double>> lines;       // [component][spectrum]
};

// One component line of a summary block.
struct SummaryComponent {
    int component = 0;
    double lNm = 0;        // Lm, nm
    double lError = 0;     // +/- DL
    double sPercent = 0;   // S, % in the first spectrum
    double sSd = 0;        // +/- s.d.
    SpectralClass spectralClass = SpectralClass::A;  // CLASS
};

// One block of the summary report: a decomposition, or the line saying the
// search for `components` found no solution. The label of its first line
// is the method's, spelled as the run's program spells it.
struct SummaryBlock {
    SummaryMethod method = SummaryMethod::ComponentFit;
    int components = 0;         // N after the label; 2 for the phase-plane stage
    bool absent = false;        // the absence line instead of rows
    double discriminant = 0;    // DISCR.
    int nsc = 0;                // Nsc: smoothing cycles - 1
    std::vector<SummaryComponent> rows;
};

// One stage of the run, in the order the reports print their headings.
struct Stage {
    StageKind kind = StageKind::Tarno;
    int occurrence = 1;       // 2 for the VELA-MONO-II heading after the fall-back
    int components = 0;       // components of the tables read (0 when none)

    // Results report.
    Outcome outcome = Outcome::Nothing;
    std::vector<ComponentRow> table1;
    std::vector<SpectrumContributions> table2;
    std::vector<SternVolmerRow> table3;
    std::optional<double> discriminant;  // "GOODNESS-of-FIT CRITERIA, DISCRIMINANT:"

    // Graph report, on the 320-380 nm window unless said otherwise.
    CurveSet smoothed;                 // smoothed normalized spectra (fractions)
    CurveSet smoothedDifference;       // smoothed - experimental, %
    SternVolmerPlot sternVolmer;
    CurveSet residuals;                // theoretical - experimental, %
    CurveSet theoretical;              // 305-400 nm, fractions of the maximum
    CurveSet firstSpectrumComponents;  // 305-400 nm, one curve per component
    std::optional<double> graphDiscriminant;  // "DISCRIMINANT ="

    // Summary report.
    std::optional<SummaryBlock> summary;
};

// Where one report ends.
struct ReportEnd {
    std::string path;
    int lines = 0;            // lines read
    bool complete = false;    // the report ends where a finished run ends it
    std::string where;        // "Table 2 of VELA-II", "the legend", ...
};

struct RunReports {
    std::optional<Program> program;  // nothing when no line tells
    std::string title;
    std::string date;         // as printed, month-day-year

    // quenfit: the quencher lines of the results report.
    std::vector<double> concentrations;  // M, as read
    std::vector<double> activities;      // M, chemical activities

    FirstPass firstPass;
    std::vector<Stage> stages;

    bool summaryHeading = false;  // the column heading of the summary
    bool legend = false;          // the closing legend of the summary

    // A finished run ends all three reports where the program ends them;
    // a failed run leaves them cut. `complete` is false then, and the ends
    // say where each report stops.
    bool complete = false;
    ReportEnd result;
    ReportEnd graph;
    ReportEnd summary;
};

// The stage name a heading prints ("VELA-MONO-II") and the component count
// its heading stands for (TARNO fits two).
std::string stageName(StageKind kind);
int stageComponents(StageKind kind);
// The components a stage searches for: its heading's, and three for the
// VELA-MONO-II heading after monofit's fall-back.
int searchedComponents(const Stage& stage);
// The line a search for n components (1..3) writes when it finds no
// solution ("TWO-COMPONENT SOLUTION IS ABSENT!"), as the programs write it.
std::string absenceText(int components);
// The cells the summary lines of a block are written from: its first line's
// start, with the label as `program` spells it, and a component's cells.
SummaryStageCells stageCells(const SummaryBlock& block, Program program);
SummaryComponentCells componentCells(const SummaryComponent& row);
// How tables and file names tell the stages apart: the heading name, with
// " (2)" for a second heading of the same name ("VELA-MONO-II (2)"), and a
// file-name form of it ("vela-mono-ii", "vela-mono-ii-2").
std::string stageLabel(const Stage& stage);
std::string stageId(const Stage& stage);
// The program's name, "unknown" when no line of the reports tells.
std::string programText(std::optional<Program> program);

}  // namespace qf::results
