#include "figures/svg_plot.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

#include "figures/number_text.h"
#include "figures/ticks.h"
#include "results/tables.h"

namespace qf::figures {

namespace {

constexpr double kFontSize = 12;
constexpr double kCharWidth = 6.8;  // a generous average for 12 px sans-serif
constexpr double kLegendRow = 18;
constexpr double kLegendSample = 30;
constexpr double kTickLength = 5;

// Coordinates to a tenth of a pixel: finer than any screen or print shows.
std::string num(double v) { return formatShort(v, 1); }

double textWidth(const std::string& text) {
    // Count characters, not bytes: a UTF-8 sequence is one glyph.
    std::size_t glyphs = 0;
    for (unsigned char c : text) {
        if ((c & 0xC0) != 0x80) ++glyphs;
    }
    return static_cast<double>(glyphs) * kCharWidth;
}

struct Range {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    void add(double v) {
        if (!std::isfinite(v)) return;
        low = std::min(low, v);
        high = std::max(high, v);
    }
    bool empty() const { return low > high; }
};

double errorAt(const std::vector<double>& errors, std::size_t i) {
    return i < errors.size() && std::isfinite(errors[i]) ? std::fabs(errors[i]) : 0.0;
}

// The scale of one axis: numeric 1-2-5 ticks around the data, or the named
// categories with half a slot of room at each end.
TickScale axisScale(const Axis& axis, Range range, int maxIntervals) {
    for (double v : axis.include) range.add(v);
    if (axis.categories.empty()) {
        if (range.empty()) return chooseTicks(0, 1, maxIntervals);
        return chooseTicks(range.low, range.high, maxIntervals);
    }
    TickScale scale;
    for (const auto& [value, name] : axis.categories) {
        range.add(value - 0.5);
        range.add(value + 0.5);
        scale.ticks.push_back(value);
        scale.labels.push_back(name);
    }
    scale.low = range.low;
    scale.high = range.high;
    scale.step = 1;
    return scale;
}

struct Frame {
    PlotLayout layout;
    TickScale xs;
    TickScale ys;
    std::vector<const Series*> legend;
    double x(double v) const {
        return layout.areaX + (v - xs.low) / (xs.high - xs.low) * layout.areaWidth;
    }
    double y(double v) const {
        return layout.areaY + layout.areaHeight - (v - ys.low) / (ys.high - ys.low) * layout.areaHeight;
    }
};

Frame frameOf(const Plot& plot) {
    Range xr;
    Range yr;
    for (const Series& s : plot.series) {
        const std::size_t n = std::min(s.x.size(), s.y.size());
        for (std::size_t i = 0; i < n; ++i) {
            if (!std::isfinite(s.x[i]) || !std::isfinite(s.y[i])) continue;
            xr.add(s.x[i] - errorAt(s.xError, i));
            xr.add(s.x[i] + errorAt(s.xError, i));
            yr.add(s.y[i] - errorAt(s.yError, i));
            yr.add(s.y[i] + errorAt(s.yError, i));
        }
    }
    for (const Mark& m : plot.marks) xr.add(m.x);
    for (const Band& b : plot.bands) {
        xr.add(b.from);
        xr.add(b.to);
    }
    for (double r : plot.horizontalRules) yr.add(r);

    Frame f;
    f.xs = axisScale(plot.xAxis, xr, 8);
    f.ys = axisScale(plot.yAxis, yr, 6);
    for (const Series& s : plot.series) {
        if (!s.label.empty()) f.legend.push_back(&s);
    }

    double yLabelWidth = 0;
    for (const std::string& label : f.ys.labels) yLabelWidth = std::max(yLabelWidth, textWidth(label));
    double legendWidth = 0;
    for (const Series* s : f.legend) legendWidth = std::max(legendWidth, textWidth(s->label));
    if (!f.legend.empty()) legendWidth += kLegendSample + 26;

    const double top = plot.title.empty() ? 14 : 32;
    const double left = 30 + yLabelWidth + kTickLength + 4;
    const double bottom = 46;
    const double right = f.legend.empty() ? 20 : legendWidth + 10;
    f.layout.areaX = left;
    f.layout.areaY = top;
    f.layout.areaWidth = plot.plotWidth;
    f.layout.areaHeight = plot.plotHeight;
    f.layout.width = std::ceil(left + plot.plotWidth + right);
    const double legendHeight = static_cast<double>(f.legend.size()) * kLegendRow + 8;
    f.layout.height = std::ceil(top + std::max(plot.plotHeight, legendHeight) + bottom);
    return f;
}

std::string strokeAttributes(const Style& style, double width) {
    std::string a = " stroke=\"" + style.colour + "\" stroke-width=\"" + num(width) + "\"";
    return a;
}

std::string dashAttribute(const Style& style) {
    return style.dash.empty() ? "" : " stroke-dasharray=\"" + style.dash + "\"";
}

// The paint of a style's markers, for a group that holds them.
std::string markerPaint(const Style& style) {
    if (style.marker == Marker::Cross || style.marker == Marker::Plus) {
        return " fill=\"none\"" + strokeAttributes(style, 1.6);
    }
    return " fill=\"" + (style.filled ? style.colour : std::string("#ffffff")) + "\"" + strokeAttributes(style, 1.2);
}

// The shape of one marker centred at (cx, cy), painted by its group.
void appendMarker(std::string& out, const Style& style, double cx, double cy) {
    const double r = style.markerSize;
    auto pt = [](double x, double y) { return num(x) + "," + num(y); };
    switch (style.marker) {
        case Marker::None:
            return;
        case Marker::Circle:
            out += "<circle cx=\"" + num(cx) + "\" cy=\"" + num(cy) + "\" r=\"" + num(r) + "\"/>";
            break;
        case Marker::Square:
            out += "<rect x=\"" + num(cx - r) + "\" y=\"" + num(cy - r) + "\" width=\"" + num(2 * r) +
                   "\" height=\"" + num(2 * r) + "\"/>";
            break;
        case Marker::TriangleUp:
            out += "<polygon points=\"" + pt(cx, cy - r) + " " + pt(cx + r, cy + r) + " " + pt(cx - r, cy + r) + "\"/>";
            break;
        case Marker::TriangleDown:
            out += "<polygon points=\"" + pt(cx, cy + r) + " " + pt(cx + r, cy - r) + " " + pt(cx - r, cy - r) + "\"/>";
            break;
        case Marker::Diamond:
            out += "<polygon points=\"" + pt(cx, cy - r) + " " + pt(cx + r, cy) + " " + pt(cx, cy + r) + " " +
                   pt(cx - r, cy) + "\"/>";
            break;
        case Marker::Cross:
            out += "<path d=\"M" + pt(cx - r, cy - r) + "L" + pt(cx + r, cy + r) + "M" + pt(cx - r, cy + r) + "L" +
                   pt(cx + r, cy - r) + "\"/>";
            break;
        case Marker::Plus:
            out += "<path d=\"M" + pt(cx - r, cy) + "L" + pt(cx + r, cy) + "M" + pt(cx, cy - r) + "L" +
                   pt(cx, cy + r) + "\"/>";
            break;
    }
}

void appendLine(std::string& out, double x1, double y1, double x2, double y2, const std::string& attributes) {
    out += "<line x1=\"" + num(x1) + "\" y1=\"" + num(y1) + "\" x2=\"" + num(x2) + "\" y2=\"" + num(y2) + "\"" +
           attributes + "/>";
}

void appendText(std::string& out, double x, double y, const std::string& anchor, const std::string& text,
                const std::string& extra = "") {
    out += "<text x=\"" + num(x) + "\" y=\"" + num(y) + "\"";
    if (anchor != "start") out += " text-anchor=\"" + anchor + "\"";
    out += extra + ">" + escapeXml(text) + "</text>";
}

void appendSeries(std::string& out, const Frame& f, const Series& s) {
    const std::size_t n = std::min(s.x.size(), s.y.size());
    out += "<g class=\"series\">";
    // Error bars first, so markers sit on top of them.
    const std::string barPaint = strokeAttributes(s.style, 1);
    for (std::size_t i = 0; i < n; ++i) {
        if (!std::isfinite(s.x[i]) || !std::isfinite(s.y[i])) continue;
        const double cx = f.x(s.x[i]);
        const double cy = f.y(s.y[i]);
        const double ex = errorAt(s.xError, i);
        const double ey = errorAt(s.yError, i);
        if (ex > 0) {
            const double a = f.x(s.x[i] - ex);
            const double b = f.x(s.x[i] + ex);
            appendLine(out, a, cy, b, cy, barPaint);
            appendLine(out, a, cy - 4, a, cy + 4, barPaint);
            appendLine(out, b, cy - 4, b, cy + 4, barPaint);
        }
        if (ey > 0) {
            const double a = f.y(s.y[i] - ey);
            const double b = f.y(s.y[i] + ey);
            appendLine(out, cx, a, cx, b, barPaint);
            appendLine(out, cx - 4, a, cx + 4, a, barPaint);
            appendLine(out, cx - 4, b, cx + 4, b, barPaint);
        }
    }
    if (s.line) {
        std::string points;
        auto flush = [&]() {
            if (points.find(' ') != std::string::npos) {
                out += "<polyline points=\"" + points + "\" fill=\"none\"" + strokeAttributes(s.style, s.style.lineWidth) +
                       dashAttribute(s.style) + " stroke-linejoin=\"round\"/>";
            }
            points.clear();
        };
        for (std::size_t i = 0; i < n; ++i) {
            if (!std::isfinite(s.x[i]) || !std::isfinite(s.y[i])) {
                flush();
                continue;
            }
            if (!points.empty()) points += ' ';
            points += num(f.x(s.x[i])) + "," + num(f.y(s.y[i]));
        }
        flush();
    }
    if (s.markers && s.style.marker != Marker::None) {
        out += "<g" + markerPaint(s.style) + ">";
        for (std::size_t i = 0; i < n; ++i) {
            if (!std::isfinite(s.x[i]) || !std::isfinite(s.y[i])) continue;
            appendMarker(out, s.style, f.x(s.x[i]), f.y(s.y[i]));
        }
        out += "</g>";
    }
    out += "</g>\n";
}

}  // namespace

std::string escapeXml(const std::string& raw) {
    // Any byte that is not UTF-8 (a title in an old code page) becomes
    // U+FFFD first, so the file stays valid XML.
    const std::string text = results::validUtf8(raw);
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default:
                // Control characters are not allowed in XML 1.0 text.
                out += c < 0x20 && c != '\t' && c != '\n' ? ' ' : ch;
        }
    }
    return out;
}

