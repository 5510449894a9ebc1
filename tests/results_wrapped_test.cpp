// Rows the writer wrapped: when a number prints long (the phase-plane
// Table 2's S2 = 100 - S1, unrounded), the column is already past the next
// Tab stop and the writer ends the line there, going on in the next line
// after the blanks up to that stop. The reader takes the two lines as one
// row; the page and the tables hold the report's numbers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

#include "figures/report_texts.h"
#include "results/report_reader.h"
#include "results/tables.h"
#include "support/report_render.h"
#include "support/test_support.h"
#include "tools/synthetic_data.h"

namespace qf::results {
namespace {

using qf::testing::readFile;
using qf::testing::ScratchDir;
using qf::testing::writeFile;

// A series whose second band is weak: the phase-plane stage finds S1 above
// 90 %, where 100 - S1 prints with fifteen digits.
ReportTexts runWeakSecondBand(const ScratchDir& dir) {
    synth::SeriesSpec s;
    s.title = "Weak second band";
    s.concentrations = {0.0, 0.05, 0.1, 0.15, 0.2, 0.25, 0.3, 0.35, 0.4, 0.45};
    s.components = {{331.0, 6000.0, 3.0}, {350.0, 600.0, 15.0}};
    s.noise = 0.002;
    s.seed = 1;
    writeFile(dir.path() / "weak.dat", synth::seriesFile(s));
    const std::string cmd = "cd '" + dir.path().string() + "' && '" QF_QUENFIT_EXE
                            "' weak.dat r.txt g.txt s.txt >/dev/null 2>&1";
    const int raw = std::system(cmd.c_str());
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << cmd;
    ReportTexts t;
    t.paths = {"r.txt", "g.txt", "s.txt"};
    t.result = readFile(dir.path() / "r.txt");
    t.graph = readFile(dir.path() / "g.txt");
    t.summary = readFile(dir.path() / "s.txt");
    return t;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t nl = text.find("\r\n", start);
        out.push_back(text.substr(start, nl - start));
        start = nl + 2;
    }
    return out;
}

// The 1-based numbers of the lines that go on a row of Table 2: after the
// blanks up to the s.d. column (Tab(34)).
std::vector<int> continuationLines(const std::string& text) {
    std::vector<int> out;
    const std::vector<std::string> lines = linesOf(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].size() > 34 && lines[i].find_first_not_of(" ") == 34) out.push_back(static_cast<int>(i) + 1);
    }
    return out;
}

TEST(ResultsWrappedRows, PhasePlaneTable2RowsReadAsOneRowEach) {
    ScratchDir dir;
    const ReportTexts t = runWeakSecondBand(dir);
    const std::vector<int> wrapped = continuationLines(t.result);
    ASSERT_FALSE(wrapped.empty()) << "the run no longer prints a long S2; pick another series";

    const RunReports run = readReports(t);
    EXPECT_TRUE(run.complete) << run.result.where;
    const Stage& tarno = run.stages.at(0);
    ASSERT_EQ(tarno.kind, StageKind::Tarno);
    ASSERT_EQ(tarno.table2.size(), 10u);
    const std::vector<std::string> lines = linesOf(t.result);
    int seen = 0;
    for (const SpectrumContributions& g : tarno.table2) {
        ASSERT_EQ(g.components.size(), 2u);
        // A wrapped row: S2 ends the first line, s.d. and Ai stand in the next.
        LineBuffer head;
        head.printNumber(g.components[1].si, Sep::Join);
        if (head.text().size() <= 34 - 20) continue;
        ++seen;
        LineBuffer tail;
        tail.tab(34);
        tail.printNumber(g.components[1].sd, Sep::Join);
        tail.tab(47);
        tail.printNumber(g.components[1].ai, Sep::End);
        EXPECT_NE(t.result.find(head.text() + "\r\n" + tail.text()), std::string::npos) << head.text();
    }
    EXPECT_EQ(seen, static_cast<int>(wrapped.size()));

    // Written back, the model gives the reports byte for byte.
    const ReportTexts back = render::writeReportTexts(run);
    EXPECT_EQ(back.result, t.result);
    EXPECT_EQ(back.summary, t.summary);

    // The page and the tables show the numbers of the wrapped rows.
    figures::ReportTextsInput in;
    in.result = t.result;
    in.graph = t.graph;
    in.summary = t.summary;
    const figures::ReportPageTexts page = figures::reportPageFromTexts(in);
    ASSERT_TRUE(page.ok) << page.message;
    const std::string csv = contributionsCsv(run, "weak.dat");
    for (const SpectrumContributions& g : tarno.table2) {
        const Contribution& c = g.components[1];
        LineBuffer cells;
        for (double v : {c.si, c.sd, c.ai}) cells.writeNumber(v, Sep::Join);
        const std::string row = cells.text().substr(0, cells.text().size() - 1);  // without the last ","
        EXPECT_NE(csv.find(",TARNO," + std::to_string(g.spectrum) + ",2,"), std::string::npos);
        EXPECT_NE(csv.find(row + ","), std::string::npos) << row;
        const auto table = std::find_if(page.tables.begin(), page.tables.end(),
                                        [](const figures::NamedText& n) { return n.name == "contributions.csv"; });
        ASSERT_NE(table, page.tables.end());
        EXPECT_NE(table->text.find(row + ","), std::string::npos) << row;
    }
}

// A wrapped row's lines do not stand alone: its first line without the
// continuation, or a continuation without its first line, is refused at
// that line.
TEST(ResultsWrappedRows, HalfAWrappedRowIsRefusedAtItsLine) {
    ScratchDir dir;
    const ReportTexts t = runWeakSecondBand(dir);
    const std::vector<int> wrapped = continuationLines(t.result);
    ASSERT_FALSE(wrapped.empty());
    const int cont = wrapped.front();
    for (int drop : {cont, cont - 1}) {
        ReportTexts damaged = t;
        std::vector<std::string> lines = linesOf(t.result);
        lines.erase(lines.begin() + (drop - 1));
        damaged.result.clear();
        for (const std::string& l : lines) damaged.result += l + "\r\n";
        try {
            readReports(damaged);
            ADD_FAILURE() << "no error without line " << drop;
        } catch (const ReportError& e) {
            EXPECT_EQ(e.path(), "r.txt");
            // The line left of the two now stands at the first one's place.
            EXPECT_EQ(e.line(), cont - 1) << e.what();
        }
    }
}

// A run that ends part-way leaves the results report cut after any line,
// inside a wrapped row too: each cut reads as ending early, without error.
TEST(ResultsWrappedRows, ReportCutAnywhereReadsAsEndingEarly) {
    ScratchDir dir;
    const ReportTexts full = runWeakSecondBand(dir);
    const std::vector<std::string> lines = linesOf(full.result);
    std::string head;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        for (const std::string& cut : {head, head + lines[k].substr(0, 36)}) {
            ReportTexts t = full;
            t.result = cut;
            RunReports run;
            ASSERT_NO_THROW(run = readReports(t)) << "cut at line " << k << ": " << cut.substr(cut.size() - 40);
            EXPECT_FALSE(run.complete);
        }
        head += lines[k] + "\r\n";
    }
}

}  // namespace
}  // namespace qf::results
