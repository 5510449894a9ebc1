// Every export layout that `trpfit import` reads, written here from its
// description with known spectra: the imported values are the export's own
// where the grid meets its wavelengths and the straight line between
// neighbours elsewhere, and the data file runs through quenfit or monofit.

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

#include "import_fixtures.h"

namespace qf::testing {
namespace {

using instrument::DataFileValues;
using instrument::ImportOptions;

// Standard table value at a whole nm, the nearest end value outside 310-400.
double tableAt(double lambda) {
    const auto& t = standardSpectrumTable();
    const double i = std::round(lambda) - 309.0;
    return t[static_cast<std::size_t>(std::clamp(i, 1.0, 91.0))];
}

std::function<double(double)> raw(double quench = 0.0) {
    return [quench](double l) { return knownEmission(l, quench) * knownSensitivity(l); };
}
std::function<double(double)> corrected(double quench = 0.0) {
    return [quench](double l) { return knownEmission(l, quench); };
}

class ImportLayouts : public ::testing::Test {
protected:
    ScratchDir dir;

    std::string write(const std::string& name, const std::string& text) {
        writeFile(dir.file(name), text);
        return dir.file(name);
    }

    // A recording of the standard: table x sensitivity, two columns.
    std::string standardFile() {
        std::string text;
        for (int l = 280; l <= 440; ++l) {
            text += std::to_string(l) + "," + printed("%.6f", 1000.0 * tableAt(l) * knownSensitivity(l)) + "\n";
        }
        return write("standard.csv", text);
    }

    // Imports, expects success, reads the data file back and runs the program on it.
    DataFileValues importAndRun(ImportOptions o, bool series) {
        o.output = dir.file("out.dat");
        o.force = true;
        const ImportResult r = runImportCommand(o);
        EXPECT_EQ(r.status, 0) << r.message;
        lastMessage = r.message;
        if (r.status != 0) return {};
        std::string runMessage;
        EXPECT_EQ(runAnalysisProgram(o.output, series, dir, &runMessage), 0) << runMessage;
        return instrument::readBackDataFile(o.output, series);
    }

    std::string lastMessage;
};

std::string columnsText(const std::vector<KnownSpectrum>& spectra, char delimiter,
                        bool xLast = false) {
    std::string text = "Fluorescence export\n";
    std::string header;
    if (!xLast) header = "Wavelength (nm)";
    for (const KnownSpectrum& s : spectra) header += (header.empty() ? "" : std::string(1, delimiter)) + s.name;
    if (xLast) header += std::string(1, delimiter) + "Wavelength (nm)";
    text += header + "\n";
    for (std::size_t k = 0; k < spectra[0].x.size(); ++k) {
        std::string row = xLast ? "" : spectra[0].xText[k];
        for (const KnownSpectrum& s : spectra) row += (row.empty() ? "" : std::string(1, delimiter)) + s.yText[k];
        if (xLast) row += std::string(1, delimiter) + spectra[0].xText[k];
        text += row + "\r\n";
    }
    return text;
}

TEST_F(ImportLayouts, PlainColumnsWithAStandardRecordingMakeAQuenfitSeries) {
    std::vector<KnownSpectrum> spectra;
    const double conc[] = {0.0, 0.1, 0.2};
    for (int i = 0; i < 3; ++i) {
        spectra.push_back(sampleSpectrum("Trp " + std::to_string(i), 290, 1.0, 141, raw(conc[i]), "%.0f", "%.4f"));
    }
    ImportOptions o;
    o.inputs = {write("series.txt", columnsText(spectra, '\t'))};
    o.standard = standardFile();
    o.quencher = 1;
    o.concentrations = "0, 0.1, 0.2";
    const DataFileValues v = importAndRun(o, true);
    ASSERT_EQ(v.spectra.size(), 3u);
    for (int i = 0; i < 3; ++i) expectOnGrid(v.spectra[i], 300.0, 1.0, spectra[i]);
    EXPECT_EQ(v.spectra[0].size(), 100u);  // 300-399: the point limit of quenfit
    EXPECT_EQ(v.concentrations, (std::vector<double>{0.0, 0.1, 0.2}));
    // An ordinary file with the user's file mode, not a private temporary one.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const auto perms = std::filesystem::status(dir.file("out.dat")).permissions();
    EXPECT_EQ(static_cast<unsigned>(perms), 0666u & ~static_cast<unsigned>(mask));
    EXPECT_NE(lastMessage.find("3 spectra from 1 file for quenfit, grid 300-399 nm step 1, standard: "),
              std::string::npos) << lastMessage;
}

TEST_F(ImportLayouts, SemicolonsWithDecimalCommasAndTheWavelengthLast) {
    const KnownSpectrum a = sampleSpectrum("A", 290, 0.5, 281, corrected(), "%.1f", "%.3f");
    const KnownSpectrum b = sampleSpectrum("B", 290, 0.5, 281, corrected(0.1), "%.1f", "%.3f");
    ImportOptions o;
    o.inputs = {write("commas.csv", commaDecimal(columnsText({a, b}, ';', true))) + ":B"};
    o.corrected = true;
    const DataFileValues v = importAndRun(o, false);
    ASSERT_EQ(v.spectra.size(), 1u);
    EXPECT_EQ(v.spectra[0].size(), 131u);  // 300-430
    expectOnGrid(v.spectra[0], 300.0, 1.0, b);
}

TEST_F(ImportLayouts, ColumnsSavedAsUtf16) {
    const KnownSpectrum a = sampleSpectrum("Intensit\xC3\xA4t", 300, 1.0, 101, corrected(), "%.0f", "%.3f");
    const std::string utf8 = columnsText({a}, '\t');
    std::string utf16 = "\xFF\xFE";
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c == 0xC3) {  // the one two-byte character: U+00E4
            utf16 += "\xE4";
            utf16 += '\0';
            ++i;
            continue;
        }
        utf16 += static_cast<char>(c);
        utf16 += '\0';
    }
    ImportOptions o;
    o.inputs = {write("utf16.txt", utf16) + ":Intensit\xC3\xA4t"};
    o.corrected = true;
    const DataFileValues v = importAndRun(o, false);
    ASSERT_EQ(v.spectra.size(), 1u);
    expectOnGrid(v.spectra[0], 300.0, 1.0, a);
}

