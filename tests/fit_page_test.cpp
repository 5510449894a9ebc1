// The global fit's section of the report page and its figure: what a reader
// must find there, escaped text, and the same bytes for the same fit.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "fitpage/fit_section.h"

namespace {

namespace fit = qf::fit;

fit::GlobalFit sampleFit(bool series) {
    fit::GlobalFit g;
    g.program = series ? qf::Program::Quenfit : qf::Program::Monofit;
    for (int n = 1; n <= 3; ++n) {
        fit::ModelFit& m = g.models[static_cast<std::size_t>(n - 1)];
        m.components = n;
        m.rss = 1000.0 / n;
        m.dof = 600 - 3 * n;
        m.akaikeWeight = n == 2 ? 0.9 : 0.05;
        if (n < 3) m.pVsNext = n == 1 ? 1e-30 : 0.42;
        for (int i = 0; i < n; ++i) {
            fit::ComponentFit c;
            c.position = {320.0 + 15.0 * i, 319.5 + 15.0 * i, 320.5 + 15.0 * i};
            c.peak = {317.0 + 15.0 * i, 316.5 + 15.0 * i, 317.5 + 15.0 * i};
            if (series) c.ksv = fit::Estimate{2.0 + i, 1.5 + i, 2.5 + i};
            c.share = {100.0 / n, 90.0 / n, 100.0 / n};
            c.spectralClass = qf::SpectralClass::SorI;
            m.component.push_back(c);
        }
    }
    g.models[1].verdict = fit::Verdict::Chosen;
    g.chosen = 2;
    g.reason = "3 components do not fit significantly better than 2 components (F-test p = 0.42) <&>";
    return g;
}

TEST(FitPage, SectionShowsVerdictEveryComponentAndTheComparison) {
    const fit::GlobalFit g = sampleFit(true);
    const std::vector<qf::fitpage::LegacyStage> legacy = {{2, {318.1, 333.0}, {0.4, 1.2}}};
    const std::string html = qf::fitpage::globalFitSectionHtml(g, legacy);
    EXPECT_NE(html.find("<h2>Global fit</h2>"), std::string::npos);
    EXPECT_NE(html.find("support <strong>2</strong> components"), std::string::npos);
    // The reason is text, never markup.
    EXPECT_NE(html.find("&lt;&amp;&gt;"), std::string::npos);
    EXPECT_EQ(html.find("<&>"), std::string::npos);
    EXPECT_NE(html.find("320.00 <span class=\"interval\">(319.50 to 320.50)</span>"), std::string::npos);
    EXPECT_NE(html.find("<th>Ksv (1/M)</th>"), std::string::npos);
    EXPECT_NE(html.find("&lt; 0.001"), std::string::npos);  // p of 1 against 2
    EXPECT_NE(html.find("<td>0.420</td>"), std::string::npos);
    EXPECT_NE(html.find("<svg"), std::string::npos);
    EXPECT_EQ(html, qf::fitpage::globalFitSectionHtml(g, legacy));
    EXPECT_EQ(qf::fitpage::verdictShort(g), "2");

    fit::GlobalFit undecided = g;
    undecided.chosen = 0;
    undecided.undecidedLow = 1;
    EXPECT_EQ(qf::fitpage::verdictShort(undecided), "1 or 2");
    EXPECT_NE(qf::fitpage::globalFitSectionHtml(undecided, {}).find("Cannot tell between <strong>1</strong>"),
              std::string::npos);
}

// The value of attribute `name` in the tag that starts at `from`.
std::string attributeIn(const std::string& text, std::size_t from, const std::string& name) {
    const std::size_t end = text.find('>', from);
    const std::size_t at = text.find(" " + name + "=\"", from);
    if (end == std::string::npos || at == std::string::npos || at > end) return "";
    const std::size_t start = at + name.size() + 3;
    return text.substr(start, text.find('"', start) - start);
}

// The browser check finds the figure by its name and measures its plot area
// from the data attributes: they must say what the SVG inside draws.
TEST(FitPage, FigureCarriesTheDataOfItsOwnSvg) {
    for (bool series : {true, false}) {
        const std::string html = qf::fitpage::globalFitSectionHtml(sampleFit(series), {});
        const std::size_t figure = html.find("<figure ");
        ASSERT_NE(figure, std::string::npos);
        EXPECT_EQ(html.find("<figure", figure + 1), std::string::npos);
        EXPECT_EQ(attributeIn(html, figure, "id"), "fig-global-fit");
        EXPECT_EQ(attributeIn(html, figure, "data-figure"), qf::fitpage::kFigureId);
        // The <svg> follows the opening tag at once, as on the page's other figures.
        const std::size_t svg = html.find('>', figure) + 1;
        ASSERT_EQ(html.compare(svg, 5, "<svg "), 0) << html.substr(figure, 200);
        const std::size_t area = html.find("<rect class=\"plot-area\"", svg);
        ASSERT_NE(area, std::string::npos);
        EXPECT_EQ(attributeIn(html, figure, "data-width"), attributeIn(html, svg, "width"));
        EXPECT_EQ(attributeIn(html, figure, "data-height"), attributeIn(html, svg, "height"));
        EXPECT_EQ(attributeIn(html, figure, "data-area"),
                  attributeIn(html, area, "x") + " " + attributeIn(html, area, "y") + " " +
                      attributeIn(html, area, "width") + " " + attributeIn(html, area, "height"));
        EXPECT_FALSE(attributeIn(html, figure, "data-width").empty());
    }
}

// A band the fit pushed to an end of the positions it searches has no
// estimate there, only a bound: the page marks that cell and says so under
// the table of that count, and nowhere else.
TEST(FitPage, BandMaximumAtAnEndOfTheSearchedPositionsIsMarked) {
    const fit::GlobalFit plain = sampleFit(true);
    const std::string none = qf::fitpage::globalFitSectionHtml(plain, {});
    EXPECT_EQ(none.find("class=\"flag\""), std::string::npos);
    EXPECT_EQ(none.find("positions searched"), std::string::npos);

    fit::GlobalFit g = plain;
    g.models[1].component[1].position = {400.0, 396.4, 400.0};  // the upper end
    g.models[2].component[0].position = {290.3, 290.0, 301.0};  // within half a nanometre of the lower
    g.models[2].component[1].position = {300.0, 291.0, 309.0};  // inside: not marked
    const std::string html = qf::fitpage::globalFitSectionHtml(g, {});
    EXPECT_NE(html.find("<td class=\"flag\">400.00 <span class=\"interval\">(396.40 to 400.00)"),
              std::string::npos);
    EXPECT_NE(html.find("<td class=\"flag\">290.30 "), std::string::npos);
    EXPECT_EQ(html.find("<td class=\"flag\">300.00 "), std::string::npos);
    std::size_t notes = 0;
    for (std::size_t at = html.find("positions searched (290-400 nm)"); at != std::string::npos;
         at = html.find("positions searched (290-400 nm)", at + 1)) {
        ++notes;
    }
    EXPECT_EQ(notes, 2u);  // under N = 2 and N = 3, not under N = 1
    const std::size_t n1 = html.find("<h3>N = 1");
    const std::size_t n2 = html.find("<h3>N = 2");
    EXPECT_EQ(html.substr(n1, n2 - n1).find("positions searched"), std::string::npos);
}

TEST(FitPage, SingleSpectrumSectionHasNoKsvColumn) {
    const std::string html = qf::fitpage::globalFitSectionHtml(sampleFit(false), {});
    EXPECT_EQ(html.find("Ksv"), std::string::npos);
    EXPECT_EQ(html.find("Stern-Volmer line"), std::string::npos);
}

TEST(FitPage, FigureHoldsFitAndLegacyAndSurvivesMissingIntervals) {
    fit::GlobalFit g = sampleFit(true);
    const std::vector<qf::fitpage::LegacyStage> legacy = {{1, {333.0}, {0.5}}, {2, {318.1, 333.0}, {0.4, 1.2}}};
    const std::string svg = qf::fitpage::positionsFigureSvgDocument(g, legacy);
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("legacy, L \xC2\xB1 DL"), std::string::npos);
    EXPECT_NE(svg.find("global fit, 95 % interval"), std::string::npos);
    EXPECT_NE(svg.find("N = 2 *"), std::string::npos);  // the chosen count is starred
    // Without intervals (bootstrap off) the figure still draws the peaks.
    for (auto& m : g.models) {
        for (auto& c : m.component) c.peak.low = c.peak.high = std::nan("");
    }
    const std::string bare = qf::fitpage::positionsFigureSvgDocument(g, {});
    EXPECT_EQ(bare.find("nan"), std::string::npos);
    EXPECT_NE(bare.find("global fit, peak"), std::string::npos);
}

}  // namespace
