// What a batch says about its runs must be true: a run that finished with
// the warning of numbers after the measured standard (a file with decimal
// commas) is suspect, not ok, and stays out of the merged tables; --resume
// rebuilds the tables over every run folder; names and titles in Latin-1
// give valid UTF-8 everywhere and links that lead to their folders; and the
// command line refuses what it cannot run before making any folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <set>
#include <sys/wait.h>

#include "batch/index_figure.h"
#include "batch/index_page.h"
#include "batch/result_tables.h"
#include "batch/run_folder.h"
#include "batch/run_table.h"
#include "figures/report_texts.h"
#include "results/tables.h"
#include "textio/csv_text.h"
#include "textio/failure.h"
#include "support/test_support.h"

namespace qf::batch {
namespace {

namespace fs = std::filesystem;
using qf::testing::readFile;
using qf::testing::ScratchDir;
using qf::testing::sourcePath;
using qf::testing::writeFile;

int shell(const fs::path& dir, const std::string& args, std::string* out = nullptr, std::string* err = nullptr) {
    const std::string cmd =
        "cd '" + dir.string() + "' && '" + QF_TRPFIT_EXE + "' " + args + " >.stdout 2>.stderr";
    const int status = std::system(cmd.c_str());
    if (out != nullptr) *out = readFile(dir / ".stdout");
    if (err != nullptr) *err = readFile(dir / ".stderr");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::map<std::string, RunRecord> runsTable(const fs::path& outDir) {
    std::map<std::string, RunRecord> byFile;
    for (const RunRecord& r : readRunsCsv(readFile(outDir / "runs.csv"), "runs.csv")) byFile[r.file] = r;
    return byFile;
}

std::set<std::string> firstColumn(const fs::path& csv) {
    const text::CsvTable rows = text::CsvTable::parse(readFile(csv), csv.string());
    std::set<std::string> files;
    for (std::size_t i = 0; i < rows.size(); ++i) files.insert(rows.fields(i).front());
    return files;
}

// The example spectrum with its measured standard written with decimal
// commas: monofit finishes, warning of numbers after the standard.
std::string decimalCommaStandard() {
    std::string text = readFile(sourcePath("examples/single.dat"));
    std::size_t line = 0, at = 0;
    for (; line < 15 && at != std::string::npos; ++line) at = text.find('\n', at) + 1;
    for (std::size_t i = at; i < text.size(); ++i) {
        if (text[i] == '.') text[i] = ',';
    }
    return text;
}

TEST(BatchStatus, DecimalCommasMakeASuspectRunKeptOutOfTheTables) {
    ScratchDir dir;
    const fs::path d = dir.path();
    fs::copy_file(sourcePath("examples/single.dat"), d / "good.dat");
    writeFile(d / "commas.dat", decimalCommaStandard());
    // A series whose phase-plane stage finds no solution: a warning, still ok.
    fs::copy_file(sourcePath("fuzz/corpus/quenfit/tiny.dat"), d / "tiny.dat");
    std::string out, err;
    EXPECT_EQ(shell(d, "run -j 2 --quiet -o out good.dat commas.dat tiny.dat", &out, &err), 1) << err;
    auto runs = runsTable(d / "out");
    EXPECT_EQ(runs["good.dat"].status, RunStatus::Ok);
    EXPECT_EQ(runs["tiny.dat"].status, RunStatus::Ok);
    EXPECT_NE(runs["tiny.dat"].warnings, "");
    const RunRecord& commas = runs["commas.dat"];
    EXPECT_EQ(commas.status, RunStatus::Suspect);
    EXPECT_EQ(commas.exitStatus, "0");
    EXPECT_NE(commas.warnings.find("after the measured standard"), std::string::npos) << commas.warnings;
    EXPECT_NE(err.find("commas.dat: suspect"), std::string::npos) << err;
    EXPECT_EQ(out, "trpfit: 3 data files: 2 analysed, 1 suspect, 0 failed; 3 run now. Index: out/index.html\n");

    // Kept in its folder with its page, shown as suspect, out of the tables.
    EXPECT_TRUE(fs::exists(d / "out" / "commas" / "report.html"));
    const std::string index = readFile(d / "out" / "index.html");
    EXPECT_NE(index.find("href=\"commas/report.html\""), std::string::npos);
    EXPECT_NE(index.find("<td class=\"suspect\">suspect</td>"), std::string::npos);
    EXPECT_EQ(index.find("commas.dat: VELA"), std::string::npos);  // not in the figure
    for (const char* table : {"components.csv", "contributions.csv"}) {
        EXPECT_EQ(firstColumn(d / "out" / table).count("commas.dat"), 0u) << table;
        EXPECT_EQ(firstColumn(d / "out" / table).count("good.dat"), 1u) << table;
    }

    // --resume keeps it as it is (nothing to run again) and keeps saying so.
    EXPECT_EQ(shell(d, "run --quiet --resume -o out good.dat commas.dat tiny.dat", &out, &err), 1);
    EXPECT_NE(out.find("1 suspect, 0 failed; 0 run now."), std::string::npos) << out;
}

TEST(BatchStatus, ResumeWithFewerInputsKeepsEveryRunFolderInTheTables) {
    ScratchDir dir;
    const fs::path d = dir.path();
    fs::copy_file(sourcePath("examples/single.dat"), d / "a.dat");
    fs::copy_file(sourcePath("examples/single.dat"), d / "b.dat");
    ASSERT_EQ(shell(d, "run --quiet -o out a.dat b.dat"), 0);
    const std::string components = readFile(d / "out" / "components.csv");
    std::string out;
    EXPECT_EQ(shell(d, "run --quiet --resume -o out a.dat", &out), 0);
    EXPECT_NE(out.find("2 data files: 2 analysed"), std::string::npos) << out;
    EXPECT_EQ(runsTable(d / "out").size(), 2u);
    EXPECT_EQ(readFile(d / "out" / "components.csv"), components);
    EXPECT_NE(readFile(d / "out" / "index.html").find("href=\"b/report.html\""), std::string::npos);
}

bool isUtf8(const std::string& text) { return results::validUtf8(text) == text; }

std::string percentDecoded(const std::string& href) {
    std::string out;
    for (std::size_t i = 0; i < href.size(); ++i) {
        if (href[i] == '%' && i + 2 < href.size()) {
            out += static_cast<char>(std::stoi(href.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += href[i];
        }
    }
    return out;
}

TEST(BatchStatus, Latin1NamesAndTitlesGiveUtf8AndLinksThatResolve) {
    ScratchDir dir;
    const fs::path d = dir.path();
    const std::string latin1Folder = "mesures \xe9t\xe9";
    fs::create_directories(d / latin1Folder);
    std::string text = readFile(sourcePath("examples/single.dat"));
    text.replace(0, text.find('\n'), "Prot\xe9" "ine \xe0 25 \xb0" "C");
    writeFile(d / latin1Folder / "donn\xe9" "es.dat", text);
    fs::copy_file(sourcePath("examples/single.dat"), d / latin1Folder / "caf\xc3\xa9.dat");  // UTF-8 name
    writeFile(d / latin1Folder / "\xb5notes.dat", "Une ligne\nsans nombres\n");
    EXPECT_EQ(shell(d, "run --quiet -o out '" + latin1Folder + "'"), 1);

    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(d / "out")) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".csv" && ext != ".html" && ext != ".svg")) continue;
        EXPECT_TRUE(isUtf8(readFile(entry.path()))) << entry.path();
        ++files;
    }
    EXPECT_GT(files, 20);
    const std::string runs = readFile(d / "out" / "runs.csv");
    EXPECT_NE(runs.find("donn\xef\xbf\xbd" "es.dat"), std::string::npos);
    EXPECT_NE(runs.find("caf\xc3\xa9.dat"), std::string::npos);
    const std::string page = readFile(d / "out" / "donn\xe9" "es" / "report.html");
    EXPECT_NE(page.find("Prot\xef\xbf\xbd" "ine"), std::string::npos);

