// The tidy tables made from the reports: golden copies for the example runs
// (QF_UPDATE_GOLDEN=1 build/tests/results_tables_test rewrites them), the
// component table checked against the summary and Table 3 as printed, and
// the CSV rules.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "results/report_reader.h"
#include "results/tables.h"
#include "support/test_support.h"

namespace qf::results {
namespace {

using qf::testing::readFile;
using qf::testing::sourcePath;
using qf::testing::writeFile;

RunReports goldenRun(const std::string& name) {
    ReportTexts t;
    t.paths = {name + "_Result.txt", name + "_Graph.txt", name + "_Summary.txt"};
    t.result = readFile(sourcePath("tests/golden/" + t.paths.result));
    t.graph = readFile(sourcePath("tests/golden/" + t.paths.graph));
    t.summary = readFile(sourcePath("tests/golden/" + t.paths.summary));
    return readReports(t);
}

std::vector<std::string> split(const std::string& s, char sep) {
    std::vector<std::string> out(1);
    for (char c : s) {
        if (c == sep) {
            out.emplace_back();
        } else if (c != '\r') {
            out.back() += c;
        }
    }
    return out;
}

std::vector<std::string> words(const std::string& s) {
    std::istringstream in(s);
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

// Rows of a CSV without quoted fields, header first.
std::vector<std::vector<std::string>> csvRows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : split(text, '\n')) {
        if (!line.empty()) rows.push_back(split(line, ','));
    }
    return rows;
}

TEST(ResultsTables, GoldenCopiesOfTheExampleTables) {
    const bool update = std::getenv("QF_UPDATE_GOLDEN") != nullptr;
    for (const char* name : {"series", "single"}) {
        const RunReports run = goldenRun(name);
        const std::pair<const char*, std::string> tables[] = {
            {"components", componentsCsv(run, name)},
            {"contributions", contributionsCsv(run, name)},
            {"spectra", spectraCsv(run)},
        };
        for (const auto& [table, text] : tables) {
            const auto golden = sourcePath(std::string("tests/golden/") + name + "_" + table + ".csv");
            if (update) writeFile(golden, text);
            EXPECT_EQ(text, readFile(golden)) << golden << " (QF_UPDATE_GOLDEN=1 rewrites it)";
        }
    }
}

// Every component row carries the summary's L, DL, S, s.d. and class and
// Table 3's Stern-Volmer columns, as the reports print them.
TEST(ResultsTables, ComponentsMatchTheSummaryAndTable3) {
    const auto summary = split(readFile(sourcePath("tests/golden/series_Summary.txt")), '\n');
    std::vector<std::vector<std::string>> summaryRows;  // j L DL S sd class
    for (const std::string& line : summary) {
        if (line.find("+/-") == std::string::npos) continue;
        std::vector<std::string> w = words(line.substr(25));
        const std::string cls = line.substr(65);
        summaryRows.push_back({w[0], w[1], w[3], w[4], w[6], cls});
    }
    const auto result = split(readFile(sourcePath("tests/golden/series_Result.txt")), '\n');
    std::vector<std::vector<std::string>> table3Rows;  // k Ksv sd rel sd B R
    for (std::size_t i = 0; i < result.size(); ++i) {
        if (result[i].rfind(" N comp.", 0) != 0) continue;
        for (std::size_t j = i + 1; j < result.size() && !words(result[j]).empty(); ++j) {
            table3Rows.push_back(words(result[j]));
        }
    }
    const auto rows = csvRows(componentsCsv(goldenRun("series"), "series"));
    ASSERT_EQ(rows.size(), 1 + summaryRows.size());
    ASSERT_EQ(summaryRows.size(), table3Rows.size());
    const std::vector<std::string>& head = rows[0];
    const auto col = [&head](const std::string& name) {
        return static_cast<std::size_t>(std::find(head.begin(), head.end(), name) - head.begin());
    };
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const auto& row = rows[r];
        const auto& s = summaryRows[r - 1];
        const auto& t = table3Rows[r - 1];
        EXPECT_EQ(row[col("component")], s[0]);
        EXPECT_EQ(row[col("L_nm")], s[1]);
        EXPECT_EQ(row[col("DL_nm")], s[2]);
        EXPECT_EQ(row[col("S_percent")], s[3]);
        EXPECT_EQ(row[col("S_sd")], s[4]);
        EXPECT_EQ(row[col("class")], s[5]);
        EXPECT_EQ(row[col("component")], t[0]);
        EXPECT_EQ(row[col("Ksv")], t[1]);
        EXPECT_EQ(row[col("Ksv_sd")], t[2]);
        EXPECT_EQ(row[col("Ksv_rel_percent")], t[3]);
        EXPECT_EQ(row[col("Ksv_rel_sd")], t[4]);
        EXPECT_EQ(row[col("B")], t[5]);
        EXPECT_EQ(row[col("R")], t[6]);
    }
    EXPECT_EQ(rows[1][col("stage")], "TARNO");
    EXPECT_EQ(rows[1][col("discriminant")], ".08");
}