TEST_F(ImportLayouts, ColumnPairsWithUnitsTrailingDelimiterAndMethodLog) {
    // Two scans of different length at 0.7 nm: the grid needs interpolation.
    const KnownSpectrum a = sampleSpectrum("stn01_EX_280.00", 295.0, 0.7, 180, corrected(), "%.1f", "%.5f");
    const KnownSpectrum b = sampleSpectrum("stn01_EX_285.00", 295.0, 0.7, 150, corrected(0.2), "%.1f", "%.5f");
    std::string text = a.name + ",," + b.name + ",,\n"
                       "Wavelength (nm),Intensity (a.u.),Wavelength (nm),Intensity (a.u.),\n";
    for (std::size_t k = 0; k < a.x.size(); ++k) {
        text += a.xText[k] + "," + a.yText[k] + ",";
        text += k < b.x.size() ? b.xText[k] + "," + b.yText[k] + "," : std::string(",,");
        text += "\n";
    }
    text += "\nMethod log\nSlit width,5 nm\nScan speed,600 nm/min\n";
    ImportOptions o;
    o.inputs = {write("pairs.csv", text) + ":stn01_EX_285.00"};
    o.corrected = true;
    const DataFileValues v = importAndRun(o, false);
    ASSERT_EQ(v.spectra.size(), 1u);
    EXPECT_EQ(v.spectra[0].size(), 100u);  // 300-399, what the scan covers
    expectOnGrid(v.spectra[0], 300.0, 1.0, b);
    expectNearTruth(v.spectra[0], 300.0, 1.0, 0.7, corrected(0.2));
    EXPECT_NE(lastMessage.find("interpolated from 0.7 nm"), std::string::npos) << lastMessage;
}

