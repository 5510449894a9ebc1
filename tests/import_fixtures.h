#pragma once
// Instrument exports with a known truth for the import tests: spectra built
// from log-normal bands, printed in the number forms of the instrument
// software, and the checks of an imported data file against them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "band/band.h"
#include "driver/run.h"
#include "instrument/import.h"
#include "instrument/read_back.h"
#include "prep/correction.h"
#include "trpfit/import_command.h"
#include "support/test_support.h"

namespace qf::testing {

// Emission of a protein with bands at 331 and 350 nm (intensity per nm).
inline double knownEmission(double lambda, double quench = 0.0) {
    const double wavenumberScale = 0.6 / (1.0 + 3.0 * quench) * lognormalShape(331.0, lambda) +
                                   0.8 / (1.0 + 15.0 * quench) * lognormalShape(350.0, lambda);
    const double r = 340.0 / lambda;
    return 10000.0 * wavenumberScale * r * r;
}

// A smooth instrument sensitivity.
inline double knownSensitivity(double lambda) {
    const double x = (lambda - 345.0) / 70.0;
    return 0.55 + 0.45 * std::exp(-x * x) + 0.002 * (lambda - 300.0);
}

// One exported spectrum: wavelengths and intensities as printed, and the
// doubles that the printed text stands for.
struct KnownSpectrum {
    std::string name;
    std::vector<std::string> xText, yText;
    std::vector<double> x, y;
};

inline std::string printed(const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

// Samples from `first` by `step` for `count` points of f, printed with the
// formats given (for example "%.2f" and "%.6E").
inline KnownSpectrum sampleSpectrum(const std::string& name, double first, double step, int count,
                                    const std::function<double(double)>& f,
                                    const char* xFormat = "%.2f", const char* yFormat = "%.17g") {
    KnownSpectrum s;
    s.name = name;
    for (int k = 0; k < count; ++k) {
        const double lambda = first + k * step;
        s.xText.push_back(printed(xFormat, lambda));
        s.yText.push_back(printed(yFormat, f(lambda)));
        s.x.push_back(std::strtod(s.xText.back().c_str(), nullptr));
        s.y.push_back(std::strtod(s.yText.back().c_str(), nullptr));
    }
    return s;
}

// Text with decimal commas instead of points.
inline std::string commaDecimal(std::string text) {
    for (char& c : text) {
        if (c == '.') c = ',';
    }
    return text;
}

// `trpfit import` with these options: its exit status and what it printed.
struct ImportResult {
    int status = -1;
    std::string message;
};

inline ImportResult runImportCommand(const instrument::ImportOptions& options) {
    std::ostringstream err;
    ImportResult r;
    r.status = trpfit::importCommand(options, err);
    r.message = err.str();
    return r;
}

// Checks an imported spectrum against the export it came from: on a grid
// wavelength the export has, the value is the export's to the last bit;
// elsewhere it is the straight line between the two neighbours.
inline void expectOnGrid(const std::vector<double>& values, double first, double step,
                         const KnownSpectrum& s) {
    for (std::size_t k = 0; k < values.size(); ++k) {
        const double lambda = first + static_cast<double>(k) * step;
        std::size_t hit = s.x.size();
        std::size_t above = s.x.size();
        for (std::size_t i = 0; i < s.x.size(); ++i) {
            if (std::fabs(s.x[i] - lambda) <= 0.001) hit = i;
        }
        if (hit < s.x.size()) {
            EXPECT_EQ(bits(values[k]), bits(s.y[hit])) << s.name << " at " << lambda << " nm";
            continue;
        }
        // The neighbours, whichever way the export runs.
        for (std::size_t i = 0; i + 1 < s.x.size(); ++i) {
            if ((s.x[i] - lambda) * (s.x[i + 1] - lambda) < 0.0) above = i;
        }
        ASSERT_LT(above, s.x.size()) << s.name << ": no neighbours of " << lambda << " nm";
        const double lo = std::min(s.y[above], s.y[above + 1]);
        const double hi = std::max(s.y[above], s.y[above + 1]);
        EXPECT_GE(values[k], lo - 1e-12) << s.name << " at " << lambda;
        EXPECT_LE(values[k], hi + 1e-12) << s.name << " at " << lambda;
        // The straight line between the neighbours, and the truth it stands for.
        const double t = (lambda - s.x[above]) / (s.x[above + 1] - s.x[above]);
        const double line = s.y[above] + (s.y[above + 1] - s.y[above]) * t;
        EXPECT_NEAR(values[k], line, 1e-9 * std::fabs(line) + 1e-12) << s.name << " at " << lambda;
    }
}

// Against the true emission: within the bound of linear interpolation,
// h^2/8 times the largest second derivative near the grid point.
inline void expectNearTruth(const std::vector<double>& values, double first, double step,
                            double exportStep, const std::function<double(double)>& truth) {
    for (std::size_t k = 0; k < values.size(); ++k) {
        const double lambda = first + static_cast<double>(k) * step;
        const double h = exportStep;
        const double d = 0.05;
        double curvature = 0.0;
        for (double x = lambda - h; x <= lambda + h; x += h / 4.0) {
            curvature = std::max(curvature,
                                 std::fabs(truth(x + d) - 2.0 * truth(x) + truth(x - d)) / (d * d));
        }
        EXPECT_NEAR(values[k], truth(lambda), h * h / 8.0 * curvature * 1.2 + 1e-6)
            << "at " << lambda << " nm";
    }
}

// A whole run of quenfit or monofit on a data file, in this process.
inline int runAnalysisProgram(const std::string& dataFile, bool series, const ScratchDir& dir,
                              std::string* message = nullptr) {
    std::ostringstream out, err;
    const int status = runProgram(series ? Program::Quenfit : Program::Monofit,
                                  {dataFile, dir.file("result.txt"), dir.file("graph.txt"),
                                   dir.file("summary.txt")},
                                  "12-07-2026", out, err);
    if (message != nullptr) *message = err.str();
    return status;
}

}  // namespace qf::testing
