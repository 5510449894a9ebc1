#include "prep/correction.h"

#include <cmath>
#include <optional>
#include <string>

#include "textio/checked.h"
#include "textio/failure.h"
#include "textio/number_text.h"
#include "textio/report_lines.h"
#include "textio/rounding.h"

namespace qf {

namespace {

constexpr std::array<double, 101> kTable = {
    0.0,
    0.101, 0.117, 0.133, 0.151, 0.171, 0.192, 0.214, 0.238, 0.263, 0.29,
    0.317, 0.345, 0.375, 0.405, 0.435, 0.466, 0.498, 0.529, 0.561, 0.592,
    0.624, 0.654, 0.684, 0.713, 0.742, 0.769, 0.795, 0.82, 0.844, 0.866,
    0.887, 0.906, 0.923, 0.939, 0.953, 0.965, 0.976, 0.985, 0.992, 0.997,
    1.001, 1.003, 1.004, 1.003, 1, 0.996, 0.991, 0.984, 0.976, 0.967,
    0.957, 0.946, 0.934, 0.921, 0.907, 0.893, 0.878, 0.862, 0.846, 0.829,
    0.812, 0.794, 0.777, 0.759, 0.741, 0.722, 0.704, 0.686, 0.667, 0.649,
    0.631, 0.613, 0.595, 0.577, 0.56, 0.542, 0.525, 0.509, 0.492, 0.476,
    0.46, 0.445, 0.43, 0.415, 0.4, 0.386, 0.372, 0.359, 0.346, 0.333,
    0.321,
    0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0};

double table(double t) { return kTable[static_cast<std::size_t>(tableIndex(t))]; }

// table(t) / (standard / M): a zero maximum or a zero standard value is a
// division by zero, reported with its wavelength.
double correctionFactor(double t, double standard, double standardMax, double wavelength) {
    if (standardMax == 0.0) {
        fail("division by zero: the measured standard has no value above 0");
    }
    if (standard == 0.0) {
        fail("division by zero: the measured standard is 0 at " + numberText(wavelength) + " nm");
    }
    return fp::div(table(t), fp::div(standard, standardMax));
}

// The grid's own ends print where it starts above 310 nm or ends below 400 nm.
CorrectionHeading correctionHeading(const Grid& g) {
    CorrectionHeading h{std::nullopt, std::nullopt, g.step};
    if (g.first > 310.0) h.fromNm = g.first;
    if (g.last < 400.0) h.toNm = g.last;
    return h;
}

}  // namespace

const std::array<double, 101>& standardSpectrumTable() { return kTable; }

int tableIndex(double t) {
    const double rounded = std::nearbyint(t);  // round half to even
    if (!(rounded >= 0.0 && rounded <= 100.0)) {
        fail("standard spectrum table index " + std::to_string(t) + " outside the table");
    }
    return static_cast<int>(rounded);
}

double firstPassCorrection(const Grid& grid, Matrix spectra, const std::vector<double>& standard,
                           ReportWriter& graph) {
    const double f = grid.first;
    const double z = grid.last;
    const double h = grid.step;
    const int p = grid.points;
    const int n = spectra.rows();
    double m = 0.0;
    double s = 0.0;
    int lower = 0;
    int upper = 0;
    for (int k = 0; k < p; ++k) {
        if (standard[static_cast<std::size_t>(k)] > m) m = standard[static_cast<std::size_t>(k)];
    }
    graph.endLine();
    writeCorrectionHeading(graph, correctionHeading(grid));
    if (z > 400.0) {
        for (double x = z; x > 400.0; x -= h) ++upper;
    }
    // factor[k] for the grid points from the start of the corrected range,
    // computed as the row of factors is written.
    std::vector<double> factor;
    if (f < 310.0) {
        for (double x = f; x < 310.0; x += h) ++lower;
    }
    const auto factorAt = [&](int k) {
        // k is 0-based; the table starts at 310 nm.
        const double t = f >= 310.0 ? (f - 310.0) + k * h + 1.0 : k * h + 1.0;
        const double value = correctionFactor(t, standard[static_cast<std::size_t>(k + lower)], m,
                                              f + (k + lower) * h);
        factor.push_back(value);
        return f >= 310.0 ? roundTrunc(value, 4) : roundTrunc(value, 5);
    };
    // Grid point k (0-based) has the factor factor[k - lower] when it lies in
    // the corrected range; the other points become 0. The spectra are
    // corrected before the row of factors ends.
    const auto correctSpectra = [&] {
        const int corrected = static_cast<int>(factor.size());
        for (int i = 0; i < n; ++i) {
            for (int k = 0; k < p; ++k) {
                const int idx = k - lower;
                if (idx >= 0 && idx < corrected) {
                    spectra(i, k) = fp::mul(spectra(i, k), factor[static_cast<std::size_t>(idx)]);
                } else {
                    spectra(i, k) = 0.0;
                }
            }
        }
    };
    writeValueRow(graph, p - upper - lower, factorAt, [](int) {}, correctSpectra);
    for (int i = 0; i < n; ++i) {
        for (int k = 0; k < p; ++k) {
            if (spectra(i, k) > s) s = spectra(i, k);
        }
    }
    graph.endLine();
    writeStepHeading(graph, StepTitle::Normalized, h);
    const int a = grid.before;
    const int b = a + grid.windowPoints;
    if (s == 0.0 && n > 0 && b > a) {
        fail("division by zero: the corrected spectra have no value above 0");
    }
    for (int i = 0; i < n; ++i) {
        writeValueRow(graph, b - a, [&](int x) { return roundTrunc(fp::div(spectra(i, a + x), s), 4); });
    }
    return m;
}

void correctWindow(const Grid& grid, double standardMax, const Matrix& window,
                   const std::vector<double>& standard, Spectra& spectra) {
    const int w = grid.windowPoints;
    const int n = window.rows();
    const double h = grid.step;
    std::vector<double> factor(static_cast<std::size_t>(w));
    for (int i = 1; i <= w; ++i) {
        const double t = 10.0 + (i - 1) * h + 1.0;
        factor[static_cast<std::size_t>(i - 1)] = correctionFactor(
            t, standard[static_cast<std::size_t>(i - 1)], standardMax, 320.0 + (i - 1) * h);
    }
    spectra.nSpec = n;
    spectra.nPoints = w;
    spectra.step = h;
    spectra.workSpectra.resize(n, w);
    spectra.expSpectra.resize(n, w);
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < w; ++i) {
            spectra.workSpectra(j, i) = fp::mul(window(j, i), factor[static_cast<std::size_t>(i)]);
            spectra.expSpectra(j, i) = fp::mul(window(j, i), factor[static_cast<std::size_t>(i)]);
        }
    }
}

void normalizeWindow(Spectra& spectra) {
    double g = 0.0;
    for (int j = 0; j < spectra.nSpec; ++j) {
        for (int i = 0; i < spectra.nPoints; ++i) {
            if (spectra.workSpectra(j, i) > g) {
                g = spectra.workSpectra(j, i);
                spectra.lambdaMax = spectra.wavelength(i);
            }
        }
    }
    spectra.spectrumMax = g;
    if (g == 0.0) fail("division by zero: the corrected spectra have no value above 0 from 320 to 380 nm");
    for (int j = 0; j < spectra.nSpec; ++j) {
        for (int i = 0; i < spectra.nPoints; ++i) {
            spectra.workSpectra(j, i) = fix(fp::div(fp::mul(spectra.workSpectra(j, i), 10000.0), g) + 0.5);
            spectra.expSpectra(j, i) = fix(fp::div(fp::mul(spectra.expSpectra(j, i), 10000.0), g) + 0.5);
        }
    }
}

}  // namespace qf