TEST_F(ImportLayouts, NamedHeaderRowsTakeTheCorrectedSignalAndSayIt) {
    // A row-number column before the wavelength; raw, reference and
    // corrected signals side by side.
    const KnownSpectrum s1 = sampleSpectrum("S1", 300, 1.0, 101, raw(), "%.0f", "%.2f");
    const KnownSpectrum r1 = sampleSpectrum("R1", 300, 1.0, 101, knownSensitivity, "%.0f", "%.6f");
    const KnownSpectrum s1c = sampleSpectrum("S1c", 300, 1.0, 101, corrected(), "%.0f", "%.4f");
    const KnownSpectrum ratio = sampleSpectrum("S1c / R1c", 300, 1.0, 101, corrected(0.05), "%.0f", "%.8f");
    std::string text = "Short Name\t\tWavelength\tS1\tR1\tS1c\tS1c / R1c\n"
                       "Long Name\t\tWavelength\tSignal\tReference\tCorrected signal\tCorrected ratio\n"
                       "Units\t\tnm\tCPS\tMicroAmps\tCPS\tCPS / MicroAmps\n";
    for (std::size_t k = 0; k < s1.x.size(); ++k) {
        text += std::to_string(k + 1) + "\t" + s1.xText[k] + "\t" + s1.yText[k] + "\t" + r1.yText[k] +
                "\t" + s1c.yText[k] + "\t" + ratio.yText[k] + "\n";
    }
    ImportOptions o;
    o.inputs = {write("named.txt", text)};
    DataFileValues v = importAndRun(o, false);
    ASSERT_EQ(v.spectra.size(), 1u);
    expectOnGrid(v.spectra[0], 300.0, 1.0, ratio);
    EXPECT_NE(lastMessage.find("spectra corrected"), std::string::npos) << lastMessage;
    EXPECT_NE(lastMessage.find("S1c / R1c"), std::string::npos) << lastMessage;

    // The raw signal by name, with its recording of the standard.
    o.inputs = {dir.file("named.txt") + ":S1"};
    o.standard = standardFile();
    v = importAndRun(o, false);
    ASSERT_EQ(v.spectra.size(), 1u);
    expectOnGrid(v.spectra[0], 300.0, 1.0, s1);
}

TEST_F(ImportLayouts, NamedHeaderRowsOfRepeatedScans) {
    std::vector<KnownSpectrum> scans;
    const double conc[] = {0.0, 0.15, 0.3};
    for (int i = 0; i < 3; ++i) {
        scans.push_back(sampleSpectrum("S1c", 300, 1.0, 91, corrected(conc[i]), "%.0f", "%.3f"));
    }
    // Here the keys stand above the wavelength column.
    std::string text = "Experiment\tTrp titration\tday 2\tcuvette 1\tslits 5/5\t20 C\n"
                       "Short Name\tS1c\tS1c\tS1c\n"
                       "Long Name\tCorrected signal\tCorrected signal\tCorrected signal\n"
                       "Units\tCPS\tCPS\tCPS\n"
                       "SourceName\tTrp\tTrp\n"  // the last cell left empty
                       "CycleNumber\t1\t2\t3\n"
                       "TimeStamp\t10:00\t10:05\t10:10\n";
    for (std::size_t k = 0; k < scans[0].x.size(); ++k) {
        text += scans[0].xText[k];
        for (const KnownSpectrum& s : scans) text += "\t" + s.yText[k];
        text += "\n";
    }
    ImportOptions o;
    o.inputs = {write("cycles.txt", text)};
    o.quencher = 3;
    o.concentrations = "0 0.15 0.3";
    const DataFileValues v = importAndRun(o, true);
    ASSERT_EQ(v.spectra.size(), 3u);
    for (int i = 0; i < 3; ++i) expectOnGrid(v.spectra[i], 300.0, 1.0, scans[i]);
    EXPECT_EQ(v.quencherType, 3);

    // Each scan by its name: signal, source and cycle.
    o.quencher = 0;
    o.concentrations.clear();
    o.inputs = {dir.file("cycles.txt") + ":S1c (Trp, cycle 2)"};
    const DataFileValues second = importAndRun(o, false);
    ASSERT_EQ(second.spectra.size(), 1u);
    expectOnGrid(second.spectra[0], 300.0, 1.0, scans[1]);
    o.inputs = {dir.file("cycles.txt") + ":S1c (cycle 3)"};
    const DataFileValues third = importAndRun(o, false);
    ASSERT_EQ(third.spectra.size(), 1u);
    expectOnGrid(third.spectra[0], 300.0, 1.0, scans[2]);
}

