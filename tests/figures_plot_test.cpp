// The plot module: number text, tick choice, the grey-print palette and the
// SVG it writes (well-formed, deterministic, points where the axes say).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>

#include "figures/number_text.h"
#include "figures/plot_style.h"
#include "figures/svg_plot.h"
#include "figures/ticks.h"
#include "figures_xml.h"

namespace qf::figures {
namespace {

TEST(NumberText, RoundsHalfAwayFromZeroWithFixedDecimals) {
    EXPECT_EQ(formatFixed(2.5, 0), "3");
    EXPECT_EQ(formatFixed(-2.5, 0), "-3");
    EXPECT_EQ(formatFixed(0.125, 2), "0.13");  // 0.125 is exact in binary
    EXPECT_EQ(formatFixed(0.05, 2), "0.05");
    EXPECT_EQ(formatFixed(3, 2), "3.00");
    EXPECT_EQ(formatFixed(1234567.891, 1), "1234567.9");
    // Values that round to zero carry no sign.
    EXPECT_EQ(formatFixed(-0.0001, 2), "0.00");
    EXPECT_EQ(formatFixed(-0.0, 0), "0");
    // A fault shows as such.
    EXPECT_EQ(formatFixed(std::nan(""), 2), "nan");
    EXPECT_EQ(formatFixed(-INFINITY, 2), "-inf");
}

TEST(NumberText, ShortFormDropsTrailingZeros) {
    EXPECT_EQ(formatShort(2.50, 2), "2.5");
    EXPECT_EQ(formatShort(3.0, 2), "3");
    EXPECT_EQ(formatShort(-0.004, 2), "0");
    EXPECT_EQ(formatShort(320, 2), "320");
    EXPECT_EQ(formatShort(0.1 + 0.2, 2), "0.3");
}

TEST(Ticks, ReadableStepsForTheRangesOfTheReports) {
    // The fitted window.
    TickScale window = chooseTicks(320, 380, 8);
    EXPECT_EQ(window.step, 10);
    EXPECT_EQ(window.labels.front(), "320");
    EXPECT_EQ(window.labels.back(), "380");
    // Quencher activities 0 .. 0.45 M: ticks are 0.1 apart and read so.
    TickScale activity = chooseTicks(0, 0.45, 6);
    ASSERT_EQ(activity.labels.size(), 6u);
    EXPECT_EQ(activity.labels[3], "0.3");
    EXPECT_EQ(activity.ticks[3], 0.3);  // 3 / 10, not 3 * 0.1
    EXPECT_EQ(activity.labels.back(), "0.5");
    // Residuals around zero: zero is a tick, written without a sign and
    // with the decimals of its neighbours.
    TickScale residuals = chooseTicks(-0.13, 0.26, 6);
    EXPECT_EQ(residuals.step, 0.1);
    const std::vector<std::string> expected = {"-0.2", "-0.1", "0.0", "0.1", "0.2", "0.3"};
    EXPECT_EQ(residuals.labels, expected);
    // Intensities as read.
    TickScale intensity = chooseTicks(369.7, 10000, 6);
    EXPECT_EQ(intensity.step, 2000);
    EXPECT_EQ(intensity.labels.front(), "0");
    EXPECT_EQ(intensity.labels.back(), "10000");
}

TEST(Ticks, DegenerateRangesStillGiveAnAxis) {
    for (auto [low, high] : {std::pair{0.0, 0.0}, {1.0, 1.0}, {-5.0, -5.0}, {NAN, 1.0}, {0.0, INFINITY},
                             {1000.001, 1000.001}, {-1e308, 1e308}}) {
        const TickScale s = chooseTicks(low, high, 6);
        ASSERT_GE(s.ticks.size(), 2u) << low << " " << high;
        EXPECT_LT(s.low, s.high);
        if (std::isfinite(low) && std::isfinite(high) && std::isfinite(high - low)) {
            EXPECT_LE(s.low, low);
            EXPECT_GE(s.high, high);
        }
    }
}

// Every range, however odd its ends: the ticks cover it, stay few, step by
// 1, 2 or 5 times a power of ten, and their labels are distinct and read
// back as the tick values.
TEST(Ticks, CoverAnyRangeWithFewDistinctOneTwoFiveTicks) {
    std::srand(7);
    for (int trial = 0; trial < 3000; ++trial) {
        const double scale = std::pow(10.0, std::rand() % 12 - 6);
        double a = (std::rand() / double(RAND_MAX) - 0.3) * scale;
        double b = a + (std::rand() / double(RAND_MAX)) * scale * std::pow(10.0, -(std::rand() % 4));
        const int maxIntervals = 2 + std::rand() % 8;
        const TickScale s = chooseTicks(a, b, maxIntervals);
        SCOPED_TRACE(::testing::Message() << a << " .. " << b << " max " << maxIntervals);
        ASSERT_GE(s.ticks.size(), 2u);
        EXPECT_LE(s.ticks.size() - 1, static_cast<std::size_t>(maxIntervals));
        EXPECT_LE(s.low, std::min(a, b));
        EXPECT_GE(s.high, std::max(a, b));
        const double e = std::floor(std::log10(s.step) + 1e-9);
        const double m = s.step / std::pow(10.0, e);
        EXPECT_TRUE(std::fabs(m - 1) < 1e-9 || std::fabs(m - 2) < 1e-9 || std::fabs(m - 5) < 1e-9) << s.step;
        std::set<std::string> distinct(s.labels.begin(), s.labels.end());
        EXPECT_EQ(distinct.size(), s.labels.size());
        for (std::size_t i = 0; i < s.ticks.size(); ++i) {
            EXPECT_NEAR(std::strtod(s.labels[i].c_str(), nullptr), s.ticks[i], s.step * 1e-6) << s.labels[i];
            EXPECT_NE(s.labels[i].rfind("-0", 0) == 0 && std::strtod(s.labels[i].c_str(), nullptr) == 0, true);
        }
    }
}

// In grey print only lightness, dash and marker are left. The first three
// styles (the components of a three-component fit) must print as clearly
// different greys; any two styles must differ in dash and in marker; every
// colour must stand out from white paper.
TEST(Palette, ReadsInGreyPrint) {
    ASSERT_GE(paletteSize(), 10u);  // one style for each spectral class
    for (std::size_t i = 0; i < paletteSize(); ++i) {
        const Style& a = paletteStyle(i);
        EXPECT_LE(greyLevel(a.colour), 0.7) << a.colour << " fades on white paper";
        for (std::size_t j = i + 1; j < paletteSize(); ++j) {
            const Style& b = paletteStyle(j);
            EXPECT_NE(a.dash, b.dash) << i << " and " << j << " share a dash pattern";
            EXPECT_TRUE(a.marker != b.marker || a.filled != b.filled) << i << " and " << j << " share a marker";
            if (j < 3) {
                EXPECT_GE(std::fabs(greyLevel(a.colour) - greyLevel(b.colour)), 0.25)
                    << i << " and " << j << " print as the same grey";
            }
        }
    }
    EXPECT_EQ(&paletteStyle(paletteSize()), &paletteStyle(0));
}

TEST(Palette, GreyLevelsOfColourText) {
    EXPECT_DOUBLE_EQ(greyLevel("#000000"), 0);
    EXPECT_DOUBLE_EQ(greyLevel("#FFFFFF"), 1);
    EXPECT_NEAR(greyLevel("#ff0000"), 0.299, 1e-12);
    EXPECT_EQ(greyColour(0.5), "#808080");
    EXPECT_NEAR(greyLevel(greyColour(0.3)), 0.3, 0.003);
    EXPECT_THROW(greyLevel("red"), std::invalid_argument);
    EXPECT_THROW(greyLevel("#12345g"), std::invalid_argument);
}

Plot samplePlot() {
    Plot plot;
    plot.title = "Fit <VELA-II> & \"residuals\"";
    plot.xAxis.label = "wavelength (nm)";
    plot.yAxis.label = "F0/F";
    Series measured;
    measured.label = "measured";
    measured.x = {320, 330, NAN, 350, 360};
    measured.y = {1, 2, 3, 4, 5};
    measured.yError = {0.1, 0.1, 0.1, 0.1, 0.1};
    measured.style = paletteStyle(1);
    measured.markers = true;
    plot.series.push_back(measured);
    Series hidden;
    hidden.x = {320, 360};
    hidden.y = {0, 6};
    hidden.style = paletteStyle(2);
    plot.series.push_back(hidden);
    plot.marks.push_back({340, "1", paletteStyle(0)});
    plot.bands.push_back({320, 380, "fitted window"});
    plot.horizontalRules.push_back(0);
    return plot;
}

TEST(SvgPlot, WellFormedDeterministicAndComplete) {
    const Plot plot = samplePlot();
    const std::string svg = svgDocument(plot);
    EXPECT_EQ(svg, svgDocument(plot));
    const auto check = qf::testing::checkXml(svg);
    ASSERT_EQ(check.error, "") << svg;
    // The NaN point splits the measured line into two polylines; the hidden
    // series adds one; it has no legend entry.
    EXPECT_EQ(check.elements.at("polyline"), 3);
    EXPECT_EQ(check.elements.at("rect") >= 4, true);  // background, area, band, frame, square markers
    EXPECT_NE(svg.find("&lt;VELA-II&gt; &amp; &quot;residuals&quot;"), std::string::npos);
    EXPECT_NE(svg.find("font-family=\"sans-serif\""), std::string::npos);
    EXPECT_EQ(svg.find("measured</text>") != std::string::npos, true);
    EXPECT_EQ(svg.find("e+"), std::string::npos);  // no exponent notation anywhere
}

// Whatever bytes a title holds, the SVG stays well-formed: reports of the
// legacy program may carry titles in an old code page.
TEST(SvgPlot, AnyTextGivesWellFormedXml) {
    Plot plot;
    plot.title = std::string("Probe \xC0\xFF \xE9t\xE9 \x01\x1F <&> \xED\xA0\x80 ") + "\u00b1 \u00e9t\u00e9";
    plot.xAxis.label = "\xF0\x9F\x98\x80 \xF8 \xC2";
    const std::string svg = svgDocument(plot);
    ASSERT_EQ(qf::testing::checkXml(svg).error, "") << svg;
    EXPECT_NE(svg.find("\u00b1 \u00e9t\u00e9"), std::string::npos);  // valid UTF-8 kept as it is
    EXPECT_NE(svg.find("\xF0\x9F\x98\x80"), std::string::npos);
    EXPECT_NE(svg.find("Probe \uFFFD\uFFFD \uFFFDt\uFFFD"), std::string::npos);
}

// A point at the ends of the axes lands on the edges of the plot area.
TEST(SvgPlot, PointsLandWhereTheAxesSay) {
    Plot plot;
    Series s;
    s.x = {0, 10};
    s.y = {0, 1};
    plot.series.push_back(s);
    plot.plotWidth = 400;
    plot.plotHeight = 200;
    const PlotLayout layout = layoutOf(plot);
    const std::string svg = svgElement(plot);
    const std::string expected = "points=\"" + formatShort(layout.areaX, 1) + "," +
                                 formatShort(layout.areaY + 200, 1) + " " + formatShort(layout.areaX + 400, 1) +
                                 "," + formatShort(layout.areaY, 1) + "\"";
    EXPECT_NE(svg.find(expected), std::string::npos) << svg;
    EXPECT_GE(layout.width, layout.areaX + 400);
    EXPECT_GE(layout.height, layout.areaY + 200);
}

// Named rows (the batch index figure: one row per input and stage) with
// horizontal error bars; a long legend makes the figure taller, not cut.
TEST(SvgPlot, CategoriesErrorBarsAndTallLegends) {
    Plot plot;
    plot.yAxis.categories = {{0, "a.dat VELA-II"}, {1, "b.dat VELA-II"}};
    plot.plotHeight = 60;
    for (int k = 0; k < 8; ++k) {
        Series s;
        s.label = "class " + std::to_string(k);
        s.x = {330.0 + k};
        s.y = {k % 2 * 1.0};
        s.xError = {1.5};
        s.line = false;
        s.markers = true;
        s.style = paletteStyle(static_cast<std::size_t>(k));
        plot.series.push_back(s);
    }
    const std::string svg = svgElement(plot);
    ASSERT_EQ(qf::testing::checkXml(svg).error, "");
    EXPECT_NE(svg.find(">b.dat VELA-II</text>"), std::string::npos);
    EXPECT_GE(layoutOf(plot).height, 8 * 18.0);
    EXPECT_EQ(svg.find("<polyline"), std::string::npos);
}

}  // namespace
}  // namespace qf::figures
