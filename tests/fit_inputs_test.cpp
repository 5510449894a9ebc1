// Data files the programs refuse are refused by the global fit with the
// programs' own message, and trpfit fit writes its two tables the way the
// other tables are written: RFC 4180 with CR LF, replaced only when asked.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

#include "fit/fit_tables.h"
#include "fit/global_fit.h"
#include "support/test_support.h"
#include "tools/synthetic_data.h"
#include "trpfit/fit_command.h"

namespace {

using qf::Program;
using qf::testing::readFile;
using qf::testing::ScratchDir;
using qf::testing::writeFile;
namespace fit = qf::fit;
namespace synth = qf::synth;

// Runs a program; returns its exit status and its standard error.
std::pair<int, std::string> runProgram(const std::string& command) {
    std::string err;
    FILE* pipe = ::popen((command + " 2>&1 >/dev/null").c_str(), "r");
    if (pipe == nullptr) return {-1, ""};
    std::array<char, 512> buf{};
    while (std::fgets(buf.data(), static_cast<int>(buf.size()), pipe) != nullptr) err += buf.data();
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, err};
}

std::string goodSeries() {
    synth::SeriesSpec s;
    for (int i = 0; i < 6; ++i) s.concentrations.push_back(0.1 * i);
    s.components = {{326.0, 5000.0, 3.0}, {346.0, 5000.0, 12.0}};
    s.noise = 0.005;
    return synth::seriesFile(s);
}

fit::FitOptions quick() {
    fit::FitOptions o;
    o.bootstrapRounds = 20;
    o.leaveOneOut = false;
    return o;
}

TEST(FitInputs, RefusedDataFilesGiveTheProgramsMessage) {
    const std::string good = goodSeries();
    const std::size_t line2 = good.find('\n') + 1;
    struct Bad {
        const char* what;
        std::string text;
        Program program;
    };
    std::string wrongType = good;
    wrongType.replace(line2, 1, "7");
    std::string sameConcentrations = good;
    {
        const std::size_t line3 = good.find('\n', line2) + 1;
        const std::size_t end3 = good.find('\r', line3);
        sameConcentrations.replace(line3, end3 - line3, "0.1 0.1 0.1 0.1 0.1 0.1");
    }
    synth::SeriesSpec one;
    one.concentrations = {0.0};
    one.components = {{340.0, 6000.0, 0.0}};
    const std::string single = synth::singleSpectrumFile(one);
    std::string notNumber = good;
    notNumber.replace(good.rfind(' '), 1, " x");
    const std::vector<Bad> cases = {
        {"quencher type outside 1 to 5", wrongType, Program::Quenfit},
        {"one activity only", sameConcentrations, Program::Quenfit},
        {"a field that is not a number", notNumber, Program::Quenfit},
        {"file ends early", good.substr(0, good.size() / 2), Program::Quenfit},
        {"empty file", "", Program::Monofit},
        {"grid without 320 nm", "t\r\n330 380 1\r\n1 2 3\r\n", Program::Monofit},
        // Read as the other program: its word on a file of the other kind.
        {"a single spectrum read as a series", single, Program::Quenfit},
        {"a series read as a single spectrum", good, Program::Monofit},
    };
    ScratchDir dir;
    for (const Bad& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.file("bad.dat");
        writeFile(path, c.text);
        const bool series = c.program == Program::Quenfit;
        const auto [status, err] = runProgram(std::string(series ? QF_QUENFIT_EXE : QF_MONOFIT_EXE) + " " + path +
                                              " " + dir.file("r.txt") + " " + dir.file("g.txt") + " " +
                                              dir.file("s.txt"));
        ASSERT_EQ(status, 1) << err;
        const fit::FitOutcome out = fit::fitDataFile(path, c.program, quick());
        EXPECT_FALSE(out.fit);
        EXPECT_EQ(out.failure + "\n", err);
        if (c.text == single || c.text == good) {
            EXPECT_NE(err.find(": analyse it with "), std::string::npos) << err;
        }
    }
    const fit::FitOutcome missing = fit::fitDataFile(dir.file("none.dat"), Program::Quenfit, quick());
    EXPECT_FALSE(missing.fit);
    EXPECT_NE(missing.failure.find("none.dat"), std::string::npos) << missing.failure;
}

TEST(FitInputs, FourPointSpectrumIsFittedButNotJudgedBeyondItsPoints) {
    // Grid 320-380 nm at 20 nm: four points leave no residual for two bands
    // and their two amplitudes, so no test of one against two components.
    const std::string text = "Tiny\n320 380 20\n8 4 2 1\n0.317 0.887 0.957 0.631\n";
    const fit::FitOutcome out = fit::fitDataText("tiny.dat", text, std::nullopt, quick());
    ASSERT_TRUE(out.fit) << out.failure;
    EXPECT_EQ(out.fit->chosen, 0);
    EXPECT_EQ(out.fit->undecidedLow, 1);
    EXPECT_FALSE(out.fit->models[0].pVsNext);
    EXPECT_NE(out.fit->reason.find("too few points"), std::string::npos) << out.fit->reason;
    EXPECT_EQ(out.fit->models[1].dof, 0);
}

