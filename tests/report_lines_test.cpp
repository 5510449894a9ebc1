// One layout for writing and reading the reports: a line the programs
// write through textio/report_lines is read back by the reader through the
// same function, so a row written with other values is read with them, and
// a line that stands where no report puts it is refused at its own line.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "results/report_reader.h"
#include "support/golden_reports.h"
#include "support/test_support.h"
#include "textio/failure.h"
#include "textio/fpcheck.h"
#include "textio/report_lines.h"
#include "textio/rounding.h"

namespace qf::results {
namespace {

using qf::testing::goldenReports;
using qf::testing::rendered;
using qf::testing::readFile;
using qf::testing::sourcePath;

// Replaces the whole line that starts at `at` (its line end included) by `line`.
void replaceLine(std::string& text, std::size_t at, const std::string& line) {
    const std::size_t end = text.find('\n', at) + 1;
    text.replace(at, end - at, line);
}

int lineAt(const std::string& text, std::size_t at) {
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
}

// Every sink lays a line out alike: the report file's writer and the
// reader's buffer give the same bytes, tabs, zones and sign places included.
TEST(ReportLines, WriterAndBufferLayTheSameLines) {
    const auto both = [](auto write) {
        ReportWriter file;
        file.openInMemory("report file");
        write(file);
        EXPECT_EQ(file.memory(), rendered(write));
        return file.memory();
    };
    EXPECT_EQ(both([](ReportSink& o) { writeTable1Row(o, {2, 346.1, 1.4, 28893, -117}); }),
              " 2                346.1     1.4            28893    -117 \r\n");
    both([](ReportSink& o) { writeTable2Row(o, {0.05, 1, 32.9, 0.4, 1234, 3750}); });
    both([](ReportSink& o) { writeTable3Row(o, {1, true, 8.4, 0.25, 50, 1.5, 1.01, 0.998}); });
    EXPECT_EQ(both([](ReportSink& o) {
                  writeQuencherLine(o, QuencherLabel::Activity, std::vector<double>{0, 0.05, -0.1});
              }),
              "Quencher Chemical Activities, M: 0         .05          -.1           \r\n");
    both([](ReportSink& o) {
        writeSummaryStageCells(o, {SummaryMethod::ComponentFit, Program::Monofit, 3, 1.25, 4});
        writeSummaryComponentCells(o, {1, 331.2, 0.4, 55.9, 0.2, "S or I"});
    });
    for (int i = 0; i < kFixedLineCount; ++i) both([i](ReportSink& o) { writeFixedLine(o, static_cast<FixedLine>(i)); });
}

// The reader tells the fixed lines apart by their text alone.
TEST(ReportLines, FixedLinesAreDistinct) {
    std::set<std::string> texts;
    for (int i = 0; i < kFixedLineCount; ++i) {
        texts.insert(rendered([i](ReportSink& o) { writeFixedLine(o, static_cast<FixedLine>(i)); }));
    }
    EXPECT_EQ(texts.size(), static_cast<std::size_t>(kFixedLineCount));
}

// Each program's component fits have headings of their own, in the order of
// the component counts, and no two stages share a name.
TEST(ReportLines, StageHeadingsNameEachStageOnce) {
    EXPECT_EQ(stageHeadingName(componentFitHeading(Program::Quenfit, 1)), "VELA-I");
    EXPECT_EQ(stageHeadingName(componentFitHeading(Program::Quenfit, 3)), "VELA-III");
    EXPECT_EQ(stageHeadingName(componentFitHeading(Program::Monofit, 1)), "VELA-MONO-I");
    EXPECT_EQ(stageHeadingName(componentFitHeading(Program::Monofit, 2)), "VELA-MONO-II");
    EXPECT_EQ(stageHeadingName(componentFitHeading(Program::Monofit, 3)), "VELA-MONO-III");
    std::set<std::string> lines;
    for (int i = 0; i <= static_cast<int>(StageHeading::VelaMono3); ++i) {
        const std::string_view name = stageHeadingName(static_cast<StageHeading>(i));
        lines.insert(rendered([name](ReportSink& o) { writeStageHeadingLine(o, name); }));
    }
    EXPECT_EQ(lines.size(), 7u);
    for (const std::string& line : lines) EXPECT_EQ(line.find("SUBPROGRAMM "), 39u) << line;
}

// A value computed as its line is written spoils nothing before it: the
// report's writer stops the run before the number that carries an overflow,
// and work run before a value row's line end stops it before that line end.
TEST(ReportLines, AnArithmeticFailureStopsTheLineBeforeTheItemItSpoils) {
    const auto stopped = [](auto write) {
        fp::clear();
        ReportWriter file;
        file.openInMemory("report file");
        std::string message;
        try {
            write(file);
        } catch (const RunFailure& e) {
            message = e.what();
        }
        fp::clear();
        return std::pair{file.memory(), message};
    };
    const std::vector<double> concentrations{0.05, 1e306, 0.1};
    const auto [quencher, quencherWhy] = stopped([&](ReportSink& o) {
        writeQuencherLine(o, QuencherLabel::Concentration, 3,
                          [&](int x) { return roundSym(concentrations[static_cast<std::size_t>(x)], 4); });
    });
    std::string firstNumber = rendered([](ReportSink& o) {
        writeQuencherLine(o, QuencherLabel::Concentration, std::vector<double>{0.05});
    });
    firstNumber.resize(firstNumber.size() - 2);  // without the line end
    EXPECT_EQ(quencher, firstNumber);
    EXPECT_NE(quencherWhy.find("overflow"), std::string::npos) << quencherWhy;
    EXPECT_NE(quencherWhy.find("the number"), std::string::npos) << quencherWhy;

    int rowsEnded = 0;
    const auto [row, rowWhy] = stopped([&](ReportSink& o) {
        writeValueRow(o, 2, [](int x) { return x + 1.0; }, [](int) {}, [] { (void)fp::mul(1e300, 1e300); });
        ++rowsEnded;
    });
    EXPECT_EQ(row, "1,2,");
    EXPECT_EQ(rowsEnded, 0);
    EXPECT_NE(rowWhy.find("the end of a line"), std::string::npos) << rowWhy;
}

// A row written from a struct with one field changed, in place of the
// program's row, reads back with the changed value: the reader takes the
// line apart and accepts it because the same function lays it out again.
TEST(ReportLines, ARowWrittenWithOtherValuesReadsBackWithThem) {
    ReportTexts t = goldenReports("series");
    const RunReports before = readReports(t);
    const ComponentRow& c = before.stages[1].table1[0];
    Table1Row row{c.component, c.lNm, c.dlNm, c.vCm, c.dvCm};
    const std::string original = rendered([&](ReportSink& o) { writeTable1Row(o, row); });
    const std::size_t at = t.result.find(original);
    ASSERT_NE(at, std::string::npos) << original;
    // A wider, negative value moves every column after it.
    row.peakNmError = -12.345;
    replaceLine(t.result, at, rendered([&](ReportSink& o) { writeTable1Row(o, row); }));
    const RunReports after = readReports(t);
    EXPECT_TRUE(after.complete);
    EXPECT_DOUBLE_EQ(after.stages[1].table1[0].dlNm, -12.345);
    EXPECT_DOUBLE_EQ(after.stages[1].table1[0].vCm, c.vCm);

    // The same for a Table 3 row and a summary block's first line.
    const SternVolmerRow& v = before.stages[2].table3[1];
    Table3Row sv{v.component, false, v.ksv, v.ksvSd, v.ksvRelPercent, v.ksvRelSd, v.b, v.r};
    const std::size_t at3 = t.result.find(rendered([&](ReportSink& o) { writeTable3Row(o, sv); }));
    ASSERT_NE(at3, std::string::npos);
    sv.ksv = 123.75;
    replaceLine(t.result, at3, rendered([&](ReportSink& o) { writeTable3Row(o, sv); }));
    const SummaryBlock& b = *before.stages[2].summary;
    const SummaryComponent& s = b.rows[0];
    SummaryStageCells cells = stageCells(b, *before.program);
    SummaryComponentCells first = componentCells(s);
    const auto blockLine = [&] {
        return rendered([&](ReportSink& o) {
            writeSummaryStageCells(o, cells);
            writeSummaryComponentCells(o, first);
        });
    };
    const std::size_t atS = t.summary.find(blockLine());
    ASSERT_NE(atS, std::string::npos);
    cells.discriminant = 0.5;
    first.contributionSd = 10.25;
    replaceLine(t.summary, atS, blockLine());
    const RunReports again = readReports(t);
    EXPECT_TRUE(again.complete);
    EXPECT_DOUBLE_EQ(again.stages[2].table3[1].ksv, 123.75);
    EXPECT_DOUBLE_EQ(again.stages[2].summary->discriminant, 0.5);
    EXPECT_DOUBLE_EQ(again.stages[2].summary->rows[0].sSd, 10.25);
}

// Every kind of row laid out with Tab stops wraps when an item ends past
// the next stop: the writer ends the line there and goes on after the
// blanks up to the stop. Put in place of the program's row, the wrapped row
// reads back whole with its values; the report cut after its first line,
// or inside its continuation, reads as ending early.
struct Wrapped {
    const char* what;
    const char* run;
    std::string ReportTexts::*member;
    std::string original, wrapped;  // whole rows, line ends included
    std::function<double(const RunReports&)> readBack;
    double expected;
};

TEST(ReportLines, AWrappedRowOfEveryKindReadsBackWhole) {
    const RunReports series = readReports(goldenReports("series"));
    const RunReports single = readReports(goldenReports("single"));
    std::vector<Wrapped> cases;
    {
        const ComponentRow& c = series.stages[1].table1[0];
        Table1Row row{c.component, c.lNm, c.dlNm, c.vCm, c.dvCm};
        const std::string before = rendered([&](ReportSink& o) { writeTable1Row(o, row); });
        row.peakNmError = 1.23456789012345;
        cases.push_back({"Table 1", "series", &ReportTexts::result, before,
                         rendered([&](ReportSink& o) { writeTable1Row(o, row); }),
                         [](const RunReports& r) { return r.stages[1].table1[0].dlNm; }, row.peakNmError});
    }
    {
        const SpectrumContributions& g = series.stages[3].table2[1];
        const Contribution& c = g.components[0];
        Table2Row row{g.cq, 1, c.si, c.sd, c.ai, g.atotal};
        const std::string before = rendered([&](ReportSink& o) { writeTable2Row(o, row); });
        row.contribution = 32.9000000000001;
        cases.push_back({"Table 2 with Cq", "series", &ReportTexts::result, before,
                         rendered([&](ReportSink& o) { writeTable2Row(o, row); }),
                         [](const RunReports& r) { return r.stages[3].table2[1].components[0].sd; }, c.sd});
    }
    {
        const SpectrumContributions& g = single.stages[0].table2[0];
        const Contribution& c = g.components[0];
        Table2Row row{std::nullopt, 1, c.si, c.sd, c.ai, g.atotal};
        const std::string before = rendered([&](ReportSink& o) { writeTable2Row(o, row); });
        // Wrapped before Atotal: the first line alone has the form of a row without it.
        row.area = 305136.123456789;
        cases.push_back({"Table 2 of monofit", "single", &ReportTexts::result, before,
                         rendered([&](ReportSink& o) { writeTable2Row(o, row); }),
                         [](const RunReports& r) { return r.stages[0].table2[0].atotal; }, g.atotal});
    }
    {
        const SternVolmerRow& v = series.stages[2].table3[1];
        Table3Row row{v.component, false, v.ksv, v.ksvSd, v.ksvRelPercent, v.ksvRelSd, v.b, v.r};
        const std::string before = rendered([&](ReportSink& o) { writeTable3Row(o, row); });
        row.ksv = 123.456789012345;
        cases.push_back({"Table 3", "series", &ReportTexts::result, before,
                         rendered([&](ReportSink& o) { writeTable3Row(o, row); }),
                         [](const RunReports& r) { return r.stages[2].table3[1].ksv; }, row.ksv});
    }
    {
        const SummaryBlock& b = *series.stages[3].summary;
        SummaryStageCells stage = stageCells(b, Program::Quenfit);
        const SummaryComponentCells first = componentCells(b.rows[0]);
        const auto blockLine = [&] {
            return rendered([&](ReportSink& o) {
                writeSummaryStageCells(o, stage);
                writeSummaryComponentCells(o, first);
            });
        };
        const std::string before = blockLine();
        stage.discriminant = 0.123456789012345;
        cases.push_back({"a summary block's first line", "series", &ReportTexts::summary, before, blockLine(),
                         [](const RunReports& r) { return r.stages[3].summary->discriminant; },
                         stage.discriminant});
        SummaryComponentCells second = componentCells(b.rows[1]);
        const std::string beforeSecond = rendered([&](ReportSink& o) { writeSummaryComponentCells(o, second); });
        second.contribution = 44.1000000000001;
        cases.push_back({"a summary component line", "series", &ReportTexts::summary, beforeSecond,
                         rendered([&](ReportSink& o) { writeSummaryComponentCells(o, second); }),
                         [](const RunReports& r) { return r.stages[3].summary->rows[1].sPercent; },
                         second.contribution});
    }
    for (const Wrapped& w : cases) {
        ASSERT_NE(w.wrapped.find("\r\n"), w.wrapped.size() - 2) << w.what << ": the row does not wrap";
        ReportTexts t = goldenReports(w.run);
        std::string& text = t.*(w.member);
        const std::size_t at = text.find(w.original);
        ASSERT_NE(at, std::string::npos) << w.what;
        text.replace(at, w.original.size(), w.wrapped);
        RunReports run;
        ASSERT_NO_THROW(run = readReports(t)) << w.what;
        EXPECT_TRUE(run.complete) << w.what;
        EXPECT_DOUBLE_EQ(w.readBack(run), w.expected) << w.what;

        const std::size_t firstEnd = at + w.wrapped.find("\r\n") + 2;
        for (const std::size_t cut : {firstEnd, firstEnd + 20}) {
            ReportTexts c = t;
            (c.*(w.member)).resize(cut);
            ASSERT_NO_THROW(run = readReports(c)) << w.what << " cut at " << cut - at;
            EXPECT_FALSE(run.complete) << w.what;
        }
    }
}

struct Misplaced {
    const char* what;
    std::string ReportTexts::*member;
    std::string line;    // the line put in, with its line end
    std::string before;  // put in front of the first occurrence of this text
};

// A line the programs write, put where they never write it, is refused at
// that very line of that report.
TEST(ReportLines, AMisplacedLineIsNamedByFileAndLine) {
    const std::string table2Title = "T A B L E 2\r\n";
    const std::vector<std::pair<const char*, std::vector<Misplaced>>> runs{
        {"series",
         {
             {"a Table 2 before Table 1", &ReportTexts::result, table2Title, "T A B L E 1\r\n"},
             {"a Table 3 title in Table 2", &ReportTexts::result, "T A B L E 3\r\n", "Cq    N comp."},
             {"a quencher line among the stages", &ReportTexts::result,
              rendered([](ReportSink& o) {
                  writeQuencherLine(o, QuencherLabel::Concentration, std::vector<double>{0, 0.1});
              }),
              "T A B L E 1\r\n"},
             {"a Table 1 row before the discriminant", &ReportTexts::result,
              " 1                332.9     .5             29797     44 \r\n", "  GOODNESS"},
             {"a correction curve after the spectra", &ReportTexts::graph,
              "CORRECTION CURVE, from 310 to 400, Step  1 \r\n", "DISCRIMINANT"},
             {"normalized spectra in a stage", &ReportTexts::graph,
              "NORMALIZED CORRECTED EXPERIMENTAL SPECTRA, from 320 to 380, Step  1 \r\n", "THEORETICAL"},
             {"a rule before any discriminant", &ReportTexts::graph, std::string(77, '-') + "\r\n",
              "EXPERIMENTAL SPECTRA"},
             {"a second column heading", &ReportTexts::summary,
              "PROGRAMM    DISCR.  Nsc   N         Lm,nm             S,%        CLASS\r\n", "VELA- 2"},
             {"a component line after a closing rule", &ReportTexts::summary,
              std::string(26, ' ') + "2    346.1 +/- 1.4     44.1 +/- .2     II or III\r\n", "VELA- 3"},
         }},
        {"single",
         {
             {"a series' Table 2 explanation", &ReportTexts::result,
              "Quencher concentration (Cq, M), Contribution of each spectral components (Si, %), Standart "
              "deviation (s.d., %)\r\n",
              "Area under"},
             {"a legend line among the blocks", &ReportTexts::summary,
              rendered([](ReportSink& o) { writeFixedLine(o, FixedLine::Legend3); }), "VELA - 2"},
         }},
    };
    for (const auto& [run, cases] : runs) {
        for (const Misplaced& m : cases) {
            ReportTexts t = goldenReports(run);
            std::string& text = t.*(m.member);
            const std::size_t at = text.find(m.before);
            ASSERT_NE(at, std::string::npos) << m.what;
            const std::size_t lineStart = text.rfind('\n', at) + 1;
            text.insert(lineStart, m.line);
            const std::string& path = t.paths.*(m.member == &ReportTexts::result  ? &ReportPaths::result
                                                : m.member == &ReportTexts::graph ? &ReportPaths::graph
                                                                                  : &ReportPaths::summary);
            try {
                readReports(t);
                ADD_FAILURE() << m.what << ": no error";
            } catch (const ReportError& e) {
                EXPECT_EQ(e.path(), path) << m.what;
                EXPECT_EQ(e.line(), lineAt(text, lineStart)) << m.what << ": " << e.what();
            }
        }
    }
}

}  // namespace
}  // namespace qf::results
