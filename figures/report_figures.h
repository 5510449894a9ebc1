#pragma once
// The figures of one run, made from its reports as read back: the first pass
// (spectra as read, correction curve) and per stage the decomposition (the
// measured spectra as points and the fitted spectra as lines, all on the
// scale of the stage's residuals; the points the smoothing cycles moved; the
// components of the first spectrum with their positions and classes), the
// residuals and, for quenfit, the Stern-Volmer plot of every component.

#include <string>
#include <vector>

#include "figures/svg_plot.h"
#include "results/report_model.h"

namespace qf::figures {

struct RunFigure {
    std::string id;       // file name without ".svg": "<stage>-<kind>", e.g. "vela-ii-residuals"
    std::string stage;    // "first-pass" or the stage's id ("tarno", "vela-mono-ii-2")
    std::string kind;     // "spectra", "correction", "decomposition", "residuals", "stern-volmer"
    std::string caption;  // one sentence that says what is drawn
    Plot plot;
};

// Figures with no data to draw are left out.
// The fitted window as captions and notes name it: "320-380 nm".
std::string fittedWindowText();

std::vector<RunFigure> firstPassFigures(const results::RunReports& run);
std::vector<RunFigure> stageFigures(const results::RunReports& run, const results::Stage& stage);

// The style of component k (1-based) in every figure of a stage, so that a
// component keeps its look from the decomposition to the Stern-Volmer plot.
Style componentStyle(int component);

}  // namespace qf::figures
