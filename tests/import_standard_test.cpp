// The measured standard of an imported data file and the grid it lies on:
// corrected spectra with the built-in table as their standard analyse like
// raw spectra with a recorded standard, and the grid keeps within the
// programs' point limits.

#include <gtest/gtest.h>

#include <cmath>

#include "import_fixtures.h"

namespace qf::testing {
namespace {

using instrument::ImportOptions;

class ImportStandard : public ::testing::Test {
protected:
    ScratchDir dir;

    // Two columns at `step` from `first` to `last`.
    std::string spectrumFile(const std::string& name, double first, double last, double step,
                             const std::function<double(double)>& f) {
        std::string text;
        const int count = static_cast<int>(std::lround((last - first) / step)) + 1;
        for (int k = 0; k < count; ++k) {
            const double l = first + k * step;
            text += printed("%.2f", l) + "\t" + printed("%.17g", f(l)) + "\n";
        }
        writeFile(dir.file(name), text);
        return dir.file(name);
    }

    std::string importOk(ImportOptions o, const std::string& output) {
        o.output = dir.file(output);
        const ImportResult r = runImportCommand(o);
        EXPECT_EQ(r.status, 0) << r.message;
        return r.message;
    }
};

// The table value the programs read at a whole nm, the end values outside.
double tableAtWholeNm(double lambda) {
    const auto& t = standardSpectrumTable();
    if (lambda < 310.0) return t[1];
    if (lambda > 400.0) return t[91];
    return t[static_cast<std::size_t>(std::nearbyint(lambda - 309.0))];
}

TEST_F(ImportStandard, CorrectedSpectraGiveTheSameDecompositionAsARecordedStandard) {
    // The same protein, once as the instrument's corrected spectrum and once
    // raw (times the sensitivity) with the recorded standard (table times
    // the same sensitivity).
    ImportOptions corrected;
    corrected.inputs = {spectrumFile("corrected.txt", 300, 420, 1, [](double l) { return knownEmission(l); })};
    corrected.corrected = true;
    corrected.title = "Trp";
    corrected.hasTitle = true;
    importOk(corrected, "corrected.dat");

    ImportOptions recorded = corrected;
    recorded.corrected = false;
    recorded.inputs = {spectrumFile("raw.txt", 300, 420, 1,
                                    [](double l) { return knownEmission(l) * knownSensitivity(l); })};
    recorded.standard = spectrumFile("standard.txt", 300, 420, 1, [](double l) {
        return 1000.0 * tableAtWholeNm(l) * knownSensitivity(l);
    });
    importOk(recorded, "recorded.dat");

    ScratchDir runA, runB;
    ASSERT_EQ(runAnalysisProgram(dir.file("corrected.dat"), false, runA), 0);
    ASSERT_EQ(runAnalysisProgram(dir.file("recorded.dat"), false, runB), 0);
    EXPECT_EQ(readFile(runA.file("summary.txt")), readFile(runB.file("summary.txt")));
    EXPECT_EQ(readFile(runA.file("result.txt")), readFile(runB.file("result.txt")));

    // A flat standard of 1s is what the check exists for: it multiplies
    // the spectrum by the table and shifts the decomposition.
    ImportOptions flat = recorded;
    flat.inputs = corrected.inputs;
    flat.standard = spectrumFile("ones.txt", 300, 420, 1, [](double) { return 1.0; });
    importOk(flat, "flat.dat");
    ScratchDir runC;
    ASSERT_EQ(runAnalysisProgram(dir.file("flat.dat"), false, runC), 0);
    EXPECT_NE(readFile(runA.file("summary.txt")), readFile(runC.file("summary.txt")));
}

TEST_F(ImportStandard, TheTableAsTheProgramsReadItMakesAFlatCorrection) {
    ImportOptions o;
    o.inputs = {spectrumFile("wide.txt", 290, 420, 0.5, [](double l) { return knownEmission(l); })};
    o.corrected = true;
    importOk(o, "wide.dat");
    const auto v = instrument::readBackDataFile(dir.file("wide.dat"), false);
    ASSERT_EQ(v.standard.size(), 121u);  // 300-420 at 1 nm
    for (std::size_t k = 0; k < v.standard.size(); ++k) {
        EXPECT_EQ(bits(v.standard[k]), bits(tableAtWholeNm(300.0 + static_cast<double>(k)))) << k;
    }
    // At 0.5 nm the programs read the table at the rounded whole nm,
    // halves to the even neighbour: 310.5 nm reads 311 (index 1.5 rounds
    // to 2), 311.5 nm reads 311 too (2.5 rounds to 2).
    o.grid = "310:380:0.5";
    importOk(o, "half.dat");
    const auto h = instrument::readBackDataFile(dir.file("half.dat"), false);
    const auto& table = standardSpectrumTable();
    ASSERT_EQ(h.standard.size(), 141u);
    EXPECT_EQ(h.standard[0], table[1]);
    EXPECT_EQ(h.standard[1], table[2]);
    EXPECT_EQ(h.standard[2], table[2]);
    EXPECT_EQ(h.standard[3], table[2]);
    EXPECT_EQ(h.standard[4], table[3]);
    // The correction curve the program writes is one constant.
    ScratchDir run;
    ASSERT_EQ(runAnalysisProgram(dir.file("wide.dat"), false, run), 0);
    const std::string graph = readFile(run.file("graph.txt"));
    const std::size_t at = graph.find("CORRECTION CURVE");
    ASSERT_NE(at, std::string::npos);
    const std::size_t lineStart = graph.find('\n', at) + 1;
    const std::string curve = graph.substr(lineStart, graph.find('\n', lineStart) - lineStart);
    const std::string first = curve.substr(0, curve.find(','));
    std::size_t count = 0;
    for (std::size_t p = 0; p < curve.size();) {
        const std::size_t comma = curve.find(',', p);
        if (comma == std::string::npos) break;
        EXPECT_EQ(curve.substr(p, comma - p), first);
        ++count;
        p = comma + 1;
    }
    EXPECT_EQ(count, 91u);
}

TEST_F(ImportStandard, TheGridKeepsWithinThePointLimitAndHolds320To380) {
    const auto f = [](double l) { return knownEmission(l); };
    ImportOptions o;
    o.corrected = true;
    o.quencher = 1;
    o.concentrations = "0 0.1 0.2";
    const std::string half = spectrumFile("half.txt", 300, 400, 0.5, f);
    o.inputs = {half, half, half};
    EXPECT_NE(importOk(o, "a.dat").find("grid 300-399 nm step 1 (taken from 0.5 nm)"), std::string::npos);

    const std::string wide = spectrumFile("wide.txt", 250, 450, 1, f);
    o.inputs = {wide, wide, wide};
    EXPECT_NE(importOk(o, "b.dat").find("grid 300-399 nm step 1"), std::string::npos);

    o.inputs = {wide};
    o.quencher = 0;
    o.concentrations.clear();
    EXPECT_NE(importOk(o, "c.dat").find("1 spectrum from 1 file for monofit, grid 300-449 nm step 1"),
              std::string::npos);
    const auto c = instrument::readBackDataFile(dir.file("c.dat"), false);
    EXPECT_EQ(c.spectra[0].size(), 150u);

    // A grid that the spectra share only in part: the common whole nm.
    const std::string early = spectrumFile("early.txt", 295.3, 390.3, 0.5, f);
    const std::string late = spectrumFile("late.txt", 310.0, 410.0, 0.5, f);
    o.inputs = {early, late, late};
    o.quencher = 2;
    o.concentrations = "0 0.1 0.2";
    EXPECT_NE(importOk(o, "d.dat").find("grid 310-390 nm step 1 (interpolated from 0.5 nm)"),
              std::string::npos);
}

}  // namespace
}  // namespace qf::testing
