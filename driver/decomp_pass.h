#pragma once
// One pass of a VELA stage, shared by both programs. A silent pass puts the
// working spectra on the wavenumber scale, resets the best criterion,
// searches, estimates the errors and computes the decomposition (residuals
// and RMS values for the smoothing cycle) without writing anything. The
// reporting pass keeps the wavenumber spectra and the best criterion of the
// pass before it, writes the smoothed-spectra report, searches again (the
// single-spectrum analyser does not), estimates the errors and writes every
// report of the stage.

#include "decomp/grid_search.h"
#include "decomp/decomp_state.h"
#include "decomp/decomp_variant.h"
#include "driver/stage_state.h"
#include "prep/fit_residuals.h"
#include "prep/spectra.h"
#include "quench/quencher.h"
#include "textio/report_writer.h"

namespace qf {

// The parts of a run that a VELA pass reads and writes.
struct VelaRun {
    const VelaVariant& variant;
    Spectra& spectra;
    const QuencherSeries* quencher;  // nullptr for a single spectrum
    StageState& stage;
    FitResiduals& fit;
    VelaBest& vela;
    Reports& reports;
};

enum class PassKind { Silent, Reporting };

// Runs one pass for N = run.stage.components() components. Returns Absent when
// the search keeps no solution; nothing is written then (see writeAbsence).
SearchResult runVelaPass(VelaRun& run, PassKind kind);

// The absence lines of stage n in the results and summary reports.
void writeAbsence(Reports& reports, int n);

// After a smoothing cycle of the three-component stage whose best third
// position is set, the three-component search starts again at its coarse step.
void resetThreeCompStep(StageState& stage, const VelaBest& vela);

// "VELA-I", "VELA-II", "VELA-III": names a stage in failure messages.
const char* velaStageName(int n);

}  // namespace qf
