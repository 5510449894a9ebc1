// The report page and its SVG files: golden copies for the example runs of
// both programs, well-formed XML throughout (parsed with expat), nothing
// outside the page, the flags on untrustworthy values and absent stages.
//
// After an intended change of the page or the figures, regenerate with
//   QF_UPDATE_GOLDEN=1 build/tests/figures_page_test
// and look at the difference (and at the page in a browser) before committing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <set>

#include "figures/report_page.h"
#include "figures/report_texts.h"
#include "figures_xml.h"
#include "outputs/output_names.h"
#include "outputs/output_set.h"
#include "results/report_reader.h"
#include "support/test_support.h"

namespace qf::figures {
namespace {

namespace fs = std::filesystem;
using qf::testing::checkXml;
using qf::testing::readFile;
using qf::testing::ScratchDir;
using qf::testing::sourcePath;
using qf::testing::writeFile;

results::RunReports goldenRun(const std::string& name) {
    results::ReportTexts t;
    t.paths = {name + "_Result.txt", name + "_Graph.txt", name + "_Summary.txt"};
    t.result = readFile(sourcePath("tests/golden/" + t.paths.result));
    t.graph = readFile(sourcePath("tests/golden/" + t.paths.graph));
    t.summary = readFile(sourcePath("tests/golden/" + t.paths.summary));
    return results::readReports(t);
}

std::set<std::string> filesBelow(const fs::path& dir) {
    std::set<std::string> names;
    if (!fs::exists(dir)) return names;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file()) names.insert(fs::relative(entry.path(), dir).generic_string());
    }
    return names;
}

class GoldenPage : public ::testing::TestWithParam<const char*> {};

