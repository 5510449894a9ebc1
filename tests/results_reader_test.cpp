// The report reader on real reports: the golden runs of both programs, the
// same reports with LF line ends, reports cut at every line and inside
// lines (a run that failed part-way), and lines that do not belong.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "results/report_reader.h"
#include "results/tables.h"
#include "support/golden_reports.h"
#include "support/test_support.h"

namespace qf::results {
namespace {

using qf::testing::goldenReports;
using qf::testing::readFile;
using qf::testing::sourcePath;

// Everything the model holds, as text: equal models give equal text.
std::string modelText(const RunReports& run) {
    return componentsCsv(run, "x") + contributionsCsv(run, "x") + spectraCsv(run);
}

std::string withoutCr(std::string s) {
    std::string out;
    for (char c : s) {
        if (c != '\r') out += c;
    }
    return out;
}

// Text up to and including line `lines` (1-based count), with its line end.
std::string firstLines(const std::string& text, int lines) {
    std::size_t pos = 0;
    for (int i = 0; i < lines; ++i) pos = text.find('\n', pos) + 1;
    return text.substr(0, pos);
}

int lineCount(const std::string& text) {
    int n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

TEST(ResultsReader, SeriesRunHoldsEveryStageOfTheReports) {
    const RunReports run = readReports(goldenReports("series"));
    EXPECT_TRUE(run.complete);
    EXPECT_EQ(run.program, Program::Quenfit);
    EXPECT_EQ(run.date, "12-07-2026");
    EXPECT_EQ(run.concentrations.size(), 10u);
    EXPECT_DOUBLE_EQ(run.activities[1], 0.05);

    // First pass: 300-399 nm as read, 310-399 nm factors, 320-380 nm normalized.
    const FirstPass& fp = run.firstPass;
    ASSERT_EQ(fp.asRead.values.size(), 10u);
    EXPECT_EQ(fp.asRead.values[0].size(), 100u);
    EXPECT_DOUBLE_EQ(fp.asRead.wavelengthsNm.back(), 399);
    EXPECT_DOUBLE_EQ(fp.correctionFromNm, 310);
    EXPECT_EQ(fp.correction.values[0].size(), 90u);
    EXPECT_DOUBLE_EQ(fp.correction.values[0][0], 1.19932);
    EXPECT_EQ(fp.normalized.wavelengthsNm.size(), 61u);
    EXPECT_DOUBLE_EQ(fp.normalized.values[0][14], 1);  // the maximum at 334 nm

    ASSERT_EQ(run.stages.size(), 4u);
    const Stage& tarno = run.stages[0];
    EXPECT_EQ(tarno.kind, StageKind::Tarno);
    ASSERT_EQ(tarno.table1.size(), 2u);
    EXPECT_DOUBLE_EQ(tarno.table1[1].lNm, 346.1);
    EXPECT_DOUBLE_EQ(tarno.table3[1].ksvSd, 0.03);
    EXPECT_EQ(tarno.sternVolmer.points.size(), 2u);
    EXPECT_EQ(tarno.sternVolmer.lines.size(), 2u);
    EXPECT_DOUBLE_EQ(tarno.sternVolmer.lines[1][9], 7.497);
    EXPECT_EQ(tarno.firstSpectrumComponents.values.size(), 2u);

    const Stage& vela3 = run.stages[3];
    EXPECT_EQ(vela3.kind, StageKind::Vela3);
    EXPECT_EQ(vela3.components, 3);
    ASSERT_EQ(vela3.table2.size(), 10u);
    EXPECT_DOUBLE_EQ(*vela3.table2[1].cq, 0.05);
    EXPECT_EQ(vela3.table2[9].components.size(), 3u);
    EXPECT_DOUBLE_EQ(vela3.theoretical.wavelengthsNm.front(), 305);
    EXPECT_EQ(vela3.theoretical.values[0].size(), 96u);
    EXPECT_EQ(vela3.residuals.values.size(), 10u);
    ASSERT_TRUE(vela3.summary);
    EXPECT_EQ(vela3.summary->method, SummaryMethod::ComponentFit);
    EXPECT_EQ(vela3.summary->rows[2].spectralClass, SpectralClass::IIorIII);
    EXPECT_DOUBLE_EQ(*vela3.discriminant, 0.123);
    EXPECT_DOUBLE_EQ(*vela3.graphDiscriminant, 0.123);
}

TEST(ResultsReader, SingleSpectrumRunHoldsEveryStageOfTheReports) {
    const RunReports run = readReports(goldenReports("single"));
    EXPECT_TRUE(run.complete);
    EXPECT_EQ(run.program, Program::Monofit);
    ASSERT_EQ(run.stages.size(), 3u);
    EXPECT_EQ(run.stages[2].kind, StageKind::VelaMono3);
    EXPECT_FALSE(run.stages[0].table2[0].cq);
    EXPECT_DOUBLE_EQ(run.stages[2].table2[0].atotal, 544030);
    EXPECT_TRUE(run.stages[2].table3.empty());
    EXPECT_FALSE(run.stages[2].sternVolmer.present);
    EXPECT_EQ(run.stages[2].summary->method, SummaryMethod::ComponentFit);
    EXPECT_EQ(run.firstPass.asRead.values[0].size(), 121u);  // 300-420 nm
}

TEST(ResultsReader, LineFeedsAloneReadTheSame) {
    for (const char* name : {"series", "single"}) {
        const ReportTexts crlf = goldenReports(name);
        ReportTexts lf = crlf;
        lf.result = withoutCr(lf.result);
        lf.graph = withoutCr(lf.graph);
        lf.summary = withoutCr(lf.summary);
        const RunReports a = readReports(crlf);
        const RunReports b = readReports(lf);
        EXPECT_TRUE(b.complete) << name;
        EXPECT_EQ(modelText(a), modelText(b)) << name;
    }
}

// A run that fails part-way leaves its reports cut anywhere: after any line,
// or inside one when the last write never got its line end. Each cut reads
// without error, as not complete, with what stands before the cut.
TEST(ResultsReader, ReportsCutAnywhereReadAsEndingEarly) {
    for (const char* name : {"series", "single"}) {
        const ReportTexts full = goldenReports(name);
        const std::string fullModel = modelText(readReports(full));
        for (int which = 0; which < 3; ++which) {
            std::string ReportTexts::*member = which == 0   ? &ReportTexts::result
                                               : which == 1 ? &ReportTexts::graph
                                                            : &ReportTexts::summary;
            const std::string& text = full.*member;
            const int lines = lineCount(text);
            for (int k = 0; k < lines; ++k) {
                for (bool inside : {false, true}) {
                    // Inside every third line: enough to meet every kind of line.
                    if (inside && k % 3 != 0) continue;
                    ReportTexts cut = full;
                    std::string head = firstLines(text, k);
                    if (inside) {
                        // Part of the next line, without its line end.
                        const std::string next = firstLines(text, k + 1).substr(head.size());
                        head += next.substr(0, std::min<std::size_t>(5, next.size() - 1));
                    }
                    cut.*member = head;
                    RunReports run;
                    ASSERT_NO_THROW(run = readReports(cut)) << name << " report " << which << " cut at " << k;
                    EXPECT_FALSE(run.complete) << name << " report " << which << " cut at " << k;
                    // The end of the cut report is named by its file and its last line.
                    const ReportEnd& end = which == 0 ? run.result : which == 1 ? run.graph : run.summary;
                    const std::string& path = which == 0   ? cut.paths.result
                                              : which == 1 ? cut.paths.graph
                                                           : cut.paths.summary;
                    EXPECT_EQ(end.path, path);
                    EXPECT_EQ(end.lines, k + (inside ? 1 : 0)) << name << " report " << which << " cut at " << k;
                    EXPECT_FALSE(end.where.empty());
                }
            }
        }
        EXPECT_EQ(fullModel, modelText(readReports(full)));
    }
}

TEST(ResultsReader, CutInsideATableKeepsItsRowsAndSaysWhere) {
    ReportTexts t = goldenReports("series");
    // The results report up to the first spectrum's rows in Table 2 of VELA-III.
    const std::size_t at = t.result.find(" .05    1           32.9");
    ASSERT_NE(at, std::string::npos);
    t.result = t.result.substr(0, at);
    // The graph and summary reports as the same failed run would leave them:
    // up to the heading of VELA-III, and before its block.
    t.graph = t.graph.substr(0, t.graph.find("SUBPROGRAMM VELA-III") + 22);
    t.summary = t.summary.substr(0, t.summary.find("VELA- 3"));
    const RunReports run = readReports(t);
    EXPECT_FALSE(run.complete);
    ASSERT_EQ(run.stages.size(), 4u);
    const Stage& s = run.stages[3];
    EXPECT_EQ(s.table1.size(), 3u);
    ASSERT_EQ(s.table2.size(), 1u);
    EXPECT_EQ(s.table2[0].components.size(), 3u);
    EXPECT_FALSE(s.summary);
    EXPECT_TRUE(s.table3.empty());
    EXPECT_EQ(run.result.where, "Table 2 of VELA-III");
    EXPECT_EQ(run.graph.where, "the heading of VELA-III");
    EXPECT_NE(run.summary.where.find("did not reach the legend"), std::string::npos);
    // The stages before are whole.
    EXPECT_TRUE(run.stages[2].summary);
    EXPECT_EQ(run.stages[2].theoretical.values.size(), 10u);
}

struct Damage {
    const char* what;
    std::string ReportTexts::*member;
    std::string from, to;
    int line;
};

TEST(ResultsReader, ALineThatCannotBePlacedNamesFileAndLine) {
    const std::vector<Damage> damages{
        {"stray text", &ReportTexts::result, "T A B L E 3\r\n", "T A B L E 3\r\nhello\r\n", 55},
        {"a number not in the reports' text", &ReportTexts::result, " 1                332.9",
         " 1                0332.9", 73},
        {"a column moved", &ReportTexts::result, " 2                346.1     1.4",
         " 2                346.1    1.4", 14},
        {"a row without its closing comma", &ReportTexts::graph, ",.45,\r\n1,1.145", ",.45\r\n1,1.145", 59},
        {"a value that is not a number", &ReportTexts::graph, "916.1,1096.3,", "916.1,10x96.3,", 5},
        {"an unknown heading", &ReportTexts::graph, "THEORETICAL SPECTRA, from 305 to 400, Step 1nm",
         "THEORETICAL SPECTRA, from 305 to 401, Step 1nm", 77},
        {"a wrong class column", &ReportTexts::summary, "55.9 +/- .2     S or I", "55.9 +/- .2    S or I", 6},
        {"a line after the legend", &ReportTexts::summary, "spectral classes \r\n\r\n",
         "spectral classes \r\n\r\nmore\r\n", 25},
    };
    for (const Damage& d : damages) {
        ReportTexts t = goldenReports("series");
        std::string& text = t.*(d.member);
        const std::size_t at = text.find(d.from);
        ASSERT_NE(at, std::string::npos) << d.what;
        text.replace(at, d.from.size(), d.to);
        try {
            readReports(t);
            ADD_FAILURE() << d.what << ": no error";
        } catch (const ReportError& e) {
            const std::string& path = d.member == &ReportTexts::result  ? t.paths.result
                                      : d.member == &ReportTexts::graph ? t.paths.graph
                                                                        : t.paths.summary;
            EXPECT_EQ(e.path(), path) << d.what;
            EXPECT_EQ(e.line(), d.line) << d.what << ": " << e.what();
            EXPECT_EQ(std::string(e.what()).rfind(path + ", line " + std::to_string(d.line) + ": ", 0), 0u)
                << e.what();
        }
    }
}

// quenfit prints a stage's heading at the end of the stage before; when
// VELA-I finds no solution, VELA-II has no heading of its own, and its graph
// sections stand under the heading of VELA-I.
TEST(ResultsReader, StageAfterAnAbsentOneHasNoHeadingOfItsOwn) {
    ReportTexts t = goldenReports("series");
    const auto cut = [](std::string& text, const std::string& from, const std::string& through,
                        const std::string& by) {
        const std::size_t a = text.find(from);
        const std::size_t b = text.find(through, a) + through.size();
        text.replace(a, b - a, by);
    };
    const std::string rule77(77, '-');
    cut(t.result, "\r\nT A B L E 1", "SUBPROGRAMM VELA-II\r\n",
        "MONOCOMPONENT SOLUTION IS ABSENT!\r\n" + rule77 + "\r\n");
    cut(t.graph, "SMOOTHED NORMALIZED CORRECTED EXPERIMENTAL SPECTRA, from 320 to 380 Step",
        "SUBPROGRAMM VELA-II\r\n", "");
    cut(t.summary, "VELA- 1", std::string(79, '-') + "\r\n",
        "MONOCOMPONENT SOLUTION IS ABSENT!\r\n" + std::string(79, '-') + "\r\n");
    const RunReports run = readReports(t);
    EXPECT_TRUE(run.complete) << run.result.where << " / " << run.graph.where;
    ASSERT_EQ(run.stages.size(), 4u);
    EXPECT_EQ(run.stages[1].outcome, Outcome::Absent);
    EXPECT_TRUE(run.stages[1].summary->absent);
    EXPECT_EQ(run.stages[1].summary->components, 1);
    EXPECT_TRUE(run.stages[1].theoretical.values.empty());
    const Stage& vela2 = run.stages[2];
    EXPECT_EQ(vela2.kind, StageKind::Vela2);
    EXPECT_EQ(vela2.components, 2);
    EXPECT_EQ(vela2.firstSpectrumComponents.values.size(), 2u);
    EXPECT_DOUBLE_EQ(*vela2.graphDiscriminant, 0.08);
    EXPECT_EQ(vela2.summary->components, 2);
}

TEST(ResultsReader, ReportsOfTwoDifferentRunsAreRefused) {
    ReportTexts t = goldenReports("series");
    t.summary = goldenReports("single").summary;
    EXPECT_THROW(readReports(t), ReportError);
}

}  // namespace
}  // namespace qf::results
