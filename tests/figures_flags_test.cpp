// Flags the page raises on what the numbers alone would let pass: a poor
// fit, Stern-Volmer constants that agree within an s.d. printed as 0,
// monofit's fall-back, and position labels of close components.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <set>
#include <sys/wait.h>

#include "figures/report_page.h"
#include "figures/svg_plot.h"
#include "results/report_reader.h"
#include "support/test_support.h"
#include "tools/synthetic_data.h"

namespace qf::figures {
namespace {

using qf::testing::readFile;
using qf::testing::ScratchDir;
using qf::testing::sourcePath;
using qf::testing::writeFile;

results::RunReports readTexts(const std::string& dir, const std::string& r, const std::string& g,
                              const std::string& s) {
    results::ReportTexts t;
    t.paths = {r, g, s};
    t.result = readFile(dir + "/" + r);
    t.graph = readFile(dir + "/" + g);
    t.summary = readFile(dir + "/" + s);
    return results::readReports(t);
}

results::Stage stageWithResiduals(std::vector<std::vector<double>> residuals) {
    results::Stage stage;
    stage.kind = results::StageKind::Vela1;
    stage.residuals.values = std::move(residuals);
    return stage;
}

TEST(PageFlags, PoorFitWhenAResidualPassesFivePerCent) {
    EXPECT_TRUE(stageFlags(stageWithResiduals({{1, -5, 4.99}, {0, 5, 0}})).empty());
    const auto flags = stageFlags(stageWithResiduals({{1, -2, 0.5}, {0, -5.01, 3}}));
    ASSERT_EQ(flags.size(), 1u);
    EXPECT_EQ(flags[0], "Poor fit: residuals exceed 5 % of the maximum (largest -5.01 %, RMS 2.56 %)");
    EXPECT_TRUE(stageFlags(results::Stage{}).empty());

    // The example series: VELA-I leaves residuals up to 7.95 %; the page
    // says so on its DISCR. cell, its notes and its section.
    const results::RunReports run = readTexts(sourcePath("tests/golden").string(), "series_Result.txt",
                                              "series_Graph.txt", "series_Summary.txt");
    const std::string page = reportPageHtml(run);
    EXPECT_NE(page.find("<td class=\"flag\">2.791</td>"), std::string::npos);
    EXPECT_NE(page.find("<p class=\"warning\">Poor fit: residuals exceed 5 % of the maximum (largest "),
              std::string::npos);
    for (std::size_t s = 0; s < run.stages.size(); ++s) {
        EXPECT_EQ(stageFlags(run.stages[s]).empty(), s != 1) << results::stageLabel(run.stages[s]);
    }
}

results::Stage stageWithKsv(const std::vector<std::pair<double, double>>& ksv) {
    results::Stage stage;
    stage.kind = results::StageKind::Vela2;
    for (std::size_t k = 0; k < ksv.size(); ++k) {
        results::SternVolmerRow row;
        row.component = static_cast<int>(k) + 1;
        row.ksv = ksv[k].first;
        row.ksvSd = ksv[k].second;
        stage.table3.push_back(row);
    }
    return stage;
}

TEST(PageFlags, KsvWithAnSdPrintedAsZeroCountsItsResolution) {
    results::SummaryComponent one;
    one.component = 1;
    one.lNm = 330;
    one.sPercent = 50;
    one.sSd = 1;
    const std::vector<std::string> agree{"Ksv agrees with comp. 2 within s.d."};
    // Both printed with s.d. 0: 2.95 and 2.96 are within the 0.01 each s.d.
    // may hide; 2.95 and 2.98 are not.
    EXPECT_EQ(summaryFlags(stageWithKsv({{2.95, 0}, {2.96, 0}}), one), agree);
    EXPECT_EQ(summaryFlags(stageWithKsv({{2.95, 0}, {2.97, 0}}), one), agree);
    EXPECT_TRUE(summaryFlags(stageWithKsv({{2.95, 0}, {2.98, 0}}), one).empty());
    // Equal constants always agree.
    EXPECT_EQ(summaryFlags(stageWithKsv({{3, 0}, {3, 0}}), one), agree);
    // One printed s.d. and one 0: 0.05 + 0.01.
    EXPECT_EQ(summaryFlags(stageWithKsv({{3, 0.05}, {3.06, 0}}), one), agree);
    EXPECT_TRUE(summaryFlags(stageWithKsv({{3, 0.05}, {3.07, 0}}), one).empty());
}

TEST(PageFlags, MonofitFallBackIsSaidAsSuch) {
    // One band: no third component is found, monofit falls back to two.
    synth::SeriesSpec oneBand;
    oneBand.title = "One band";
    oneBand.concentrations = {0.0};
    oneBand.components = {{340.0, 8000.0, 0.0}};
    oneBand.noise = 0.03;
    oneBand.seed = 7;
    ScratchDir dir;
    writeFile(dir.path() / "one.dat", synth::singleSpectrumFile(oneBand));
    const std::string cmd = "cd '" + dir.path().string() + "' && '" + QF_MONOFIT_EXE +
                            "' one.dat r.txt g.txt s.txt >/dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    const results::RunReports run = readTexts(dir.path().string(), "r.txt", "g.txt", "s.txt");
    ASSERT_TRUE(run.complete);
    const std::string page = reportPageHtml(run);
    EXPECT_EQ(page.find("the reports end before"), std::string::npos);
    EXPECT_EQ(page.find("The reports end early"), std::string::npos);
    EXPECT_NE(page.find("monofit fell back to two components"), std::string::npos);
}

// The y of every label of a mark (the numbered position lines).
std::vector<std::pair<double, double>> markLabels(const std::string& svg) {
    std::vector<std::pair<double, double>> out;
    const std::size_t marks = svg.find("<g class=\"marks\">");
    const std::string part = svg.substr(marks, svg.find("</g>", marks) - marks);
    const std::regex text("<text x=\"([0-9.]+)\" y=\"([0-9.]+)\"");
    for (auto it = std::sregex_iterator(part.begin(), part.end(), text); it != std::sregex_iterator(); ++it) {
        out.emplace_back(std::stod((*it)[1]), std::stod((*it)[2]));
    }
    return out;
}

TEST(PageFlags, LabelsOfClosePositionsDoNotOverlap) {
    Plot plot;
    Series s;
    s.x = {300, 400};
    s.y = {0, 1};
    plot.series.push_back(s);
    for (double x : {327.2, 330.3, 346.6, 347.0}) plot.marks.push_back({x, std::to_string(plot.marks.size() + 1), {}});
    const auto labels = markLabels(svgElement(plot));
    ASSERT_EQ(labels.size(), 4u);
    // 327.2 and 330.3 are some 13 px apart, a label is 7: same row; 346.6
    // and 347.0 share their x: a row apart.
    EXPECT_EQ(labels[0].second, labels[1].second);
    EXPECT_EQ(labels[2].second, labels[0].second);
    EXPECT_GT(labels[3].second, labels[2].second + 10);
}

}  // namespace
}  // namespace qf::figures
