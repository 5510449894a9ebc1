#include "textio/data_file.h"

#include <cmath>
#include <string>

#include "textio/checked.h"
#include "textio/failure.h"
#include "textio/report_lines.h"

namespace qf {

std::string numbersLeftWarning(std::string_view dataName, const DataReader::NumbersLeft& left) {
    return std::string(dataName) + ": " + std::to_string(left.count) +
           (left.count == 1 ? " more number" : " more numbers") + std::string(kNumbersLeftMark) +
           std::to_string(left.firstLine) +
           "); check the grid and the number of spectra, and that the file uses decimal "
           "points, not decimal commas";
}

namespace {

constexpr double kWholeTolerance = 1e-9;

// Distance / step as a whole count, or a failure naming the rule.
int wholeSteps(double distance, double step, const std::string& rule, const std::string& where) {
    const double steps = fp::div(distance, step);
    const double nearest = std::round(steps);
    if (!(std::fabs(fp::sub(steps, nearest)) <= kWholeTolerance) || nearest > 1e6) {
        fail(where + ": " + rule);
    }
    return static_cast<int>(nearest);
}

std::string pointName(int spectrum, int point) {
    return "spectrum " + std::to_string(spectrum) + ", point " + std::to_string(point);
}

std::string standardName(int point) { return "measured standard, point " + std::to_string(point); }

}  // namespace

ParameterLine readParameterLine(DataReader& reader, bool series, const DataLimits& limits) {
    ParameterLine p;
    const int line = reader.lineNumber();
    if (series) {
        p.quencherType = reader.readWholeNumber("the quencher type");
        p.nSpec = reader.readWholeNumber("the spectrum count");
    }
    p.grid.first = reader.readNumber("the first wavelength");
    p.grid.last = reader.readNumber("the last wavelength");
    p.grid.step = reader.readNumber("the wavelength step");
    Grid& g = p.grid;
    const std::string where = reader.name() + ", line " + std::to_string(line);
    if (series && (p.quencherType < 1 || p.quencherType > 5)) {
        fail(where + ": quencher type " + std::to_string(p.quencherType) +
             " is not one of the types 1 to 5");
    }
    if (series && (p.nSpec < 1 || p.nSpec > limits.spectra)) {
        fail(where + ": the spectrum count " + std::to_string(p.nSpec) +
             " is outside 1 to " + std::to_string(limits.spectra));
    }
    if (!(g.step > 0.0)) fail(where + ": the wavelength step must be greater than 0");
    if (!(g.first <= kWindowFirstNm)) fail(where + ": the first wavelength must be at most 320 nm");
    if (!(g.last >= kWindowLastNm)) fail(where + ": the last wavelength must be at least 380 nm");
    // Derived counts.
    const std::string stepRule = "must be a whole multiple of the wavelength step";
    g.before = wholeSteps(kWindowFirstNm - g.first, g.step, "320 - first wavelength " + stepRule, where);
    g.after = wholeSteps(g.last - kWindowLastNm, g.step, "last wavelength - 380 " + stepRule, where);
    const int windowSteps = wholeSteps(kWindowLastNm - kWindowFirstNm, g.step, "60 nm " + stepRule, where);
    g.windowPoints = windowSteps + 1;
    g.points = g.before + windowSteps + g.after + 1;
    if (g.points > limits.gridPoints) {
        fail(where + ": " + std::to_string(g.points) + " grid points, more than the " +
             std::to_string(limits.gridPoints) + " a data file may hold");
    }
    if (g.windowPoints > limits.windowPoints) {
        fail(where + ": " + std::to_string(g.windowPoints) + " points from 320 to 380 nm, more than " +
             std::to_string(limits.windowPoints));
    }
    return p;
}

void checkConcentrationLine(const DataReader& reader, int lineNumber, const std::string& text,
                            int nSpec) {
    DataReader line(reader.name(), text, lineNumber);
    int count = 0;
    while (!line.onlyBlanksLeft()) {
        line.readNumber("quencher concentration " + std::to_string(count + 1));
        ++count;
    }
    if (count != nSpec) {
        fail(reader.name() + ", line " + std::to_string(lineNumber) + ": the " +
             std::to_string(nSpec) + " quencher concentrations must stand on one line (found " +
             std::to_string(count) + " there)");
    }
}

FirstPassData readFirstPassSpectra(DataReader& reader, const ParameterLine& params,
                                   ReportWriter& graph) {
    const int n = params.nSpec;
    const int points = params.grid.points;
    FirstPassData data;
    data.spectra.resize(n, points);
    data.standard.assign(static_cast<std::size_t>(points), 0.0);
    for (int i = 0; i < n; ++i) {
        // Each number is read as the row that echoes it is written: a bad
        // number stops the run after the numbers before it.
        writeValueRow(graph, points, [&](int k) {
            const double v = reader.readNumber(pointName(i + 1, k + 1));
            data.spectra(i, k) = v;
            return v;
        });
    }
    for (int k = 0; k < points; ++k) data.standard[static_cast<std::size_t>(k)] = reader.readNumber(standardName(k + 1));
    return data;
}

WindowData readWindow(DataReader& reader, const ParameterLine& params) {
    const Grid& g = params.grid;
    WindowData data;
    data.spectra.resize(params.nSpec, g.windowPoints);
    data.standard.assign(static_cast<std::size_t>(g.windowPoints), 0.0);
    for (int j = 0; j < params.nSpec; ++j) {
        int point = 0;
        for (int b = 0; b < g.before; ++b) reader.readNumber(pointName(j + 1, ++point));
        for (int i = 0; i < g.windowPoints; ++i) data.spectra(j, i) = reader.readNumber(pointName(j + 1, ++point));
        for (int a = 0; a < g.after; ++a) reader.readNumber(pointName(j + 1, ++point));
    }
    int point = 0;
    for (int b = 0; b < g.before; ++b) reader.readNumber(standardName(++point));
    for (int i = 0; i < g.windowPoints; ++i) data.standard[static_cast<std::size_t>(i)] = reader.readNumber(standardName(++point));
    for (int a = 0; a < g.after; ++a) reader.readNumber(standardName(++point));
    return data;
}

}  // namespace qf
