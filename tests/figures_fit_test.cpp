// trpfit report --data: the global fit of the run's data file joins the
// page (a "Global fit" section after the summary, with its figure) and the
// tables; a data file the program refuses gives the program's message and
// nothing is written; without --data the outputs are those of before.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include <sys/wait.h>

#include "figures_xml.h"
#include "support/test_support.h"

namespace qf::figures {
namespace {

namespace fs = std::filesystem;
using qf::testing::checkXml;
using qf::testing::readFile;
using qf::testing::ScratchDir;
using qf::testing::sourcePath;
using qf::testing::writeFile;

struct Outcome {
    int status;
    std::string out, err;
};

Outcome shell(const fs::path& dir, const std::string& command) {
    const int status = std::system(("cd '" + dir.string() + "' && " + command + " >.stdout 2>.stderr").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(dir / ".stdout"), readFile(dir / ".stderr")};
}

// The golden reports of `run` in `dir`/reports under the program's names.
void copyReports(const std::string& run, const std::string& suffix, const fs::path& dir) {
    fs::create_directories(dir / "reports");
    for (const char* report : {"Result", "Graph", "Summary"}) {
        writeFile(dir / "reports" / (std::string(report) + suffix + ".txt"),
                  readFile(sourcePath("tests/golden/" + run + "_" + report + ".txt")));
    }
}

std::set<std::string> filesBelow(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        if (e.is_regular_file()) names.insert(fs::relative(e.path(), dir).generic_string());
    }
    return names;
}

const std::string kTrpfit = std::string("'") + QF_TRPFIT_EXE + "'";

TEST(ReportGlobalFit, DataFileAddsTheSectionFigureAndTables) {
    for (const auto& [run, suffix] : {std::pair{"series", ""}, std::pair{"single", "M"}}) {
        ScratchDir dir;
        const fs::path d = dir.path();
        copyReports(run, suffix, d);
        fs::copy_file(sourcePath(std::string("examples/") + run + ".dat"), d / "data.dat");
        const Outcome plain = shell(d, kTrpfit + " report -o plain reports");
        ASSERT_EQ(plain.status, 0) << plain.err;
        const Outcome fitted = shell(d, kTrpfit + " report --data data.dat -o fitted reports");
        ASSERT_EQ(fitted.status, 0) << fitted.err;

        // The same files and two tables and a figure more, each named on output.
        std::set<std::string> expected = filesBelow(d / "plain");
        EXPECT_EQ(expected.count("fit.csv"), 0u);
        expected.insert({"fit.csv", "models.csv", "figures/global-fit.svg"});
        EXPECT_EQ(filesBelow(d / "fitted"), expected) << run;
        for (const char* name : {"fit.csv", "models.csv", "figures/global-fit.svg", "report.html"}) {
            EXPECT_NE(fitted.out.find("fitted/" + std::string(name) + "\n"), std::string::npos) << fitted.out;
        }
        // The tables name the data file as given.
        const std::string fitCsv = readFile(d / "fitted" / "fit.csv");
        EXPECT_EQ(fitCsv.find("\r\n"), fitCsv.find("\r\ndata.dat," + std::string(suffix[0] ? "monofit" : "quenfit")));
        for (const std::string& name : filesBelow(d / "plain")) {
            if (name != "report.html") {
                EXPECT_EQ(readFile(d / "fitted" / name), readFile(d / "plain" / name)) << name;
            }
        }

        // The section: after the summary, before the first stage, in the
        // navigation, with the figure measured like the others.
        const std::string page = readFile(d / "fitted" / "report.html");
        const auto check = checkXml(page);
        ASSERT_EQ(check.error, "") << run;
        const std::size_t summary = page.find("<section id=\"summary\">");
        const std::size_t section = page.find("<section id=\"global-fit\">\n<h2>Global fit</h2>");
        const std::size_t stage = page.find("<section id=\"stage-");
        ASSERT_NE(section, std::string::npos);
        EXPECT_LT(summary, section);
        EXPECT_LT(section, stage);
        EXPECT_NE(page.find("<a href=\"#global-fit\">Global fit</a>"), std::string::npos);
        EXPECT_NE(page.find("data-figure=\"global-fit\" data-width=\""), std::string::npos);
        EXPECT_NE(page.find("legacy, L \xC2\xB1 DL"), std::string::npos);
        EXPECT_EQ(check.elements.at("figure"), checkXml(readFile(d / "plain" / "report.html")).elements.at("figure") + 1);

        // The figure file: well-formed, and the same bytes from the same input.
        const std::string figure = readFile(d / "fitted" / "figures" / "global-fit.svg");
        const auto svg = checkXml(figure);
        EXPECT_EQ(svg.error, "");
        EXPECT_GT(svg.elements.count("svg"), 0u);
        const Outcome again = shell(d, kTrpfit + " report --force --data data.dat -o fitted reports");
        ASSERT_EQ(again.status, 0) << again.err;
        EXPECT_EQ(readFile(d / "fitted" / "figures" / "global-fit.svg"), figure);
        EXPECT_EQ(readFile(d / "fitted" / "report.html"), page);
    }
}

TEST(ReportGlobalFit, RefusedDataFileGivesTheProgramsMessageAndWritesNothing) {
    ScratchDir dir;
    const fs::path d = dir.path();
    copyReports("series", "", d);
    // A single spectrum given to the series' reports: quenfit refuses it.
    fs::copy_file(sourcePath("examples/single.dat"), d / "single.dat");
    writeFile(d / "short.dat", "title\n1 10 300 399 1\n");
    for (const char* data : {"single.dat", "short.dat", "missing.dat"}) {
        const Outcome program =
            shell(d, std::string("'") + QF_QUENFIT_EXE + "' " + data + " R.txt G.txt S.txt");
        ASSERT_EQ(program.status, 1) << data;
        const Outcome report = shell(d, kTrpfit + " report --data " + data + " -o out reports");
        EXPECT_EQ(report.status, 1) << data;
        // The program's own line (it may say more, e.g. its usage, after it).
        const std::string line = program.err.substr(0, program.err.find('\n') + 1);
        EXPECT_EQ(report.err, line) << data;
        EXPECT_FALSE(fs::exists(d / "out")) << data;
    }
}

}  // namespace
}  // namespace qf::figures