TEST_F(ImportLayouts, KeyValueHeaderWithScanCorrectionAndTrailingTabs) {
    std::vector<KnownSpectrum> scans;
    const double conc[] = {0.0, 0.1, 0.2, 0.4};
    for (int i = 0; i < 4; ++i) {
        scans.push_back(sampleSpectrum("scan", 300, 0.5, 201, corrected(conc[i]), "%.1f", "%.8E"));
    }
    std::string text = "M0\n"
                       "Labels\tTrp 0 M\tTrp 0.1 M\tTrp 0.2 M\tTrp 0.4 M\t\n"
                       "Type\tEmission\tEmission\tEmission\tEmission\t\n"
                       "Start\t300\t300\t300\t300\t\n"
                       "Stop\t400\t400\t400\t400\t\n"
                       "Step\t0.5\t0.5\t0.5\t0.5\t\n"
                       "Fixed/Offset\t295\t295\t295\t295\t\n"
                       "Scan Corr. by File\tTrue\tTrue\tTrue\tTrue\t\n"
                       "\n";
    for (std::size_t k = 0; k < scans[0].x.size(); ++k) {
        text += scans[0].xText[k];
        for (const KnownSpectrum& s : scans) text += "\t" + s.yText[k];
        text += "\t\n";
    }
    ImportOptions o;
    o.inputs = {write("keyvalue.txt", text)};
    o.quencher = 1;
    o.concentrations = "0,0.1,0.2,0.4";
    const DataFileValues v = importAndRun(o, true);
    ASSERT_EQ(v.spectra.size(), 4u);
    for (int i = 0; i < 4; ++i) expectOnGrid(v.spectra[i], 300.0, 1.0, scans[i]);
    EXPECT_EQ(v.spectra[0].size(), 100u);  // 300-399
    EXPECT_NE(lastMessage.find("\"Scan Corr. by File\" is True"), std::string::npos) << lastMessage;

    // The same export named by label.
    o.inputs = {dir.file("keyvalue.txt") + ":Trp 0.2 M"};
    o.quencher = 0;
    o.concentrations.clear();
    const DataFileValues one = importAndRun(o, false);
    ASSERT_EQ(one.spectra.size(), 1u);
    expectOnGrid(one.spectra[0], 300.0, 1.0, scans[2]);
}

TEST_F(ImportLayouts, HashDataWithSinglePrecisionWavelengths) {
    // Wavelengths carrying float noise (320.0299988): exact within 0.001 nm.
    const KnownSpectrum s = sampleSpectrum("trp", 300.0, 1.0, 111, raw(), "%.7f", "%.3f");
    KnownSpectrum noisy = s;
    for (std::size_t k = 0; k < s.x.size(); ++k) {
        const float f = static_cast<float>(300.0 + static_cast<double>(k) - 0.0004);
        noisy.xText[k] = printed("%.7f", static_cast<double>(f));
    }
    std::string text = "Instrument: FP\nSample: free tryptophan\nOperator: lab\n#DATA\n";
    for (std::size_t k = 0; k < s.x.size(); ++k) text += noisy.xText[k] + "\t" + s.yText[k] + "\n";
    ImportOptions o;
    o.inputs = {write("hash.txt", text)};
    o.standard = standardFile();
    const DataFileValues v = importAndRun(o, false);
    ASSERT_EQ(v.spectra.size(), 1u);
    EXPECT_EQ(v.spectra[0].size(), 111u);  // 300-410
    for (std::size_t k = 0; k < v.spectra[0].size(); ++k) {
        EXPECT_EQ(bits(v.spectra[0][k]), bits(s.y[k])) << k;
    }
}

