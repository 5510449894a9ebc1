#pragma once
// Runs of the component fits built in memory from known log-normal bands:
// the working spectra are the bands on the wavelength scale, normalized to
// 10000 as whole numbers, quenched along Stern-Volmer lines.

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "band/band.h"
#include "driver/run_state.h"
#include "textio/fpcheck.h"
#include "textio/rounding.h"

namespace qf::testing {

struct Band {
    double lambdaM;    // nm
    double amplitude;  // unquenched height on the wavenumber scale
    double ksv;        // 1/M
};

// Fills the window spectra of `run` from the bands; one spectrum per
// concentration (type 1 quencher: activity = concentration).
inline void fillSpectra(RunState& run, const std::vector<Band>& bands,
                        const std::vector<double>& concentrations, double step) {
    Spectra& s = run.spectra;
    s.nSpec = static_cast<int>(concentrations.size());
    s.step = step;
    s.nPoints = static_cast<int>(60.0 / step) + 1;
    s.workSpectra.resize(s.nSpec, s.nPoints);
    s.expSpectra.resize(s.nSpec, s.nPoints);
    Matrix raw(s.nSpec, s.nPoints);
    double g = 0.0;
    for (int i = 0; i < s.nSpec; ++i) {
        for (int j = 0; j < s.nPoints; ++j) {
            const double lambda = s.wavelength(j);
            double v = 0.0;
            for (const Band& b : bands) {
                const double a = b.amplitude / (1.0 + b.ksv * concentrations[static_cast<std::size_t>(i)]);
                v += a * lognormalShape(b.lambdaM, lambda);
            }
            const double r = 340.0 / lambda;
            raw(i, j) = v * r * r;
            if (raw(i, j) > g) {
                g = raw(i, j);
                s.lambdaMax = lambda;
            }
        }
    }
    s.spectrumMax = g;
    for (int i = 0; i < s.nSpec; ++i) {
        for (int j = 0; j < s.nPoints; ++j) {
            s.workSpectra(i, j) = fix(raw(i, j) * 10000.0 / g + 0.5);
            s.expSpectra(i, j) = s.workSpectra(i, j);
        }
    }
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
