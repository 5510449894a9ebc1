#include "figures/report_figures.h"

#include <algorithm>
#include <cstddef>

#include "figures/number_text.h"
#include "results/tables.h"
#include "textio/grid.h"

namespace qf::figures {

namespace {

using results::CurveSet;
using results::RunReports;
using results::Stage;

const char* const kPlusMinus = "\u00b1";

std::string num(double v) { return formatShort(v, 4); }

}  // namespace

std::string fittedWindowText() { return num(kWindowFirstNm) + "-" + num(kWindowLastNm) + " nm"; }

namespace {

// Spectra of a series in greys from black (the first, unquenched spectrum)
// to light grey (the last), so the order of the series reads in any print.
Style seriesStyle(std::size_t index, std::size_t count) {
    Style style;
    const double level = count <= 1 ? 0.0 : 0.62 * static_cast<double>(index) / static_cast<double>(count - 1);
    style.colour = greyColour(level);
    style.lineWidth = 1.2;
    style.marker = Marker::Circle;
    style.filled = false;
    style.markerSize = 2;
    return style;
}

// One series per curve of the set; only the first and the last get a legend
// entry ("spectrum 1", "spectrum 10"), with the quencher concentration where
// the run has one.
void addCurves(Plot& plot, const CurveSet& curves, const RunReports& run, bool markers) {
    const std::size_t count = curves.values.size();
    for (std::size_t s = 0; s < count; ++s) {
        Series series;
        series.x = curves.wavelengthsNm;
        series.y = curves.values[s];
        series.x.resize(std::min(series.x.size(), series.y.size()));
        series.style = seriesStyle(s, count);
        series.line = !markers;
        series.markers = markers;
        if (s == 0 || s + 1 == count) {
            series.label = count == 1 ? "spectrum" : "spectrum " + std::to_string(s + 1);
            if (count > 1 && s < run.concentrations.size()) {
                series.label += " ([Q] = " + num(run.concentrations[s]) + " M)";
            }
        }
        plot.series.push_back(std::move(series));
    }
}

bool hasPoints(const Plot& plot) {
    for (const Series& s : plot.series) {
        if (!s.x.empty() && !s.y.empty()) return true;
    }
    return false;
}

std::string className(const Stage& stage, int component) {
    if (!stage.summary) return "";
    for (const auto& row : stage.summary->rows) {
        if (row.component == component) return std::string(spectralClassName(row.spectralClass));
    }
    return "";
}

std::string stageTitle(const Stage& stage) { return results::stageLabel(stage); }

// A copy of the curves times `factor`.
std::vector<double> scaled(const std::vector<double>& values, double factor) {
    std::vector<double> out;
    out.reserve(values.size());
    for (double v : values) out.push_back(v * factor);
    return out;
}

RunFigure decomposition(const RunReports& run, const Stage& stage) {
    RunFigure f;
    f.stage = results::stageId(stage);
    f.kind = "decomposition";
    const double scale = results::fittedScale(stage);
    f.caption = "All curves are fractions of the largest measured value in the window, the scale the residuals "
                "are per cent of: measured spectra (open points), fitted spectra (grey lines) and the components "
                "of the first spectrum (the numbered lines mark their positions).";
    if (stage.kind == results::StageKind::Tarno) {
        f.caption += " The fitted spectra are the graph report's theoretical spectra scaled to the same largest "
                     "value in the window, as the stage scales them for its residuals (factor " +
                     formatShort(scale, 4) + ").";
    } else if (scale != 1.0) {
        f.caption += " The graph report gives the fitted spectra as fractions of the largest smoothed value; "
                     "here they are multiplied by it (" + formatShort(scale, 4) + ").";
    }
    f.caption += " Filled points: values a smoothing cycle moved, where the fit saw them. The shaded band is the "
                 "fitted window, " + fittedWindowText() + ".";
    Plot& p = f.plot;
    p.title = stageTitle(stage) + ": decomposition";
    p.xAxis.label = "wavelength (nm)";
    p.yAxis.label = "intensity (fraction of measured maximum)";
    p.yAxis.include = {0};
    p.bands.push_back({kWindowFirstNm, kWindowLastNm, "fitted window"});

    const CurveSet measured = results::measuredSpectra(run, stage);
    for (std::size_t s = 0; s < measured.values.size(); ++s) {
        Series series;
        series.x = measured.wavelengthsNm;
        series.y = measured.values[s];
        series.x.resize(std::min(series.x.size(), series.y.size()));
        series.style.colour = "#555555";
        series.style.marker = Marker::Circle;
        series.style.filled = false;
        series.style.markerSize = 1.8;
        series.line = false;
        series.markers = true;
        if (s == 0) {
            series.label = measured.values.size() == 1 ? "measured"
                                                        : "measured (" + std::to_string(measured.values.size()) +
                                                              " spectra)";
        }
        p.series.push_back(std::move(series));
    }
    // The points the smoothing cycles moved, at the value the fit worked on.
    Series moved;
    moved.style.colour = "#c0392b";
    moved.style.marker = Marker::TriangleUp;
    moved.style.filled = true;
    moved.style.markerSize = 2.4;
    moved.line = false;
    moved.markers = true;
    const CurveSet& smoothed = stage.smoothed;
    for (std::size_t s = 0; s < smoothed.values.size(); ++s) {
        for (std::size_t j = 0; j < smoothed.values[s].size() && j < smoothed.wavelengthsNm.size(); ++j) {
            if (!results::movedBySmoothing(stage, s, j)) continue;
            moved.x.push_back(smoothed.wavelengthsNm[j]);
            moved.y.push_back(smoothed.values[s][j]);
        }
    }
    if (!moved.x.empty()) {
        moved.label = "moved by smoothing (" + std::to_string(moved.x.size()) + " points)";
        p.series.push_back(std::move(moved));
    }
    const CurveSet& fitted = stage.theoretical;
    for (std::size_t s = 0; s < fitted.values.size(); ++s) {
        Series series;
        series.x = fitted.wavelengthsNm;
        series.y = scaled(fitted.values[s], scale);
        series.x.resize(std::min(series.x.size(), series.y.size()));
        // A broad light line under the components: the sum they make.
        series.style.colour = "#a8a8a8";
        series.style.lineWidth = 3;
        if (s == 0) series.label = "fitted sum";
        p.series.push_back(std::move(series));
    }
    const CurveSet& parts = stage.firstSpectrumComponents;
    for (std::size_t k = 0; k < parts.values.size(); ++k) {
        const int component = static_cast<int>(k) + 1;
        Series series;
        series.x = parts.wavelengthsNm;
        series.y = scaled(parts.values[k], scale);
        series.x.resize(std::min(series.x.size(), series.y.size()));
        series.style = componentStyle(component);
        series.label = "comp. " + std::to_string(component);
        if (k < stage.table1.size()) {
            const auto& row = stage.table1[k];
            series.label += ": " + num(row.lNm) + " " + kPlusMinus + " " + num(row.dlNm) + " nm";
            const std::string cls = className(stage, component);
            if (!cls.empty()) series.label += ", " + cls;
            p.marks.push_back({row.lNm, std::to_string(component), componentStyle(component)});
        }
        p.series.push_back(std::move(series));
    }
    return f;
}

RunFigure residuals(const RunReports& run, const Stage& stage) {
    RunFigure f;
    f.stage = results::stageId(stage);
    f.kind = "residuals";
    f.caption = "Fitted minus measured spectrum at every point of the fitted window, as the graph report gives "
                "it: in per cent of the largest measured value in the window " + fittedWindowText() +
                " (the measured spectra as read, not as the smoothing cycles moved them)";
    f.caption += stage.residuals.values.size() > 1 ? "; the first spectrum is black, later spectra lighter." : ".";
    Plot& p = f.plot;
    p.title = stageTitle(stage) + ": residuals";
    p.xAxis.label = "wavelength (nm)";
    p.yAxis.label = "residual (% of maximum)";
    p.horizontalRules = {0};
    p.plotHeight = 200;
    addCurves(p, stage.residuals, run, false);
    return f;
}

// F0/F values over the quencher activities, as far as both go.
Series activitySeries(const std::vector<double>& activities, const std::vector<double>& values,
                      const Style& style) {
    Series series;
    const std::size_t n = std::min(activities.size(), values.size());
    series.x.assign(activities.begin(), activities.begin() + static_cast<std::ptrdiff_t>(n));
    series.y.assign(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(n));
    series.style = style;
    return series;
}

RunFigure sternVolmer(const Stage& stage) {
    RunFigure f;
    f.stage = results::stageId(stage);
    f.kind = "stern-volmer";
    f.caption = "F0/F of every component over the quencher activity: the points from the fitted amplitudes, "
                "the lines F0/F = Ksv [Q] + Bi.";
    Plot& p = f.plot;
    p.title = stageTitle(stage) + ": Stern-Volmer plot";
    p.xAxis.label = "quencher activity [Q] (M)";
    p.yAxis.label = "F0/F";
    p.xAxis.include = {0};
    p.yAxis.include = {0};
    const auto& sv = stage.sternVolmer;
    for (std::size_t k = 0; k < std::max(sv.points.size(), sv.lines.size()); ++k) {
        const int component = static_cast<int>(k) + 1;
        std::string label = "comp. " + std::to_string(component);
        for (const auto& row : stage.table3) {
            if (row.component == component) {
                label += ": Ksv " + num(row.ksv) + " " + kPlusMinus + " " + num(row.ksvSd) + " /M";
            }
        }
        if (k < sv.points.size()) {
            Series points = activitySeries(sv.activities, sv.points[k], componentStyle(component));
            points.line = false;
            points.markers = true;
            points.label = label;
            p.series.push_back(std::move(points));
        }
        if (k < sv.lines.size()) {
            Series line = activitySeries(sv.activities, sv.lines[k], componentStyle(component));
            line.style.lineWidth = 1.2;
            if (k >= sv.points.size()) line.label = label;
            p.series.push_back(std::move(line));
        }
    }
    return f;
}

}  // namespace

Style componentStyle(int component) {
    return paletteStyle(component > 0 ? static_cast<std::size_t>(component - 1) : 0);
}

std::vector<RunFigure> firstPassFigures(const RunReports& run) {
    std::vector<RunFigure> figures;
    RunFigure spectra;
    spectra.stage = "first-pass";
    spectra.kind = "spectra";
    spectra.caption = "The spectra as the data file holds them, before correction.";
    spectra.plot.title = "Spectra as read";
    spectra.plot.xAxis.label = "wavelength (nm)";
    spectra.plot.yAxis.label = "intensity (as recorded)";
    spectra.plot.yAxis.include = {0};
    addCurves(spectra.plot, run.firstPass.asRead, run, false);
    figures.push_back(std::move(spectra));

    RunFigure correction;
    correction.stage = "first-pass";
    correction.kind = "correction";
    correction.caption = "The factor each wavelength is multiplied by to correct for the instrument's "
                         "sensitivity.";
    correction.plot.title = "Correction curve";
    correction.plot.xAxis.label = "wavelength (nm)";
    correction.plot.yAxis.label = "correction factor";
    correction.plot.plotHeight = 200;
    for (const auto& values : run.firstPass.correction.values) {
        Series series;
        series.x = run.firstPass.correction.wavelengthsNm;
        series.y = values;
        series.x.resize(std::min(series.x.size(), series.y.size()));
        series.style = paletteStyle(0);
        correction.plot.series.push_back(std::move(series));
    }
    figures.push_back(std::move(correction));

    std::vector<RunFigure> drawn;
    for (RunFigure& f : figures) {
        f.id = f.stage + "-" + f.kind;
        if (hasPoints(f.plot)) drawn.push_back(std::move(f));
    }
    return drawn;
}

std::vector<RunFigure> stageFigures(const RunReports& run, const Stage& stage) {
    std::vector<RunFigure> figures;
    RunFigure d = decomposition(run, stage);
    // The measured points alone are no decomposition.
    if (!stage.theoretical.values.empty() || !stage.firstSpectrumComponents.values.empty()) {
        figures.push_back(std::move(d));
    }
    figures.push_back(residuals(run, stage));
    if (stage.sternVolmer.present) figures.push_back(sternVolmer(stage));

    std::vector<RunFigure> drawn;
    for (RunFigure& f : figures) {
        f.id = f.stage + "-" + f.kind;
        if (hasPoints(f.plot)) drawn.push_back(std::move(f));
    }
    return drawn;
}

}  // namespace qf::figures
