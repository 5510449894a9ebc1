// The global fit in trpfit run: on by default, skipped with --no-fit, never
// for a suspect run; its tables per run, merged over the batch and over
// shards; the chosen component count in the index; the legacy reports the
// same with and without it. And the pieces that carry the legacy's answer
// into the fit and the fit's verdict into the index.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>

#include <sys/wait.h>

#include "batch/index_page.h"
#include "batch/run_fit.h"
#include "batch/run_table.h"
#include "results/report_reader.h"
#include "support/test_support.h"
#include "textio/failure.h"

namespace qf::batch {
namespace {

namespace fs = std::filesystem;
using qf::testing::readFile;
using qf::testing::ScratchDir;
using qf::testing::sourcePath;
using qf::testing::writeFile;

int trpfit(const fs::path& dir, const std::string& args, std::string* err = nullptr) {
    const std::string cmd =
        "cd '" + dir.string() + "' && '" + QF_TRPFIT_EXE + "' " + args + " >.stdout 2>.stderr";
    const int status = std::system(cmd.c_str());
    if (err != nullptr) *err = readFile(dir / ".stderr");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::map<std::string, RunRecord> runsTable(const fs::path& outDir) {
    std::map<std::string, RunRecord> byFile;
    for (const RunRecord& r : readRunsCsv(readFile(outDir / "runs.csv"), "runs.csv")) byFile[r.file] = r;
    return byFile;
}

std::string body(const std::string& csv) { return csv.substr(csv.find("\r\n") + 2); }

std::multiset<std::string> rowsOf(const std::string& csv) {
    std::multiset<std::string> rows;
    const std::string rest = body(csv);
    for (std::size_t at = 0, end; (end = rest.find("\r\n", at)) != std::string::npos; at = end + 2) {
        rows.insert(rest.substr(at, end - at));
    }
    return rows;
}

// The example spectrum with its measured standard written with decimal
// commas: monofit finishes, warning of numbers after the standard (suspect).
std::string decimalCommaStandard() {
    std::string text = readFile(sourcePath("examples/single.dat"));
    std::size_t line = 0, at = 0;
    for (; line < 15 && at != std::string::npos; ++line) at = text.find('\n', at) + 1;
    for (std::size_t i = at; i < text.size(); ++i) {
        if (text[i] == '.') text[i] = ',';
    }
    return text;
}

void copyInputs(const fs::path& d) {
    fs::copy_file(sourcePath("examples/series.dat"), d / "series.dat");
    fs::copy_file(sourcePath("examples/single.dat"), d / "single.dat");
    writeFile(d / "commas.dat", decimalCommaStandard());
}

TEST(BatchFit, OnByDefaultSkippedWithNoFitAndTheReportsStayTheSame) {
    ScratchDir dir;
    const fs::path d = dir.path();
    copyInputs(d);
    std::string err;
    // The suspect run makes both batches end with status 1.
    ASSERT_EQ(trpfit(d, "run -j 2 --quiet -o fit series.dat single.dat commas.dat", &err), 1) << err;
    ASSERT_EQ(trpfit(d, "run -j 2 --quiet --no-fit -o plain series.dat single.dat commas.dat", &err), 1) << err;
    auto runs = runsTable(d / "fit");
    ASSERT_EQ(runs["series.dat"].status, RunStatus::Ok);
    ASSERT_EQ(runs["single.dat"].status, RunStatus::Ok);
    ASSERT_EQ(runs["commas.dat"].status, RunStatus::Suspect);

    const std::pair<const char*, std::array<const char*, 3>> folders[] = {
        {"series", {"Result.txt", "Graph.txt", "Summary.txt"}},
        {"single", {"ResultM.txt", "GraphM.txt", "SummaryM.txt"}},
        {"commas", {"ResultM.txt", "GraphM.txt", "SummaryM.txt"}}};
    for (const auto& [folder, reports] : folders) {
        for (const char* report : reports) {
            EXPECT_EQ(readFile(d / "fit" / folder / report), readFile(d / "plain" / folder / report))
                << folder << "/" << report;
        }
        const bool fitted = std::string(folder) != "commas";
        for (const char* name : {"fit.csv", "models.csv", "figures/global-fit.svg"}) {
            EXPECT_EQ(fs::exists(d / "fit" / folder / name), fitted) << folder << "/" << name;
            EXPECT_FALSE(fs::exists(d / "plain" / folder / name)) << folder << "/" << name;
        }
        const std::string page = readFile(d / "fit" / folder / "report.html");
        EXPECT_EQ(page.find("id=\"global-fit\"") != std::string::npos, fitted) << folder;
        EXPECT_EQ(readFile(d / "plain" / folder / "report.html").find("global-fit"), std::string::npos);
        // The rest of the page is the page without the fit.
        if (fitted) {
            const std::size_t start = page.find("<section id=\"global-fit\">");
            const std::size_t end = page.find("</section>\n", start) + 11;
            std::string without = page.substr(0, start) + page.substr(end);
            const std::string link = " | <a href=\"#global-fit\">Global fit</a>";
            ASSERT_NE(without.find(link), std::string::npos);
            without.erase(without.find(link), link.size());
            EXPECT_EQ(without, readFile(d / "plain" / folder / "report.html")) << folder;
        }
    }
    EXPECT_EQ(runs["commas.dat"].warnings.find("global fit"), std::string::npos);
    EXPECT_EQ(runsTable(d / "fit")["series.dat"].warnings, runsTable(d / "plain")["series.dat"].warnings);

    // The tables of the run name the input; the batch's hold the good runs'.
    const std::string seriesFit = readFile(d / "fit" / "series" / "fit.csv");
    EXPECT_EQ(seriesFit.rfind(fitHeading() + "\r\nseries.dat,quenfit,1,1,", 0), 0u) << seriesFit;
    for (const char* table : {"fit.csv", "models.csv"}) {
        EXPECT_EQ(body(readFile(d / "fit" / table)),
                  body(readFile(d / "fit" / "series" / table)) + body(readFile(d / "fit" / "single" / table)));
        EXPECT_FALSE(fs::exists(d / "plain" / table)) << table;
    }

    // The index gives the fit's component count per good run, none without it.
    const std::string index = readFile(d / "fit" / "index.html");
    EXPECT_NE(index.find("<th>components (global fit)</th>"), std::string::npos);
    for (const char* folder : {"series", "single"}) {
        const std::string verdict = verdictOfModelsCsv(readFile(d / "fit" / folder / "models.csv"), "models.csv");
        ASSERT_NE(verdict, "") << folder;
        EXPECT_NE(index.find(std::string(folder) + ".dat</a></td><td>" + (folder[1] == 'e' ? "quenfit" : "monofit") +
                             "</td><td class=\"ok\">ok</td><td>" + verdict + "</td>"),
                  std::string::npos)
            << folder;
    }
    EXPECT_NE(index.find("<td class=\"suspect\">suspect</td><td></td>"), std::string::npos);
    EXPECT_EQ(readFile(d / "plain" / "index.html").find("global fit"), std::string::npos);

    // --resume with the fit over a batch made without it runs the good runs
    // again with their fit; the suspect one is kept as it is.
    const auto seriesReport = fs::last_write_time(d / "plain" / "series" / "Result.txt");
    trpfit(d, "run --quiet --resume -o plain series.dat single.dat commas.dat", &err);
    for (const char* folder : {"series", "single"}) {
        EXPECT_TRUE(fs::exists(d / "plain" / folder / "fit.csv")) << folder << ": " << err;
    }
    EXPECT_FALSE(fs::exists(d / "plain" / "commas" / "fit.csv"));
    EXPECT_TRUE(fs::exists(d / "plain" / "fit.csv"));
    // A second --resume finds them complete and runs nothing.
    const auto refitted = fs::last_write_time(d / "plain" / "series" / "Result.txt");
    EXPECT_NE(refitted, seriesReport);
    trpfit(d, "run --quiet --resume -o plain series.dat single.dat commas.dat", &err);
    EXPECT_EQ(fs::last_write_time(d / "plain" / "series" / "Result.txt"), refitted);

    // A batch run again without the fit leaves no fit tables of the earlier one.
    ASSERT_EQ(trpfit(d, "run --quiet --force --no-fit -o fit series.dat", &err), 0) << err;
    EXPECT_FALSE(fs::exists(d / "fit" / "fit.csv"));
    EXPECT_FALSE(fs::exists(d / "fit" / "series" / "models.csv"));
}

TEST(BatchFit, ShardsWithAndWithoutTheFitMerge) {
    ScratchDir dir;
    const fs::path d = dir.path();
    copyInputs(d);
    std::string err;
    ASSERT_EQ(trpfit(d, "run --quiet --shard 1/2 -o s1 series.dat single.dat", &err), 0) << err;
    ASSERT_EQ(trpfit(d, "run --quiet --shard 2/2 -o s2 series.dat single.dat", &err), 0) << err;
    ASSERT_EQ(trpfit(d, "run --quiet --no-fit -o s3 commas.dat", &err), 1) << err;
    ASSERT_EQ(trpfit(d, "run --merge -o merged s1 s2 s3", &err), 1) << err;
    for (const char* table : {"fit.csv", "models.csv"}) {
        const std::string merged = readFile(d / "merged" / table);
        EXPECT_EQ(rowsOf(merged), [&] {
            std::multiset<std::string> both = rowsOf(readFile(d / "s1" / table));
            for (const std::string& row : rowsOf(readFile(d / "s2" / table))) both.insert(row);
            return both;
        }()) << table;
        EXPECT_EQ(merged.substr(0, merged.find("\r\n")), table[0] == 'f' ? fitHeading() : modelsHeading());
    }
    const std::string index = readFile(d / "merged" / "index.html");
    EXPECT_NE(index.find("<th>components (global fit)</th>"), std::string::npos);
    EXPECT_NE(index.find("s1/series/report.html"), std::string::npos);
    EXPECT_EQ(trpfit(d, "run --merge --no-fit -o m2 s1 s2", &err), 2);
}

TEST(RunFit, VerdictOfModelsTable) {
    const std::string head = modelsHeading() + "\r\n";
    const auto rows = [&](const char* v1, const char* v2, const char* v3) {
        return head + "a.dat,quenfit,1,9,9,1,1,0,0," + v1 + "\r\na.dat,quenfit,2,9,9,1,1,0,0," + v2 +
               "\r\na.dat,quenfit,3,9,9,1,1,0,," + v3 + "\r\n";
    };
    EXPECT_EQ(verdictOfModelsCsv(rows("rejected", "chosen", "rejected"), "m.csv"), "2");
    EXPECT_EQ(verdictOfModelsCsv(rows("rejected", "undecided", "undecided"), "m.csv"), "undecided 2/3");
    EXPECT_EQ(verdictOfModelsCsv(rows("rejected", "rejected", "rejected"), "m.csv"), "");
    EXPECT_EQ(verdictOfModelsCsv(rows("rejected", "undecided", "rejected"), "m.csv"), "");
    // A text that is not a models table says so, naming the file and line.
    const auto failure = [](const std::string& text) {
        try {
            verdictOfModelsCsv(text, "m.csv");
        } catch (const FileFailure& f) {
            return std::string(f.what());
        }
        return std::string("no failure");
    };
    EXPECT_EQ(failure("file,n\r\na,1\r\n"), "m.csv, line 1: the heading has no column \"n_components\"");
    EXPECT_EQ(failure("\"broken"), "m.csv, line 1: quoted field not closed");
    EXPECT_EQ(failure(""), "m.csv, line 1: the heading has no column \"n_components\"");
    EXPECT_EQ(failure("n_components,verdict\r\n1,rejected\r\n2\r\n"),
              "m.csv, line 3: column \"verdict\": the row has 1 fields, the heading 2");
}

TEST(RunFit, IndexOfRunsInMemoryShowsTheVerdictOfGoodRunsOnly) {
    const std::string models = modelsHeading() + "\r\na.dat,monofit,1,9,9,1,1,0,0,rejected\r\n"
                               "a.dat,monofit,2,9,9,1,1,0,0,chosen\r\na.dat,monofit,3,9,9,1,1,0,,rejected\r\n";
    std::vector<IndexRun> runs(2);
    runs[0].record.file = "a.dat";
    runs[0].record.status = RunStatus::Ok;
    runs[0].modelsCsv = models;
    runs[1].record.file = "b.dat";
    runs[1].record.status = RunStatus::Suspect;
    runs[1].modelsCsv = models;
    const std::string page = indexPageOfRuns(runs);
    EXPECT_NE(page.find("<th>components (global fit)</th>"), std::string::npos);
    EXPECT_NE(page.find("<td class=\"ok\">ok</td><td>2</td>"), std::string::npos) << page;
    EXPECT_NE(page.find("<td class=\"suspect\">suspect</td><td></td>"), std::string::npos) << page;
    runs[0].modelsCsv.clear();
    EXPECT_EQ(indexPageOfRuns(runs).find("global fit"), std::string::npos);
}

TEST(RunFit, LegacyAnswerIsTheVelaStagesTable1) {
    results::RunReports run = results::readReportFiles({sourcePath("tests/golden/series_Result.txt").string(),
                                                        sourcePath("tests/golden/series_Graph.txt").string(),
                                                        sourcePath("tests/golden/series_Summary.txt").string()});
    const LegacyAnswer legacy = legacyAnswerOf(run);
    ASSERT_EQ(legacy.stages.size(), 3u);
    for (int n = 1; n <= 3; ++n) {
        const results::Stage* vela = nullptr;
        for (const results::Stage& s : run.stages) {
            if (s.kind != results::StageKind::Tarno && static_cast<int>(s.table1.size()) == n) vela = &s;
        }
        ASSERT_NE(vela, nullptr) << n;
        const auto& stage = legacy.stages[static_cast<std::size_t>(n - 1)];
        const auto& starts = legacy.options.legacyStarts[static_cast<std::size_t>(n - 1)];
        EXPECT_EQ(stage.components, n);
        ASSERT_EQ(starts.size(), static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            const results::ComponentRow& row = vela->table1[static_cast<std::size_t>(i)];
            EXPECT_EQ(stage.peak[static_cast<std::size_t>(i)], row.lNm);
            EXPECT_EQ(stage.peakError[static_cast<std::size_t>(i)], row.dlNm);
            EXPECT_DOUBLE_EQ(starts[static_cast<std::size_t>(i)], 1e7 / row.vCm);
        }
    }
    // Without VELA-II, TARNO's two components stand in.
    std::erase_if(run.stages, [](const results::Stage& s) { return s.kind == results::StageKind::Vela2; });
    const LegacyAnswer fallback = legacyAnswerOf(run);
    ASSERT_EQ(fallback.options.legacyStarts[1].size(), 2u);
    EXPECT_DOUBLE_EQ(fallback.options.legacyStarts[1][0], 1e7 / run.stages.front().table1[0].vCm);
    EXPECT_EQ(programOf(run), Program::Quenfit);
}

}  // namespace
}  // namespace qf::batch
