#include "batch/index_figure.h"

#include <algorithm>
#include <array>
#include <map>

#include "figures/plot_style.h"
#include "figures/svg_plot.h"
#include "classify/spectral_class.h"
#include "textio/data_reader.h"
#include "textio/grid.h"

namespace qf::batch {

namespace {

figures::Style classStyle(std::size_t k) {
    figures::Style s = figures::paletteStyle(k);
    // Past the palette's end the hue repeats: open markers keep the classes apart.
    if (k >= figures::paletteSize()) s.filled = !s.filled;
    return s;
}

std::ptrdiff_t column(const std::vector<std::string>& heading, const char* name) {
    const auto it = std::find(heading.begin(), heading.end(), name);
    return it == heading.end() ? -1 : it - heading.begin();
}

}  // namespace

std::string componentPositionsSvg(const std::vector<std::vector<std::string>>& components) {
    if (components.size() < 2) return "";
    const std::vector<std::string>& heading = components.front();
    const std::ptrdiff_t cFile = column(heading, "file"), cStage = column(heading, "stage"),
                         cL = column(heading, "L_nm"), cDL = column(heading, "DL_nm"),
                         cClass = column(heading, "class");
    if (std::min({cFile, cStage, cL, cDL, cClass}) < 0) return "";
    const auto at = [](const std::vector<std::string>& row, std::ptrdiff_t c) -> std::string {
        return static_cast<std::size_t>(c) < row.size() ? row[static_cast<std::size_t>(c)] : "";
    };

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
    for (std::size_t i = 1; i < components.size(); ++i) {
        const std::vector<std::string>& row = components[i];
        double l = 0, dl = 0;
        if (!DataReader::parseNumber(at(row, cL), l)) continue;  // a stage without positions
        if (!DataReader::parseNumber(at(row, cDL), dl)) dl = 0;
        const std::optional<SpectralClass> cls = spectralClassNamed(at(row, cClass));
        if (!cls) continue;
        const std::string name = at(row, cFile) + ": " + at(row, cStage);
        auto [it, added] = rowOf.emplace(name, rowNames.size());
        if (added) rowNames.push_back(name);
        points.emplace_back(it->second, l, dl, static_cast<std::size_t>(*cls));
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
