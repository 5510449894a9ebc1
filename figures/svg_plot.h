#pragma once
// A small plot module that writes standalone SVG: one plot area with x and y
// axes (1-2-5 ticks, labels with units), data series drawn as polylines
// and/or markers with optional error bars, vertical marks, shaded x bands,
// horizontal reference lines and a legend at the right. Fonts are generic
// families and every number goes through figures/number_text, so the same
// plot gives the same bytes on every machine.
//
//   Plot plot;
//   plot.xAxis.label = "wavelength (nm)";
//   plot.yAxis.label = "intensity (fraction of maximum)";
//   Series s;  s.label = "spectrum 1";  s.x = {...};  s.y = {...};
//   s.style = paletteStyle(0);  plot.series.push_back(s);
//   std::string svg = svgDocument(plot);

#include <string>
#include <utility>
#include <vector>

#include "figures/plot_style.h"

namespace qf::figures {

struct Series {
    std::string label;  // legend text; empty leaves the series out of the legend
    std::vector<double> x;
    std::vector<double> y;
    // Half-widths of error bars, empty or one per point (L +/- DL is an
    // xError of DL).
    std::vector<double> xError;
    std::vector<double> yError;
    Style style;
    bool line = true;      // join the points (a non-finite point breaks the line)
    bool markers = false;  // draw the style's marker at every point
};

// A vertical line across the plot area at `x`, with a short label at its top.
struct Mark {
    double x = 0;
    std::string label;
    Style style;
};

// A shaded range of x (light grey), labelled at its top left.
struct Band {
    double from = 0;
    double to = 0;
    std::string label;
};

struct Axis {
    std::string label;  // with the unit: "wavelength (nm)"
    // Values the axis must reach besides the data (for example 0, or the
    // ends of a fixed window).
    std::vector<double> include;
    // Named positions instead of numeric ticks (for rows of a table plotted
    // as categories): the ticks sit at the values and carry the names.
    std::vector<std::pair<double, std::string>> categories;
};

struct Plot {
    std::string title;
    Axis xAxis;
    Axis yAxis;
    std::vector<Series> series;
    std::vector<Mark> marks;
    std::vector<Band> bands;
    std::vector<double> horizontalRules;  // thin grey lines at these y (0 for residuals)
    double plotWidth = 440;   // size of the data area in px; margins and legend add to it
    double plotHeight = 260;
};

// Where the parts of a rendered plot lie, in the SVG's own pixels.
struct PlotLayout {
    double width = 0;
    double height = 0;
    double areaX = 0;  // the plot area (inside the axes)
    double areaY = 0;
    double areaWidth = 0;
    double areaHeight = 0;
};

PlotLayout layoutOf(const Plot& plot);

// The <svg> element, for a page that embeds it.
std::string svgElement(const Plot& plot);
// A standalone SVG file: XML declaration, the element, a final newline.
std::string svgDocument(const Plot& plot);

// Text for XML character data and attribute values: markup characters as
// references, control characters as blanks, bytes that are not UTF-8 (a
// title typed in an old code page) as U+FFFD.
std::string escapeXml(const std::string& text);

}  // namespace qf::figures
