// The summary blocks in plain terms: a block holds its method, its
// component count or its absence, and classify's spectral classes; the label
// of its first line is spelled from the method and the run's program by the
// line functions the programs write with. The reader takes the program a
// label spells from the label and refuses a block whose spelling or class
// the programs would not write, naming the file and the line.
#include <gtest/gtest.h>

#include "results/report_assembler.h"
#include "results/report_events.h"
#include "results/report_reader.h"
#include "support/golden_reports.h"
#include "support/test_support.h"

namespace qf::results {
namespace {

using qf::testing::goldenReports;
using qf::testing::rendered;
using qf::testing::readFile;
using qf::testing::sourcePath;

std::string blockText(const SummaryBlock& b, Program program) {
    return rendered([&](ReportSink& out) {
        if (b.absent) {
            writeFixedLine(out, b.method == SummaryMethod::PhasePlane ? FixedLine::SummaryTarnoAbsent
                                                                      : absenceLine(b.components));
            return;
        }
        writeSummaryStageCells(out, stageCells(b, program));
        for (const SummaryComponent& c : b.rows) writeSummaryComponentCells(out, componentCells(c));
    });
}

// A summary report holding `blocks`, each closed by its rule.
std::string summaryText(const std::vector<std::pair<SummaryBlock, Program>>& blocks) {
    std::string text = "title\r\ndate\r\n\r\n" + rendered([](ReportSink& out) {
                           writeFixedLine(out, FixedLine::SummaryHeading);
                           writeRule(out, '-', 79);
                       });
    for (const auto& [b, program] : blocks) {
        text += blockText(b, program) + rendered([](ReportSink& out) { writeRule(out, '-', 79); });
    }
    return text;
}

SummaryBlock block(SummaryMethod method, int components, std::vector<SpectralClass> classes) {
    SummaryBlock b;
    b.method = method;
    b.components = components;
    b.discriminant = 0.25;
    b.nsc = 3;
    for (std::size_t k = 0; k < classes.size(); ++k) {
        SummaryComponent c;
        c.component = static_cast<int>(k) + 1;
        c.lNm = 320.5 + 10.0 * static_cast<double>(k);
        c.lError = 0.5;
        c.sPercent = 40;
        c.sSd = 2;
        c.spectralClass = classes[k];
        b.rows.push_back(c);
    }
    return b;
}

SummaryRead readSummary(const std::string& text) {
    const LexedReport lexed = lexSummaryReport("s.txt", text);
    Place place;
    return assembleSummary(lexed, place);
}

// Every method in both programs' spellings, and every class, read back as
// written: the labels and class names exist only in the line functions and
// classify, and the reader finds them there.
TEST(SummaryBlocks, TypedBlocksRoundTripThroughTheLineFunctions) {
    const std::vector<SpectralClass> all(kSpectralClasses.begin(), kSpectralClasses.end());
    std::vector<std::pair<SummaryBlock, Program>> blocks{
        {block(SummaryMethod::PhasePlane, 2, {SpectralClass::A, SpectralClass::AorS}), Program::Quenfit},
        {block(SummaryMethod::ComponentFit, 3, {SpectralClass::S, SpectralClass::SorI, SpectralClass::I}),
         Program::Quenfit},
        {block(SummaryMethod::ComponentFit, 3, {SpectralClass::IorII, SpectralClass::II, SpectralClass::IIorIII}),
         Program::Monofit},
        {block(SummaryMethod::ComponentFit, 2, {SpectralClass::III, SpectralClass::WrongComponent}),
         Program::Monofit},
    };
    SummaryBlock tarnoAbsent = block(SummaryMethod::PhasePlane, 2, {});
    tarnoAbsent.absent = true;
    SummaryBlock twoAbsent = block(SummaryMethod::ComponentFit, 2, {});
    twoAbsent.absent = true;
    blocks.emplace_back(tarnoAbsent, Program::Quenfit);
    blocks.emplace_back(twoAbsent, Program::Quenfit);

    const std::string text = summaryText(blocks);
    const SummaryRead read = readSummary(text);
    ASSERT_EQ(read.blocks.size(), blocks.size());
    std::size_t classesSeen = 0;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const SummaryBlock& want = blocks[i].first;
        const SummaryBlockRead& got = read.blocks[i];
        EXPECT_EQ(got.block.method, want.method) << i;
        EXPECT_EQ(got.block.components, want.components) << i;
        EXPECT_EQ(got.block.absent, want.absent) << i;
        ASSERT_EQ(got.block.rows.size(), want.rows.size()) << i;
        for (std::size_t k = 0; k < want.rows.size(); ++k) {
            EXPECT_EQ(got.block.rows[k].spectralClass, want.rows[k].spectralClass) << i << " " << k;
            ++classesSeen;
        }
        // The label tells the program; a bare absence line tells none.
        if (want.absent && want.method == SummaryMethod::ComponentFit) {
            EXPECT_FALSE(got.spelledFor) << i;
        } else {
            EXPECT_EQ(got.spelledFor, blocks[i].second) << i;
        }
        // Written again from what was read, the block gives its lines back.
        EXPECT_NE(text.find(blockText(got.block, got.spelledFor.value_or(Program::Quenfit))), std::string::npos)
            << i;
    }
    EXPECT_EQ(classesSeen, all.size());
}

// quenfit and monofit spell a component fit's label differently; a
// monofit run whose summary holds quenfit's spelling is refused at that line.
TEST(SummaryBlocks, ALabelInTheOtherProgramsSpellingIsRefusedAtItsLine) {
    for (const auto& [run, spelledAs] : {std::pair{"single", Program::Quenfit}, std::pair{"series", Program::Monofit}}) {
        ReportTexts t = goldenReports(run);
        const RunReports before = readReports(t);
        ASSERT_TRUE(before.program);
        const Stage& stage = before.stages[1];
        ASSERT_TRUE(stage.summary);
        const std::string original = blockText(*stage.summary, *before.program);
        const std::string first = original.substr(0, original.find("\r\n") + 2);
        const std::string other = blockText(*stage.summary, spelledAs);
        const std::string otherFirst = other.substr(0, other.find("\r\n") + 2);
        ASSERT_NE(first, otherFirst);
        const std::size_t at = t.summary.find(first);
        ASSERT_NE(at, std::string::npos) << run;
        t.summary.replace(at, first.size(), otherFirst);
        int line = 1;
        for (std::size_t i = 0; i < at; ++i) line += t.summary[i] == '\n';
        try {
            readReports(t);
            ADD_FAILURE() << run << ": no error";
        } catch (const ReportError& e) {
            EXPECT_EQ(e.path(), t.paths.summary) << run;
            EXPECT_EQ(e.line(), line) << run;
            EXPECT_EQ(e.cause(), "the reports mix quenfit and monofit") << run;
        }
    }
}

// Only the classes classify knows are read; anything else is a line the
// programs do not write.
TEST(SummaryBlocks, AClassTheProgramsDoNotPrintIsRefusedAtItsLine) {
    for (const char* wrong : {"IV", "Wrong comp", "s or i", "S or I "}) {
        ReportTexts t = goldenReports("series");
        const std::string from = "57.1 +/- 2      S or I\r\n";
        const std::size_t at = t.summary.find(from);
        ASSERT_NE(at, std::string::npos);
        t.summary.replace(at, from.size(), "57.1 +/- 2      " + std::string(wrong) + "\r\n");
        try {
            readReports(t);
            ADD_FAILURE() << wrong << ": no error";
        } catch (const ReportError& e) {
            EXPECT_EQ(e.path(), t.paths.summary) << wrong;
            EXPECT_EQ(e.line(), 11) << wrong << ": " << e.what();
        }
    }
}

// A stage's absence line names the component count the stage searches for;
// a line naming another count is not one the programs write there.
TEST(SummaryBlocks, AnAbsenceLineForAnotherComponentCountIsRefused) {
    ReportTexts t = goldenReports("series");
    const std::string rule77(77, '-');
    // VELA-I's tables replaced by the absence line of a three-component search.
    const std::size_t a = t.result.find("\r\nT A B L E 1", t.result.find("SUBPROGRAMM VELA-I\r\n"));
    const std::size_t heading = t.result.find("SUBPROGRAMM VELA-II\r\n", a);
    ASSERT_NE(a, std::string::npos);
    ASSERT_NE(heading, std::string::npos);
    const std::size_t b = t.result.rfind('\n', heading) + 1;
    t.result.replace(a + 2, b - a - 2, absenceText(3) + "\r\n" + rule77 + "\r\n");
    int line = 1;
    for (std::size_t i = 0; i < a + 2; ++i) line += t.result[i] == '\n';
    try {
        readReports(t);
        ADD_FAILURE() << "no error";
    } catch (const ReportError& e) {
        EXPECT_EQ(e.path(), t.paths.result);
        EXPECT_EQ(e.line(), line) << e.what();
        EXPECT_EQ(e.cause(), "an absence line out of place");
    }
}

// monofit's second VELA-MONO-II heading fits three components: its absence
// is the three-component line, which the page and the tables take from the
// line functions.
TEST(SummaryBlocks, TheFallBackStageSearchesForThreeComponents) {
    Stage first;
    first.kind = StageKind::VelaMono2;
    Stage again = first;
    again.occurrence = 2;
    EXPECT_EQ(searchedComponents(first), 2);
    EXPECT_EQ(searchedComponents(again), 3);
    EXPECT_EQ(absenceText(searchedComponents(again)), "THREE-COMPONENT SOLUTION IS ABSENT!");
    EXPECT_EQ(absenceText(1), "MONOCOMPONENT SOLUTION IS ABSENT!");
    Stage tarno;
    EXPECT_EQ(absenceText(searchedComponents(tarno)), "TWO-COMPONENT SOLUTION IS ABSENT!");
}

}  // namespace
}  // namespace qf::results
