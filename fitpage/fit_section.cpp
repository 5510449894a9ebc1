#include "fitpage/fit_section.h"

#include <cmath>
#include <limits>

#include "figures/number_text.h"
#include "figures/plot_style.h"
#include "figures/svg_plot.h"

namespace qf::fitpage {

namespace {

using figures::escapeXml;

const double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string fixed(double v, int decimals) {
    return std::isfinite(v) ? figures::formatFixed(v, decimals) : std::string("&#8211;");
}

// "341.2 (340.8 to 341.6)"
std::string withInterval(const fit::Estimate& e, int decimals) {
    std::string out = fixed(e.value, decimals);
    if (std::isfinite(e.low) && std::isfinite(e.high)) {
        out += " <span class=\"interval\">(" + fixed(e.low, decimals) + " to " + fixed(e.high, decimals) + ")</span>";
    }
    return out;
}

figures::Plot positionsPlot(const fit::GlobalFit& fit, const std::vector<LegacyStage>& legacy) {
    figures::Plot plot;
    plot.title = "Peak positions with 95 % intervals";
    plot.xAxis.label = "peak wavelength L (nm)";
    plot.yAxis.label = "components";
    plot.xAxis.include = {320.0, 360.0};
    plot.yAxis.include = {0.5, 3.5};
    for (int n = 1; n <= 3; ++n) {
        const bool chosen = fit.chosen == n || (fit.chosen == 0 && (fit.undecidedLow == n || fit.undecidedLow + 1 == n));
        plot.yAxis.categories.push_back({static_cast<double>(n), "N = " + std::to_string(n) + (chosen ? " *" : "")});
    }
    // The fit: a marker at each peak, a bar from the low to the high end.
    figures::Series value, range;
    value.label = "global fit, peak";
    value.style = figures::paletteStyle(0);
    value.line = false;
    value.markers = true;
    range.label = "global fit, 95 % interval";
    range.style = figures::paletteStyle(0);
    for (const fit::ModelFit& m : fit.models) {
        // Each component on a line of its own, so that wide intervals of one
        // count do not hide each other.
        double y = m.components + 0.1;
        for (const fit::ComponentFit& c : m.component) {
            y += 0.1;
            value.x.push_back(c.peak.value);
            value.y.push_back(y);
            if (std::isfinite(c.peak.low) && std::isfinite(c.peak.high)) {
                range.x.insert(range.x.end(), {c.peak.low, c.peak.high, kNaN});
                range.y.insert(range.y.end(), {y, y, kNaN});
            }
        }
    }
    plot.series.push_back(range);
    plot.series.push_back(value);
    figures::Series old;
    old.label = "legacy, L \xC2\xB1 DL";
    old.style = figures::paletteStyle(1);
    old.line = false;
    old.markers = true;
    for (const LegacyStage& s : legacy) {
        for (std::size_t i = 0; i < s.peak.size(); ++i) {
            old.x.push_back(s.peak[i]);
            old.y.push_back(s.components - 0.12);
            old.xError.push_back(i < s.peakError.size() ? s.peakError[i] : 0.0);
        }
    }
    if (!old.x.empty()) plot.series.push_back(old);
    return plot;
}

std::string pText(const std::optional<double>& p) {
    if (!p) return "&#8211;";
    if (*p < 0.001) return "&lt; 0.001";
    return figures::formatFixed(*p, 3);
}

void componentTable(const fit::ModelFit& m, bool series, std::string& out) {
    out += "<h3>N = " + std::to_string(m.components) + " (" + fit::verdictText(m.verdict) + ")</h3>\n";
    out += "<table class=\"components\">\n<thead><tr><th>comp.</th><th>band maximum (nm)</th>"
           "<th>peak L (nm)</th>";
    if (series) out += "<th>Ksv (1/M)</th>";
    out += "<th>share at zero quencher (%)</th><th class=\"text\">class</th></tr></thead>\n<tbody>\n";
    bool anyAtLimit = false;
    for (std::size_t i = 0; i < m.component.size(); ++i) {
        const fit::ComponentFit& c = m.component[i];
        const bool atLimit = fit::atPositionLimit(c.position.value);
        anyAtLimit = anyAtLimit || atLimit;
        out += "<tr><td>" + std::to_string(i + 1) + "</td><td" + (atLimit ? " class=\"flag\"" : "") + ">" +
               withInterval(c.position, 2) + "</td><td>" + withInterval(c.peak, 2) + "</td>";
        if (series) out += "<td>" + (c.ksv ? withInterval(*c.ksv, 3) : std::string("&#8211;")) + "</td>";
        const std::string className(spectralClassName(c.spectralClass));
        out += "<td>" + withInterval(c.share, 1) + "</td><td class=\"text\">" + escapeXml(className) + "</td></tr>\n";
    }
    out += "</tbody>\n</table>\n";
    if (anyAtLimit) {
        // The fit keeps every band maximum within the positions it searches:
        // one found at an end is a bound, not an estimate.
        out += "<p class=\"limit\">Marked (bold, \"!\"): a band maximum at an end of the positions searched (" +
               fixed(fit::lowestPosition(), 0) + "-" + fixed(fit::highestPosition(), 0) +
               " nm): the band may lie beyond it, and its interval is cut there.</p>\n";
    }
}

// The opening of the page's <figure> with the data the page's figures carry
// for a browser to find and measure them: the name, the size and the plot
// area, as the SVG inside prints them.
std::string figureOpening(const figures::Plot& plot) {
    const figures::PlotLayout L = figures::layoutOf(plot);
    const auto n = [](double v) { return figures::formatShort(v, 1); };
    const std::string id = kFigureId;
    return "<figure id=\"fig-" + id + "\" data-figure=\"" + id + "\" data-width=\"" + n(L.width) +
           "\" data-height=\"" + n(L.height) + "\" data-area=\"" + n(L.areaX) + " " + n(L.areaY) + " " +
           n(L.areaWidth) + " " + n(L.areaHeight) + "\">";
}

}  // namespace

std::string positionsFigureSvgElement(const fit::GlobalFit& fit, const std::vector<LegacyStage>& legacy) {
    return figures::svgElement(positionsPlot(fit, legacy));
}

std::string positionsFigureSvgDocument(const fit::GlobalFit& fit, const std::vector<LegacyStage>& legacy) {
    return figures::svgDocument(positionsPlot(fit, legacy));
}

std::string verdictShort(const fit::GlobalFit& fit) {
    if (fit.chosen > 0) return std::to_string(fit.chosen);
    return std::to_string(fit.undecidedLow) + " or " + std::to_string(fit.undecidedLow + 1);
}

std::string globalFitSectionHtml(const fit::GlobalFit& fit, const std::vector<LegacyStage>& legacy) {
    const bool series = fit.program == Program::Quenfit;
    std::string out = "<section id=\"global-fit\">\n<h2>Global fit</h2>\n";
    out += "<p class=\"verdict\">";
    if (fit.chosen > 0) {
        out += "The data support <strong>" + std::to_string(fit.chosen) + "</strong> component" +
               (fit.chosen == 1 ? "" : "s") + ": ";
    } else {
        out += "Cannot tell between <strong>" + std::to_string(fit.undecidedLow) + "</strong> and <strong>" +
               std::to_string(fit.undecidedLow + 1) + "</strong> components: ";
    }
    out += escapeXml(fit.reason) + ".</p>\n";
    out += "<p>All spectra fitted at once with 1, 2 and 3 log-normal bands" +
           std::string(series ? ", each quenched along its own Stern-Volmer line" : "") +
           "; 95 % intervals from a parametric bootstrap under a noise model with an error shared by all "
           "spectra at one wavelength.</p>\n";
    const figures::Plot plot = positionsPlot(fit, legacy);
    out += figureOpening(plot) + figures::svgElement(plot) + "</figure>\n";
    for (const fit::ModelFit& m : fit.models) componentTable(m, series, out);
    out += "<h3>Component counts compared</h3>\n";
    out += "<table class=\"models\">\n<thead><tr><th>N</th><th>rss</th><th>dof</th><th>AICc</th><th>BIC</th>"
           "<th>Akaike weight</th><th>p (N vs N+1)</th><th class=\"text\">verdict</th></tr></thead>\n<tbody>\n";
    for (const fit::ModelFit& m : fit.models) {
        out += "<tr><td>" + std::to_string(m.components) + "</td><td>" + fixed(m.rss, 1) + "</td><td>" +
               std::to_string(m.dof) + "</td><td>" + fixed(m.aicc, 1) + "</td><td>" + fixed(m.bic, 1) +
               "</td><td>" + fixed(m.akaikeWeight, 3) + "</td><td>" +
               pText(m.pVsNext) +
               "</td><td class=\"text\">" + fit::verdictText(m.verdict) + "</td></tr>\n";
    }
    out += "</tbody>\n</table>\n</section>\n";
    return out;
}

}  // namespace qf::fitpage
