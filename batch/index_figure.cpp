#include "batch/index_figure.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>

#include "figures/plot_style.h"
#include "figures/svg_plot.h"
#include "classify/spectral_class.h"
#include "textio/grid.h"

namespace qf::batch {

namespace {

figures::Style classStyle(std::size_t k) {
    figures::Style s = figures::paletteStyle(k);
    // Past the palette's end the hue repeats: open markers keep the classes apart.
    if (k >= figures::paletteSize()) s.filled = !s.filled;
    return s;
}

}  // namespace

std::string componentPositionsSvg(const text::CsvTable& components) {
    // Columns by name: a table without one of them is a failure naming it.
    const std::size_t cFile = components.column("file"), cStage = components.column("stage"),
                      cL = components.column("L_nm"), cDL = components.column("DL_nm"),
                      cClass = components.column("class");
    if (components.empty()) return "";

    figures::Plot plot;
    plot.title = "Component positions of every input and stage";
    plot.xAxis.label = "component position L (nm)";
    plot.yAxis.label = "data file: stage";
    // One series per spectral class, from blue to red, the wrong component last.
    std::vector<figures::Series> byClass(kSpectralClasses.size());
    for (std::size_t k = 0; k < kSpectralClasses.size(); ++k) {
        byClass[k].label = spectralClassName(kSpectralClasses[k]);
        byClass[k].style = classStyle(k);
        byClass[k].line = false;
        byClass[k].markers = true;
    }
    // Rows from the top in table order: the first input's first stage on top.
    std::vector<std::string> rowNames;
    std::map<std::string, std::size_t> rowOf;
    std::vector<std::tuple<std::size_t, double, double, std::size_t>> points;
    for (std::size_t i = 0; i < components.size(); ++i) {
        const std::optional<double> l = components.optionalNumber(i, cL);
        if (!l) continue;  // a stage without positions
        const double dl = components.optionalNumber(i, cDL).value_or(0.0);
        const std::optional<SpectralClass> cls = spectralClassNamed(components.text(i, cClass));
        if (!cls) continue;
        const std::string name = components.text(i, cFile) + ": " + components.text(i, cStage);
        auto [it, added] = rowOf.emplace(name, rowNames.size());
        if (added) rowNames.push_back(name);
        points.emplace_back(it->second, *l, dl, static_cast<std::size_t>(*cls));
    }
    if (points.empty()) return "";
    const double rows = static_cast<double>(rowNames.size());
    for (const auto& [r, l, dl, k] : points) {
        byClass[k].x.push_back(l);
        byClass[k].y.push_back(rows - static_cast<double>(r));
        byClass[k].xError.push_back(dl);
    }
    for (std::size_t r = 0; r < rowNames.size(); ++r) {
        plot.yAxis.categories.emplace_back(rows - static_cast<double>(r), rowNames[r]);
    }
    for (figures::Series& s : byClass) {
        if (!s.x.empty()) plot.series.push_back(std::move(s));
    }
    // The fitted window shaded, so that positions outside it stand out.
    plot.bands.push_back({kWindowFirstNm, kWindowLastNm, ""});
    plot.plotHeight = std::max(120.0, 16.0 * rows);
    return figures::svgElement(plot);
}

}  // namespace qf::batch