TEST(ResultsTables, FieldsWithCommasOrQuotesAreQuoted) {
    const RunReports run = goldenRun("single");
    const std::string csv = componentsCsv(run, "run \"7\", day 2");
    EXPECT_NE(csv.find("\r\n\"run \"\"7\"\", day 2\",monofit,VELA-MONO-I,1,1,336.1,"), std::string::npos);
    // monofit has no Stern-Volmer columns: empty fields.
    EXPECT_NE(csv.find(",I or II,,,,,,,3.176,6\r\n"), std::string::npos);
}

TEST(ResultsTables, ACutRunGivesTheRowsItHas) {
    ReportTexts t;
    t.paths = {"r", "g", "s"};
    const std::string result = readFile(sourcePath("tests/golden/series_Result.txt"));
    t.result = result.substr(0, result.find("T A B L E 2", result.find("VELA-II")));
    const RunReports run = readReports(t);
    const auto rows = csvRows(componentsCsv(run, "cut"));
    ASSERT_EQ(rows.size(), 1u + 2 + 1 + 2);  // TARNO, VELA-I and Table 1 of VELA-II
    // VELA-II: positions only, nothing of Table 3 or the summary.
    EXPECT_EQ(rows[5][5], "346.4");
    EXPECT_EQ(rows[5][12], "");
    EXPECT_EQ(rows[5][19], "");
}

// A run whose phase-plane stage is absent: no component rows for TARNO, as
// for any stage without a solution; VELA-I gives its one component.
TEST(ResultsTables, AnAbsentPhasePlaneStageGivesNoComponentRows) {
    qf::testing::ScratchDir dir;
    const std::string cmd = std::string("cd '") + dir.path().string() + "' && '" + QF_QUENFIT_EXE + "' '" +
                            sourcePath("fuzz/corpus/quenfit/tiny.dat").string() + "' r.txt g.txt s.txt >/dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    const RunReports run = readReportFiles({dir.file("r.txt"), dir.file("g.txt"), dir.file("s.txt")});
    ASSERT_FALSE(run.stages.empty());
    ASSERT_EQ(run.stages[0].outcome, Outcome::Absent);
    const auto rows = csvRows(componentsCsv(run, "tiny"));
    ASSERT_EQ(rows.size(), 2u);  // VELA-I, one component; VELA-II and VELA-III are absent too
    for (std::size_t r = 1; r < rows.size(); ++r) EXPECT_NE(rows[r][2], "TARNO") << r;
    EXPECT_EQ(rows[1][2], "VELA-I");
    for (const auto& row : csvRows(contributionsCsv(run, "tiny"))) EXPECT_NE(row[2], "TARNO");
}

}  // namespace
}  // namespace qf::results