TEST_F(ImportLayouts, JcampLikeRunningDownwardWithALegacyEncodedHeader) {
    // Header and footer text in Shift JIS; x from 420 down to 290 nm.
    const KnownSpectrum s = sampleSpectrum("Trp", 420, -1.0, 131, corrected(), "%.1f", "%.4f");
    std::string text = "TITLE\t\x83\x67\x83\x8a\x83\x76\x83\x67\x83\x74\x83\x40\x83\x93 Trp\n"
                       "DATA TYPE\tFLUORESCENCE SPECTRUM\n"
                       "ORIGIN\t\x93\xfa\x96\x7b\x95\xaa\x8c\xf5\n"
                       "OWNER\t\n"
                       "DELTAX\t-1\nXUNITS\tNANOMETERS\nYUNITS\tINTENSITY\n"
                       "FIRSTX\t420\nLASTX\t290\nNPOINTS\t131\nFIRSTY\t12.5\n"
                       "XYDATA\n";
    for (std::size_t k = 0; k < s.x.size(); ++k) text += s.xText[k] + "\t" + s.yText[k] + "\n";
    text += "\n##### Extended Information\n[Comments]\n\x91\xaa\x92\xe8\x8f\xf0\x8c\x8f\n"
            "Band width\t5.0 nm\n";
    ImportOptions o;
    o.inputs = {write("jcamp.txt", text)};
    o.corrected = true;
    const DataFileValues v = importAndRun(o, false);
    ASSERT_EQ(v.spectra.size(), 1u);
    EXPECT_EQ(v.spectra[0].size(), 121u);  // 300-420
    expectOnGrid(v.spectra[0], 300.0, 1.0, s);
}

TEST_F(ImportLayouts, JcampDxWithSeveralIntensitiesPerLine) {
    // XYDATA=(X++(Y..Y)): x, then the values at x, x + DELTAX, ... as whole
    // numbers scaled by YFACTOR.
    const KnownSpectrum s = sampleSpectrum("Trp", 300, 0.5, 201, corrected(), "%.1f", "%.0f");
    std::string text = "##TITLE=Trp in buffer\n##JCAMP-DX=4.24\n##DATA TYPE=FLUORESCENCE SPECTRUM\n"
                       "##XUNITS=NANOMETERS\n##YUNITS=ARBITRARY UNITS\n##XFACTOR=1\n##YFACTOR=0.001\n"
                       "##FIRSTX=300\n##LASTX=400\n##DELTAX=0.5\n##NPOINTS=201\n##XYDATA=(X++(Y..Y))\n";
    for (std::size_t k = 0; k < s.x.size(); k += 8) {
        text += s.xText[k];
        for (std::size_t j = k; j < k + 8 && j < s.x.size(); ++j) text += " " + s.yText[j];
        text += "\n";
    }
    text += "##END=\n";
    ImportOptions o;
    o.inputs = {write("dx.jdx", text)};
    o.corrected = true;
    const DataFileValues v = importAndRun(o, false);
    ASSERT_EQ(v.spectra.size(), 1u);
    ASSERT_EQ(v.spectra[0].size(), 101u);
    for (std::size_t k = 0; k < 101; ++k) {
        EXPECT_EQ(bits(v.spectra[0][k]), bits(s.y[2 * k] * 0.001)) << k;
    }
}

TEST_F(ImportLayouts, TraceBlocks) {
    std::vector<KnownSpectrum> traces;
    const double conc[] = {0.0, 0.2, 0.4};
    std::string text;
    for (int i = 0; i < 3; ++i) {
        traces.push_back(sampleSpectrum("Trace " + std::to_string(i + 1), 305.0, 0.4, 250,
                                        raw(conc[i]), "%.1f", "%.6g"));
        text += "<Trace>\n250\nTrace " + std::to_string(i + 1) + "\nX Y\n";
        for (std::size_t k = 0; k < traces[i].x.size(); ++k) {
            text += traces[i].xText[k] + " " + traces[i].yText[k] + "\n";
        }
    }
    ImportOptions o;
    o.inputs = {write("traces.txt", text)};
    o.standard = standardFile();
    o.quencher = 1;
    o.concentrations = "0,0.2,0.4";
    const DataFileValues v = importAndRun(o, true);
    ASSERT_EQ(v.spectra.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        expectOnGrid(v.spectra[i], 305.0, 1.0, traces[i]);
        expectNearTruth(v.spectra[i], 305.0, 1.0, 0.4, raw(conc[i]));
    }
}

// A matrix with one row per excitation wavelength, emission across.
std::string matrixRows(const std::vector<KnownSpectrum>& rows, const std::vector<std::string>& ex,
                       const std::string& corner, char delimiter, bool quoted) {
    auto cell = [&](const std::string& t) { return quoted ? "\"" + t + "\"" : t; };
    std::string text = cell(corner);
    for (const std::string& x : rows[0].xText) text += std::string(1, delimiter) + cell(x);
    text += "\n";
    for (std::size_t r = 0; r < rows.size(); ++r) {
        text += cell(ex[r]);
        for (const std::string& y : rows[r].yText) text += std::string(1, delimiter) + cell(y);
        text += "\n";
    }
    return text;
}