    // Every link of the index leads to a file.
    const std::string index = readFile(d / "out" / "index.html");
    const std::regex link("href=\"([^\"#]+)\"");
    int links = 0;
    for (auto it = std::sregex_iterator(index.begin(), index.end(), link); it != std::sregex_iterator(); ++it) {
        EXPECT_TRUE(fs::is_regular_file(d / "out" / percentDecoded((*it)[1]))) << (*it)[1];
        ++links;
    }
    EXPECT_EQ(links, 2);

    // Merged (as the shards of a batch are), the links still lead there.
    EXPECT_EQ(shell(d, "run --merge -o merged out"), 1);
    const std::string merged = readFile(d / "merged" / "index.html");
    EXPECT_TRUE(isUtf8(merged));
    EXPECT_TRUE(isUtf8(readFile(d / "merged" / "runs.csv")));
    links = 0;
    for (auto it = std::sregex_iterator(merged.begin(), merged.end(), link); it != std::sregex_iterator(); ++it) {
        EXPECT_TRUE(fs::is_regular_file(d / "merged" / percentDecoded((*it)[1]))) << (*it)[1];
        ++links;
    }
    EXPECT_EQ(links, 2);
}

TEST(BatchStatus, CommandLineRefusesBeforeMakingAnyFolder) {
    ScratchDir dir;
    const fs::path d = dir.path();
    fs::copy_file(sourcePath("examples/single.dat"), d / "a.dat");
    std::string err;
    EXPECT_EQ(shell(d, "run -j 0 -o out a.dat", nullptr, &err), 2);
    EXPECT_NE(err.find("-j must be at least 1"), std::string::npos) << err;
    EXPECT_EQ(shell(d, "run -o out a.dat no-such.dat", nullptr, &err), 2);
    EXPECT_NE(err.find("no-such.dat: no such file or folder"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(d / "out"));
    EXPECT_EQ(shell(d, "runn a.dat", nullptr, &err), 2);
    EXPECT_NE(err.find("the commands are import, report, run"), std::string::npos) << err;
}

// The index of runs a page holds in memory: the same table and figure, the
// positions of ok runs only.
TEST(BatchStatus, IndexOfRunsHeldInMemory) {
    std::vector<IndexRun> runs;
    for (const char* name : {"series", "single"}) {
        figures::ReportTextsInput in;
        in.result = readFile(sourcePath(std::string("tests/golden/") + name + "_Result.txt"));
        in.graph = readFile(sourcePath(std::string("tests/golden/") + name + "_Graph.txt"));
        in.summary = readFile(sourcePath(std::string("tests/golden/") + name + "_Summary.txt"));
        in.fileLabel = std::string(name) + ".dat";
        const figures::ReportPageTexts made = figures::reportPageFromTexts(in);
        ASSERT_TRUE(made.ok) << made.message;
        IndexRun run;
        run.record.file = in.fileLabel;
        run.record.program = name == std::string("series") ? "quenfit" : "monofit";
        run.record.status = name == std::string("series") ? RunStatus::Ok : RunStatus::Suspect;
        run.pageLink = std::string(name) + "/report.html";
        run.componentsCsv = made.tables.front().text;
        runs.push_back(run);
    }
    const std::string page = indexPageOfRuns(runs);
    EXPECT_TRUE(isUtf8(page));
    EXPECT_NE(page.find("1 analysed, 1 suspect, 0 failed."), std::string::npos);
    EXPECT_NE(page.find("href=\"single/report.html\""), std::string::npos);
    EXPECT_NE(page.find("series.dat: VELA-III"), std::string::npos);
    EXPECT_EQ(page.find("single.dat: VELA"), std::string::npos);
}

// The index figure reads the components table by its column names: a
// renamed column is a failure naming the table, line 1 and the column, not
// a figure silently left out.
TEST(BatchStatus, RenamedComponentColumnIsAFailureNotAMissingFigure) {
    const std::string golden = readFile(sourcePath("tests/golden/series_components.csv"));
    CombinedTable components(componentsHeading());
    components.addRunText("series.dat", golden, "series/components.csv");
    std::vector<RunRecord> records(1);
    records[0].file = "series.dat";
    records[0].status = RunStatus::Ok;
    const std::string figure = componentPositionsSvg(components.table(records, "components.csv"));
    EXPECT_NE(figure.find("series.dat: VELA-III"), std::string::npos);

    std::string renamed = golden;
    renamed.replace(renamed.find(",L_nm,"), 6, ",L,");
    const text::CsvTable table = text::CsvTable::parse(renamed, "out/components.csv");
    try {
        componentPositionsSvg(table);
        ADD_FAILURE() << "no failure for a renamed column";
    } catch (const FileFailure& f) {
        EXPECT_STREQ(f.what(), "out/components.csv, line 1: the heading has no column \"L_nm\"");
    }
    // A run's table with another heading does not join the batch's tables.
    try {
        components.addRunText("other.dat", renamed, "other/components.csv");
        ADD_FAILURE() << "no failure for another heading";
    } catch (const FileFailure& f) {
        EXPECT_STREQ(f.what(), "other/components.csv, line 1: not the heading of this table");
    }
    IndexRun run;
    run.record = records[0];
    run.record.folder = "series";
    run.componentsCsv = renamed;
    EXPECT_THROW(indexPageOfRuns({run}), FileFailure);
}

}  // namespace
}  // namespace qf::batch