PlotLayout layoutOf(const Plot& plot) { return frameOf(plot).layout; }

std::string svgElement(const Plot& plot) {
    const Frame f = frameOf(plot);
    const PlotLayout& L = f.layout;
    const double left = L.areaX;
    const double right = L.areaX + L.areaWidth;
    const double top = L.areaY;
    const double bottom = L.areaY + L.areaHeight;

    std::string out;
    out.reserve(4096);
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(L.width) + "\" height=\"" + num(L.height) +
           "\" viewBox=\"0 0 " + num(L.width) + " " + num(L.height) +
           "\" font-family=\"sans-serif\" font-size=\"" + num(kFontSize) + "\" role=\"img\">\n";
    out += "<title>" + escapeXml(plot.title) + "</title>\n";
    out += "<rect width=\"" + num(L.width) + "\" height=\"" + num(L.height) + "\" fill=\"#ffffff\"/>\n";
    out += "<rect class=\"plot-area\" x=\"" + num(left) + "\" y=\"" + num(top) + "\" width=\"" + num(L.areaWidth) +
           "\" height=\"" + num(L.areaHeight) + "\" fill=\"#ffffff\"/>\n";
    if (!plot.title.empty()) appendText(out, left, 20, "start", plot.title, " font-size=\"13\" font-weight=\"bold\"");
    out += "\n";

    for (const Band& b : plot.bands) {
        const double a = f.x(std::min(b.from, b.to));
        const double c = f.x(std::max(b.from, b.to));
        out += "<rect x=\"" + num(a) + "\" y=\"" + num(top) + "\" width=\"" + num(c - a) + "\" height=\"" +
               num(L.areaHeight) + "\" fill=\"#ececec\"/>";
        if (!b.label.empty()) {
            appendText(out, a + 3, bottom - 5, "start", b.label, " fill=\"#555555\" font-size=\"10\"");
        }
        out += "\n";
    }
    for (double r : plot.horizontalRules) {
        appendLine(out, left, f.y(r), right, f.y(r), " stroke=\"#c4c4c4\" stroke-width=\"1\"");
        out += "\n";
    }

    // Axes: a frame round the plot area, ticks pointing out, labels.
    out += "<g class=\"axes\" fill=\"#000000\">";
    out += "<rect x=\"" + num(left) + "\" y=\"" + num(top) + "\" width=\"" + num(L.areaWidth) + "\" height=\"" +
           num(L.areaHeight) + "\" fill=\"none\" stroke=\"#000000\" stroke-width=\"1\"/>";
    for (std::size_t i = 0; i < f.xs.ticks.size(); ++i) {
        const double x = f.x(f.xs.ticks[i]);
        appendLine(out, x, bottom, x, bottom + kTickLength, " stroke=\"#000000\" stroke-width=\"1\"");
        appendText(out, x, bottom + kTickLength + 13, "middle", f.xs.labels[i]);
    }
    for (std::size_t i = 0; i < f.ys.ticks.size(); ++i) {
        const double y = f.y(f.ys.ticks[i]);
        appendLine(out, left - kTickLength, y, left, y, " stroke=\"#000000\" stroke-width=\"1\"");
        appendText(out, left - kTickLength - 3, y + 4, "end", f.ys.labels[i]);
    }
    appendText(out, left + L.areaWidth / 2, bottom + 38, "middle", plot.xAxis.label);
    const double yLabelX = 16;
    const double yLabelY = top + L.areaHeight / 2;
    appendText(out, yLabelX, yLabelY, "middle", plot.yAxis.label,
               " transform=\"rotate(-90 " + num(yLabelX) + " " + num(yLabelY) + ")\"");
    out += "</g>\n";

    for (const Series& s : plot.series) appendSeries(out, f, s);

    if (!plot.marks.empty()) out += "<g class=\"marks\">";
    // Labels of marks closer than their width go a row lower, so that the
    // positions of close components stay readable.
    std::vector<std::size_t> order(plot.marks.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return plot.marks[a].x < plot.marks[b].x; });
    std::vector<double> labelRow(plot.marks.size(), 0);
    std::vector<double> rowEnds;  // right end of the last label in each row
    for (std::size_t i : order) {
        const Mark& m = plot.marks[i];
        if (m.label.empty()) continue;
        const double start = f.x(m.x) + 2;
        std::size_t row = 0;
        while (row < rowEnds.size() && start < rowEnds[row] + 3) ++row;
        if (row == rowEnds.size()) rowEnds.push_back(0);
        rowEnds[row] = start + textWidth(m.label) * 11.0 / 12.0;
        labelRow[i] = static_cast<double>(row);
    }
    for (std::size_t i = 0; i < plot.marks.size(); ++i) {
        const Mark& m = plot.marks[i];
        const double x = f.x(m.x);
        appendLine(out, x, top, x, bottom, strokeAttributes(m.style, 1) + dashAttribute(m.style));
        if (!m.label.empty()) {
            appendText(out, x + 2, top + 12 + 12 * labelRow[i], "start", m.label, " font-size=\"11\"");
        }
    }
    if (!plot.marks.empty()) out += "</g>\n";

    if (!f.legend.empty()) {
        out += "<g class=\"legend\">";
        const double x0 = right + 14;
        double y = top + 10;
        for (const Series* s : f.legend) {
            if (s->line) {
                appendLine(out, x0, y, x0 + kLegendSample, y,
                           strokeAttributes(s->style, s->style.lineWidth) + dashAttribute(s->style));
            }
            if (s->markers && s->style.marker != Marker::None) {
                out += "<g" + markerPaint(s->style) + ">";
                appendMarker(out, s->style, x0 + kLegendSample / 2, y);
                out += "</g>";
            }
            appendText(out, x0 + kLegendSample + 6, y + 4, "start", s->label);
            y += kLegendRow;
        }
        out += "</g>\n";
    }
    out += "</svg>";
    return out;
}

std::string svgDocument(const Plot& plot) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + svgElement(plot) + "\n";
}

}  // namespace qf::figures