TEST_F(ImportLayouts, QuotedKeyValueHeaderAndRawDataMatrixWithExcitationRows) {
    std::vector<KnownSpectrum> rows;
    for (int i = 0; i < 3; ++i) {
        rows.push_back(sampleSpectrum("EX", 300, 1.0, 101, corrected(0.1 * i), "%.0f", "%.2f"));
    }
    const std::string text = "\"Probe:\",\"Trp\"\n\"Anregung:\",\"270-290 nm\"\n\"Spalt:\",\"5 nm\"\n"
                             "\"RawData\"\n" +
                             matrixRows(rows, {"270", "280", "290"}, "EX/EM", ',', true);
    ImportOptions o;
    o.inputs = {write("matrix.csv", text) + ":280"};
    o.corrected = true;
    const DataFileValues v = importAndRun(o, false);
    ASSERT_EQ(v.spectra.size(), 1u);
    expectOnGrid(v.spectra[0], 300.0, 1.0, rows[1]);

    // Every excitation of the matrix as a series.
    o.inputs = {dir.file("matrix.csv")};
    o.quencher = 1;
    o.concentrations = "0,0.1,0.2";
    const DataFileValues all = importAndRun(o, true);
    ASSERT_EQ(all.spectra.size(), 3u);
    for (int i = 0; i < 3; ++i) expectOnGrid(all.spectra[i], 300.0, 1.0, rows[i]);
}

TEST_F(ImportLayouts, TabKeyValueHeaderAndDataPointsMatrixWithExcitationColumns) {
    // Excitation across the first row, no corner cell: the header's
    // excitation start and end (270-290 nm) are the first row's wavelengths.
    std::vector<KnownSpectrum> columns;
    for (int i = 0; i < 3; ++i) {
        columns.push_back(sampleSpectrum("EX", 300, 2.0, 51, corrected(0.1 * i), "%.1f", "%.1f"));
    }
    std::string text = "Sample:\tTrp\nEX Start WL:\t270.0\nEX End WL:\t290.0\nData Points\n\t270.0\t280.0\t290.0\n";
    for (std::size_t k = 0; k < columns[0].x.size(); ++k) {
        text += columns[0].xText[k];
        for (const KnownSpectrum& c : columns) text += "\t" + c.yText[k];
        text += "\n";
    }
    ImportOptions o;
    o.inputs = {write("points.txt", text) + ":290"};
    o.corrected = true;
    o.grid = "300:400:2";
    const DataFileValues v = importAndRun(o, false);
    ASSERT_EQ(v.spectra.size(), 1u);
    expectOnGrid(v.spectra[0], 300.0, 2.0, columns[2]);

    // Told the other way round, --matrix contradicts the header.
    o.matrix = "ex-rows";
    o.output = dir.file("wrong.dat");
    const ImportResult r = runImportCommand(o);
    EXPECT_EQ(r.status, 1) << r.message;
    EXPECT_NE(r.message.find("points.txt, line 3: --matrix ex-rows contradicts the export"),
              std::string::npos) << r.message;
}

TEST_F(ImportLayouts, TwoColumnsWhereEveryRestartOfXIsTheNextSpectrum) {
    std::vector<KnownSpectrum> scans;
    std::string text;
    const double conc[] = {0.0, 0.1, 0.3};
    for (int i = 0; i < 3; ++i) {
        scans.push_back(sampleSpectrum("scan", 300, 1.0, 100, raw(conc[i]), "%.0f", "%.3f"));
        for (std::size_t k = 0; k < scans[i].x.size(); ++k) text += scans[i].xText[k] + " " + scans[i].yText[k] + "\n";
    }
    ImportOptions o;
    o.inputs = {write("restarts.txt", text)};
    o.standard = standardFile();
    o.quencher = 4;
    o.concentrations = "0 0.1 0.3";
    const DataFileValues v = importAndRun(o, true);
    ASSERT_EQ(v.spectra.size(), 3u);
    for (int i = 0; i < 3; ++i) expectOnGrid(v.spectra[i], 300.0, 1.0, scans[i]);
}

}  // namespace
}  // namespace qf::testing
