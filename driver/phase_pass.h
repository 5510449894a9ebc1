#pragma once
// One pass of the phase-plane stage: the position search, the contributions
// and fit quality, and in the reporting pass every report line of the stage.

#include "phase/phase_state.h"
#include "prep/fit_residuals.h"
#include "prep/spectra.h"
#include "quench/quencher.h"
#include "textio/report_writer.h"

namespace qf {

// How a pass computes the positions and the lever rule: Fast (band values
// kept per trial position, reference points and spectra on `threads`
// threads) or Direct (every value straight from the band model, one thread),
// which is kept as the reference the fast pass must match bit for bit.
enum class TarnoMethod { Fast, Direct };

struct TarnoPassContext {
    const Spectra& spectra;
    const QuencherSeries& quencher;
    FitResiduals& fit;        // residuals, fitRms, tarnoMeanR; smoothingRms in the reporting pass
    int smoothingCycles;  // for the summary row
    TarnoState& tarno;
    Reports* reports;  // nullptr: a silent pass
    int threads;
    TarnoMethod method = TarnoMethod::Fast;
};

// A silent pass first rescales the working spectra to the wavenumber scale;
// the reporting pass keeps the wavenumber-scale spectra of the pass before it.
void tarnoPass(const TarnoPassContext& pass);

// Checks the capacities of the stage before its first pass: at least 3 and
// at most 30 spectra, at most 100 window points, a quencher value per spectrum.
void requireTarnoSeries(const Spectra& spectra, const QuencherSeries& quencher);

}  // namespace qf