TEST_P(GoldenPage, PageAndFiguresMatchTheirGoldenCopies) {
    const std::string name = GetParam();
    ScratchDir dir;
    // The page and its figures as trpfit report writes them.
    const ReportPageTexts texts = reportPageOfRun(goldenRun(name), "", false);
    outputs::OutputSet files(dir.path());
    files.add(outputs::kReportPage, texts.page);
    for (const NamedText& f : texts.figures) files.add(f.name, f.text);
    const auto written = files.write();
    ASSERT_FALSE(written.empty());
    EXPECT_EQ(written.front().filename(), "report.html");

    const fs::path golden = sourcePath("tests/golden/page/" + name);
    const std::set<std::string> actual = filesBelow(dir.path());
    if (std::getenv("QF_UPDATE_GOLDEN") != nullptr) {
        fs::remove_all(golden);
        for (const std::string& file : actual) {
            fs::create_directories((golden / file).parent_path());
            writeFile(golden / file, readFile(dir.path() / file));
        }
        GTEST_SKIP() << "golden page of " << name << " rewritten";
    }
    EXPECT_EQ(actual, filesBelow(golden)) << "the set of files differs from " << golden;
    for (const std::string& file : actual) {
        const std::string text = readFile(dir.path() / file);
        if (fs::exists(golden / file)) {
            EXPECT_TRUE(text == readFile(golden / file)) << file << " differs from " << golden / file;
        }
        const auto check = checkXml(text);
        EXPECT_EQ(check.error, "") << file << " is not well-formed XML";
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, GoldenPage, ::testing::Values("series", "single"));

// The page is one file: no script, no style sheet, image or font from
// elsewhere; links only within the page. Each figure is an inline SVG whose
// box the page states, and has its twin in figures/.
TEST(ReportPage, SelfContainedWithOneBoxPerFigure) {
    const results::RunReports run = goldenRun("series");
    const std::string page = reportPageHtml(run);
    const auto check = checkXml(page);
    ASSERT_EQ(check.error, "");
    EXPECT_EQ(check.elements.count("script"), 0u);
    EXPECT_EQ(check.elements.count("link"), 0u);
    EXPECT_EQ(check.elements.count("img"), 0u);
    EXPECT_EQ(page.find("url("), std::string::npos);
    EXPECT_EQ(page.find("@import"), std::string::npos);
    std::string withoutNamespace = page;
    const std::string svgNamespace = "xmlns=\"http://www.w3.org/2000/svg\"";
    for (std::size_t at; (at = withoutNamespace.find(svgNamespace)) != std::string::npos;) {
        withoutNamespace.erase(at, svgNamespace.size());
    }
    EXPECT_EQ(withoutNamespace.find("http"), std::string::npos);

    // 2 first-pass figures, and decomposition, residuals, Stern-Volmer of 4 stages.
    EXPECT_EQ(check.elements.at("figure"), 14);
    EXPECT_EQ(check.elements.at("svg"), 14);
    const auto tags = checkXml(page, {"figure", "a"}).tagged;
    int figures = 0;
    for (const auto& [name, attributes] : tags) {
        if (name == "a") {
            EXPECT_EQ(attributes.at("href").rfind("#", 0), 0u) << "a link out of the page";
            continue;
        }
        ++figures;
        const std::string id = attributes.at("data-figure");
        EXPECT_EQ(attributes.at("id"), "fig-" + id);
        double width = 0, height = 0, x = -1, y = -1, w = 0, h = 0;
        std::istringstream(attributes.at("data-width") + " " + attributes.at("data-height")) >> width >> height;
        std::istringstream(attributes.at("data-area")) >> x >> y >> w >> h;
        EXPECT_GT(w, 100) << id;
        EXPECT_GT(h, 100) << id;
        EXPECT_GE(x, 0) << id;
        EXPECT_GE(y, 0) << id;
        EXPECT_LE(x + w, width) << id << ": the plot area lies outside the figure";
        EXPECT_LE(y + h, height) << id << ": the plot area lies outside the figure";
    }
    EXPECT_EQ(figures, 14);
    EXPECT_NE(page.find("data-figure=\"vela-iii-stern-volmer\""), std::string::npos);
    EXPECT_NE(page.find(run.title.substr(0, 20)), std::string::npos);
    EXPECT_NE(page.find("quenfit run of 12-07-2026"), std::string::npos);
    EXPECT_EQ(page, reportPageHtml(run));
}

results::Stage stageWith(const std::vector<std::pair<double, double>>& ksv) {
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

results::SummaryComponent component(int k, double l, double s, double sd, SpectralClass cls) {
    results::SummaryComponent row;
    row.component = k;
    row.lNm = l;
    row.sPercent = s;
    row.sSd = sd;
    row.spectralClass = cls;
    return row;
}

TEST(ReportPage, FlagsTheValuesNotToTrustAndNothingElse) {
    const results::Stage apart = stageWith({{3.0, 0.1}, {15.0, 0.2}});
    EXPECT_TRUE(summaryFlags(apart, component(1, 330, 50, 2, SpectralClass::I)).empty());
    // s.d. equal to the value is not yet beyond it.
    EXPECT_TRUE(summaryFlags(apart, component(1, 330, 20, 20, SpectralClass::I)).empty());
    EXPECT_EQ(summaryFlags(apart, component(1, 330, 28, 63, SpectralClass::SorI)),
              std::vector<std::string>{"s.d. exceeds the contribution"});
    // The window is 320-380 nm, its ends included.
    EXPECT_TRUE(summaryFlags(apart, component(1, 320, 50, 2, SpectralClass::AorS)).empty());
    EXPECT_EQ(summaryFlags(apart, component(1, 319.9, 50, 2, SpectralClass::AorS)).size(), 1u);
    const auto wrong = summaryFlags(apart, component(2, 381.2, 50, 2, SpectralClass::WrongComponent));
    EXPECT_EQ(wrong, (std::vector<std::string>{"outside the fitted window 320-380 nm", "wrong component"}));
    // Stern-Volmer constants whose s.d. ranges touch cannot tell the
    // components apart; both are flagged.
    const results::Stage close = stageWith({{3.0, 0.1}, {3.25, 0.15}, {15.0, 0.2}});
    EXPECT_EQ(summaryFlags(close, component(1, 330, 50, 2, SpectralClass::I)),
              std::vector<std::string>{"Ksv agrees with comp. 2 within s.d."});
    EXPECT_EQ(summaryFlags(close, component(2, 340, 50, 2, SpectralClass::II)),
              std::vector<std::string>{"Ksv agrees with comp. 1 within s.d."});
    EXPECT_TRUE(summaryFlags(close, component(3, 350, 50, 2, SpectralClass::III)).empty());
    // monofit has no Table 3: no Stern-Volmer flag.
    EXPECT_TRUE(summaryFlags(results::Stage{}, component(1, 330, 50, 2, SpectralClass::I)).empty());
}

TEST(ReportPage, FlaggedCellsStandOutInTheSummaryTable) {
    const std::string page = reportPageHtml(goldenRun("series"));
    // VELA-III of the example: contributions 28 +/- 63 and 30.2 +/- 51.
    EXPECT_NE(page.find("<td class=\"flag\">28 \u00b1 63</td>"), std::string::npos);
    EXPECT_NE(page.find("<td class=\"flag\">30.2 \u00b1 51</td>"), std::string::npos);
    EXPECT_EQ(page.find("<td class=\"flag\">57.1"), std::string::npos);
}

TEST(ReportPage, AbsentStagesSaySo) {
    results::RunReports run = goldenRun("series");
    run.stages.resize(2);  // TARNO and VELA-I only, as a run that failed in VELA-II
    run.stages[1].outcome = results::Outcome::Absent;
    run.complete = false;
    run.result.where = "Table 2 of VELA-I";
    const std::string page = reportPageHtml(run);
    ASSERT_EQ(checkXml(page).error, "");
    EXPECT_NE(page.find("<h2>VELA-II</h2>\n<p class=\"absent\">Absent"), std::string::npos);
    EXPECT_NE(page.find("<h2>VELA-III</h2>\n<p class=\"absent\">Absent"), std::string::npos);
    EXPECT_NE(page.find("MONOCOMPONENT SOLUTION IS ABSENT!"), std::string::npos);
    EXPECT_NE(page.find("The reports end early"), std::string::npos);
    EXPECT_NE(page.find("ends in Table 2 of VELA-I"), std::string::npos);
    EXPECT_EQ(page.find("<h2>TARNO</h2>\n<p class=\"absent\">"), std::string::npos);
}

// Reports of runs that ended early, cut after every few lines of each
// report: the page still renders as well-formed XML, says that the reports
// end early, and every figure it shows has its data.
TEST(ReportPage, ReportsCutAnywhereGiveAPage) {
    // "nan" or "inf" standing as a word of its own: a number that is not one.
    const auto notANumber = [](const std::string& text) {
        for (const char* word : {"nan", "inf"}) {
            for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
                const bool before = at > 0 && std::isalpha(static_cast<unsigned char>(text[at - 1]));
                const bool after = at + 3 < text.size() && std::isalpha(static_cast<unsigned char>(text[at + 3]));
                if (!before && !after) return true;
            }
        }
        return false;
    };
    for (const char* name : {"series", "single"}) {
        results::ReportTexts full;
        full.paths = {std::string(name) + "_Result.txt", std::string(name) + "_Graph.txt",
                      std::string(name) + "_Summary.txt"};
        full.result = readFile(sourcePath("tests/golden/" + full.paths.result));
        full.graph = readFile(sourcePath("tests/golden/" + full.paths.graph));
        full.summary = readFile(sourcePath("tests/golden/" + full.paths.summary));
        for (int which = 0; which < 3; ++which) {
            std::string results::ReportTexts::*text = which == 0   ? &results::ReportTexts::result
                                                      : which == 1 ? &results::ReportTexts::graph
                                                                   : &results::ReportTexts::summary;
            const std::string& whole = full.*text;
            int line = 0;
            for (std::size_t pos = whole.find('\n'); pos != std::string::npos; pos = whole.find('\n', pos + 1)) {
                if (++line % 5 != 0 && which != 2) continue;
                results::ReportTexts cut = full;
                cut.*text = whole.substr(0, pos + 1);
                results::RunReports run;
                try {
                    run = results::readReports(cut);
                } catch (const results::ReportError&) {
                    continue;  // the reader's own tests say which cuts it refuses
                }
                SCOPED_TRACE(::testing::Message() << cut.paths.result << " report " << which << " cut after line "
                                                  << line);
                const std::string page = reportPageHtml(run);
                ASSERT_EQ(checkXml(page).error, "");
                if (!run.complete) {
                    EXPECT_NE(page.find("The reports end early"), std::string::npos);
                }
                // No figure without data: no empty line, no number that is not one.
                EXPECT_EQ(page.find("<polyline points=\"\""), std::string::npos);
                EXPECT_FALSE(notANumber(page));
            }
        }
    }
}

// A real failed run: quenfit stops in its first component fit (a series
// without quenching); the page shows the
// first pass and says where the reports end and which stages are absent.
TEST(ReportPage, FailedRunOfQuenfit) {
    ScratchDir dir;
    const std::string cmd = std::string("cd '") + dir.path().string() + "' && '" + QF_QUENFIT_EXE + "' '" +
                            sourcePath("fuzz/corpus/quenfit/tiny-unquenched.dat").string() +
                            "' Result.txt Graph.txt Summary.txt >/dev/null 2>&1";
    ASSERT_NE(std::system(cmd.c_str()), 0);
    const results::RunReports run = results::readReportFiles(
        {dir.file("Result.txt"), dir.file("Graph.txt"), dir.file("Summary.txt")});
    ASSERT_FALSE(run.complete);
    const std::string page = reportPageHtml(run);
    ASSERT_EQ(checkXml(page).error, "");
    EXPECT_NE(page.find("The reports end early"), std::string::npos);
    EXPECT_NE(page.find("data-figure=\"first-pass-spectra\""), std::string::npos);
    EXPECT_NE(page.find("<h2>VELA-III</h2>\n<p class=\"absent\">Absent"), std::string::npos);
    // The phase-plane stage is absent: its section and its summary row say so,
    // with no smoothing cycles for a stage that has none.
    EXPECT_NE(page.find("<h2>TARNO</h2>\n<p class=\"absent\">TWO-COMPONENT SOLUTION IS ABSENT!</p>\n</section>"),
              std::string::npos)
        << page;
    EXPECT_NE(page.find("<td class=\"text\">TARNO</td><td class=\"text\" colspan=\"8\">TWO-COMPONENT SOLUTION IS "
                        "ABSENT!</td></tr>"),
              std::string::npos)
        << page;
    EXPECT_EQ(page.find("Nsc 0"), std::string::npos);
    // The run ends after the heading of VELA-I: that stage has no tables.
    EXPECT_NE(page.find("<h2>VELA-I</h2>\n<p class=\"absent\">No tables"), std::string::npos);
}

// The command as users run it: tables, page and figures, their paths listed;
// exit 1 with the file named when asked to overwrite without --force, also
// when only the page is there from before.
TEST(ReportPage, TrpfitReportWritesThePage) {
    ScratchDir dir;
    const std::string reports = sourcePath("tests/golden/").string();
    const std::string command = std::string(QF_TRPFIT_EXE) + " report -o " + dir.file("page") + " " + reports +
                                "series_Result.txt " + reports + "series_Graph.txt " + reports +
                                "series_Summary.txt >" + dir.file("out.txt") + " 2>" + dir.file("err.txt");
    ASSERT_EQ(std::system(command.c_str()), 0) << readFile(dir.file("err.txt"));
    const std::string out = readFile(dir.file("out.txt"));
    EXPECT_NE(out.find(dir.file("page/report.html") + "\n"), std::string::npos) << out;
    EXPECT_NE(out.find(dir.file("page/components.csv") + "\n"), std::string::npos) << out;
    EXPECT_TRUE(fs::exists(dir.path() / "page" / "figures" / "tarno-stern-volmer.svg"));
    const int again = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(again));
    EXPECT_EQ(WEXITSTATUS(again), 1);
    EXPECT_NE(readFile(dir.file("err.txt")).find("exists already"), std::string::npos);
    for (const char* table : {"components.csv", "contributions.csv", "spectra.csv"}) {
        fs::remove(dir.path() / "page" / table);
    }
    writeFile(dir.path() / "page" / "report.html", "kept");
    const int third = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(third));
    EXPECT_EQ(WEXITSTATUS(third), 1);
    EXPECT_NE(readFile(dir.file("err.txt")).find("report.html"), std::string::npos);
    EXPECT_EQ(readFile(dir.path() / "page" / "report.html"), "kept");
    EXPECT_FALSE(fs::exists(dir.path() / "page" / "components.csv"));  // nothing written on refusal
}

}  // namespace
}  // namespace qf::figures
