#pragma once
// Runs of the component fits built in memory from known log-normal bands:
// the working spectra are the bands on the wavelength scale, normalized to
// 10000 as whole numbers, quenched along Stern-Volmer lines.

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "band_series.h"
#include "driver/run_state.h"
#include "textio/fpcheck.h"
#include "textio/rounding.h"

namespace qf::testing {

// Fills the window spectra of `run` from the bands; one spectrum per
// concentration (type 1 quencher: activity = concentration).
inline void fillSpectra(RunState& run, const std::vector<Band>& bands,
                        const std::vector<double>& concentrations, double step) {
    run.spectra = bandSpectra(bands, concentrations, step);
}

inline std::unique_ptr<RunState> seriesRun(const std::vector<Band>& bands,
                                           const std::vector<double>& concentrations,
                                           double step = 1.0) {
    auto run = std::make_unique<RunState>();
    run->program = Program::Quenfit;
    run->reports.result.openInMemory("report file");
    run->reports.graph.openInMemory("graph file");
    run->reports.summary.openInMemory("summary file");
    run->quencher.type = 1;
    run->quencher.concentration = concentrations;
    run->quencher.activity = concentrations;
    run->quencher.ksvTrp = 16.8;
    run->stage.enterStage(Stage::OneComponent);
    fillSpectra(*run, bands, concentrations, step);
    fp::clear();
    return run;
}

inline std::unique_ptr<RunState> spectrumRun(const std::vector<Band>& bands, double step = 1.0) {
    auto run = seriesRun(bands, {0.0}, step);
    run->program = Program::Monofit;
    run->stage = StageState(Program::Monofit);
    run->quencher = QuencherSeries{};
    return run;
}

inline std::vector<double> tenConcentrations() {
    return {0.0, 0.05, 0.1, 0.15, 0.2, 0.25, 0.3, 0.35, 0.4, 0.45};
}

}  // namespace qf::testing
