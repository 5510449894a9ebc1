#pragma once
// The description of a decomposition: peaks (Table 1), contributions and
// areas (Table 2), residuals with their root-mean-square values, the
// theoretical spectra on 305-400 nm and the components of the first one. The
// quantities are computed after every pass (the smoothing cycle reads the
// residuals); the lines are written by the reporting pass only.

#include <array>
#include <span>

#include "decomp/decomp_state.h"
#include "decomp/decomp_variant.h"
#include "prep/spectra.h"
#include "prep/fit_residuals.h"
#include "textio/report_blocks.h"
#include "textio/report_writer.h"

namespace qf {

inline constexpr int kTheoreticalPoints = 96;  // 305 .. 400 nm at 1 nm

struct Decomposition {
    int n = 0;
    int nSpec = 0;
    int nPoints = 0;
    Matrix contribution{kMaxComponents, kMaxVelaSpectra};  // "Si, %"
    Matrix printedArea{kMaxComponents, kMaxVelaSpectra};   // "Ai"
    ComponentValues peakNm{};               // "L (nm)"
    ComponentValues peakWavenumber{};       // "V (1/cm)"
    ComponentValues peakWavenumberError{};  // "DV"
    Matrix expResiduals;                    // % of 10000 against expSpectra
    // Component k of spectrum i at 305 + n nm, relative to spectrumMax.
    std::array<Matrix, kMaxComponents> theoreticalCurves;
};

// Computes the decomposition of the best solution for n components and
// leaves residuals, fitRms and expRms in `fit`.
Decomposition computeDecomposition(const VelaVariant& variant, const Spectra& spectra,
                                   const VelaBest& best, int n, FitResiduals& fit);

// The summary copies of the first spectrum.
void refreshSummaryCopies(const Decomposition& d, VelaBest& best);

// Results report: Tables 1 and 2. `concentration` is empty for a single spectrum.
void writeTable1(ReportWriter& result, const Decomposition& d, const VelaBest& best);
void writeTable2(ReportWriter& result, const Decomposition& d, const VelaBest& best,
                 std::span<const double> concentration);

// Graph-data report: residuals, theoretical spectra and components.
void writeFitCurves(ReportWriter& graph, const Decomposition& d, double step, bool mono);

}  // namespace qf