TEST(FitInputs, TablesHaveTheirColumnsOneRowPerComponentAndOneVerdict) {
    const fit::FitOutcome out = fit::fitDataText("a,b.dat", goodSeries(), std::nullopt, quick());
    ASSERT_TRUE(out.fit) << out.failure;
    const std::string components = fit::fitCsv(*out.fit, "a,b.dat");
    const std::string models = fit::modelsCsv(*out.fit, "a,b.dat");
    EXPECT_EQ(components.substr(0, components.find("\r\n")),
              "file,program,n_components,component,position_nm,position_low_nm,position_high_nm,Ksv,"
              "Ksv_low,Ksv_high,share_percent,share_low,share_high,class");
    EXPECT_EQ(models.substr(0, models.find("\r\n")),
              "file,program,n_components,rss,dof,aicc,bic,akaike_weight,p_vs_next,verdict");
    std::vector<std::string> rows;
    std::istringstream lines(models);
    for (std::string line; std::getline(lines, line);) {
        ASSERT_FALSE(line.empty());
        EXPECT_EQ(line.back(), '\r');  // every line ends with CR LF
        rows.push_back(line);
    }
    ASSERT_EQ(rows.size(), 4u);
    int chosen = 0, undecided = 0;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].rfind("\"a,b.dat\",quenfit,", 0), 0u) << rows[i];
        chosen += rows[i].find(",chosen\r") != std::string::npos;
        undecided += rows[i].find(",undecided\r") != std::string::npos;
    }
    EXPECT_TRUE((chosen == 1 && undecided == 0) || (chosen == 0 && undecided == 2)) << models;
    // No p for three components: the field before the verdict is empty.
    EXPECT_NE(rows[3].find(",,"), std::string::npos) << rows[3];
    // One row per component of N = 1, 2, 3 (six), and the header.
    std::size_t count = 0;
    for (char c : components) count += c == '\n';
    EXPECT_EQ(count, 7u);
}

TEST(FitInputs, SingleSpectrumTableLeavesKsvEmpty) {
    synth::SeriesSpec s;
    s.concentrations = {0.0};
    s.components = {{340.0, 6000.0, 0.0}};
    s.noise = 0.005;
    const fit::FitOutcome out = fit::fitDataText("one.dat", synth::singleSpectrumFile(s), std::nullopt, quick());
    ASSERT_TRUE(out.fit) << out.failure;
    const std::string table = fit::fitCsv(*out.fit, "one.dat");
    const std::size_t row = table.find("\r\n") + 2;
    const std::string first = table.substr(row, table.find("\r\n", row) - row);
    // position, low, high, then three empty Ksv fields.
    EXPECT_NE(first.find(",,,,"), std::string::npos) << first;
    EXPECT_EQ(first.rfind("one.dat,monofit,1,1,", 0), 0u) << first;
}

TEST(FitInputs, CommandWritesBothTablesAndReplacesThemOnlyWithForce) {
    ScratchDir dir;
    const std::string data = dir.file("series.dat");
    writeFile(data, goodSeries());
    qf::trpfit::FitCommandOptions o;
    o.dataFile = data;
    o.outDir = dir.file("out");
    std::ostringstream out, err;
    ASSERT_EQ(qf::trpfit::fitCommand(o, out, err), 0) << err.str();
    const std::string first = readFile(dir.path() / "out" / "fit.csv");
    EXPECT_FALSE(readFile(dir.path() / "out" / "models.csv").empty());
    EXPECT_EQ(out.str(), dir.file("out/fit.csv") + "\n" + dir.file("out/models.csv") + "\n");

    writeFile(dir.path() / "out" / "models.csv", "kept");
    std::ostringstream out2, err2;
    EXPECT_EQ(qf::trpfit::fitCommand(o, out2, err2), 1);
    EXPECT_NE(err2.str().find("exists already; use --force"), std::string::npos) << err2.str();
    EXPECT_EQ(readFile(dir.path() / "out" / "models.csv"), "kept");

    o.force = true;
    std::ostringstream out3, err3;
    EXPECT_EQ(qf::trpfit::fitCommand(o, out3, err3), 0) << err3.str();
    EXPECT_NE(readFile(dir.path() / "out" / "models.csv"), "kept");
    EXPECT_EQ(readFile(dir.path() / "out" / "fit.csv"), first);  // deterministic

    // The series read as monofit reads it: monofit's word on a series file.
    o.program = "monofit";
    std::ostringstream outMono, errMono;
    EXPECT_EQ(qf::trpfit::fitCommand(o, outMono, errMono), 1);
    EXPECT_EQ(errMono.str().rfind("monofit: " + data + ": line 2 holds ", 0), 0u) << errMono.str();
    EXPECT_NE(errMono.str().find("the parameter line of a quenching series: analyse it with quenfit\n"),
              std::string::npos)
        << errMono.str();
    EXPECT_TRUE(outMono.str().empty());
    EXPECT_EQ(readFile(dir.path() / "out" / "fit.csv"), first);
    o.program.clear();

    // A refused file: the program's message, nothing written.
    writeFile(data, "title only\r\n");
    std::ostringstream out4, err4;
    EXPECT_EQ(qf::trpfit::fitCommand(o, out4, err4), 1);
    EXPECT_EQ(err4.str().rfind("quenfit: " + data, 0), 0u) << err4.str();
    EXPECT_TRUE(out4.str().empty());
}

}  // namespace
