#pragma once
// The global fit on the report page: the "Global fit" section (verdict and
// its reason, per component count the positions, Ksv and shares with their
// 95 % intervals, and the model comparison) and its figure, which puts the
// fit's peak wavelengths with their intervals beside the legacy's L +/- DL
// for N = 1, 2, 3. Both are plain text made from a GlobalFit; the same fit
// gives the same bytes.

#include <string>
#include <vector>

#include "fit/global_fit.h"

namespace qf::fitpage {

// The legacy's answer for one component count: L and DL of each component
// (the summary's or Table 1's "L (nm)" and "DL"). Empty when the stage is
// missing.
struct LegacyStage {
    int components = 0;
    std::vector<double> peak;       // L, nm
    std::vector<double> peakError;  // DL, nm
};

// The figure as an <svg> element (for the page) or a standalone document
// (figures/global-fit.svg).
std::string positionsFigureSvgElement(const fit::GlobalFit& fit, const std::vector<LegacyStage>& legacy);
std::string positionsFigureSvgDocument(const fit::GlobalFit& fit, const std::vector<LegacyStage>& legacy);

// The <section id="global-fit"> of the page, with the figure inline; the
// figure carries its name, size and plot area as data attributes like the
// page's other figures.
std::string globalFitSectionHtml(const fit::GlobalFit& fit, const std::vector<LegacyStage>& legacy);

// The short verdict for an index table: "2", or "1 or 2" when the fit
// cannot tell.
std::string verdictShort(const fit::GlobalFit& fit);

// The figure's name on the page (data-figure, and "fig-" before it the
// element's id) and its file name below the page's figures folder.
inline constexpr const char* kFigureId = "global-fit";
inline constexpr const char* kFigureName = "global-fit.svg";

}  // namespace qf::fitpage
