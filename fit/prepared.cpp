#include "fit/prepared.h"

#include <string>

#include "driver/run_steps.h"
#include "prep/correction.h"
#include "quench/quencher.h"
#include "textio/data_file.h"
#include "textio/data_reader.h"
#include "textio/fpcheck.h"
#include "textio/report_writer.h"

namespace qf::fit {

namespace {

bool isSeries(Program program) { return program == Program::Quenfit; }

}  // namespace

PreparedData prepareData(const std::string& name, const std::string& text, Program program) {
    fp::clear();
    const bool series = isSeries(program);
    PreparedData out;
    out.program = program;
    // The graph file's echo and correction curve are not wanted here; the
    // writer keeps them in memory.
    ReportWriter graph;
    graph.openInMemory("graph file");

    // First pass: the whole grid, for the largest value of the measured standard.
    DataReader first(name, text);
    first.readLine("the title line");
    const ParameterLine params = readParameterLine(first, series, dataLimits(program));
    if (series) {
        const int line = first.lineNumber();
        const std::string concentrations = first.readLine("the quencher concentrations");
        checkConcentrationLine(first, line, concentrations, params.nSpec);
    }
    const FirstPassData data = readFirstPassSpectra(first, params, graph);
    const DataReader::NumbersLeft left = first.numbersLeft();
    if (left.count > 0) out.warnings.push_back(numbersLeftWarning(name, left));
    const double standardMax = firstPassCorrection(params.grid, data.spectra, data.standard, graph);
    fp::check("correcting the spectra");

    // Analysis read: concentrations, activities, the window, correction and
    // normalization.
    DataReader again(name, text);
    again.readLine("the title line");
    readParameterLine(again, series, dataLimits(program));
    if (series) {
        QuencherSeries q;
        q.type = params.quencherType;
        q.concentration.assign(static_cast<std::size_t>(params.nSpec), 0.0);
        for (int j = 0; j < params.nSpec; ++j) {
            q.concentration[static_cast<std::size_t>(j)] =
                again.readNumber("quencher concentration " + std::to_string(j + 1));
        }
        setUpQuencher(q);
        fp::check("computing the quencher activities");
        checkSeries(q);
        out.quencherType = q.type;
        out.activity = q.activity;
        out.ksvTrp = q.ksvTrp;
    }
    const WindowData window = readWindow(again, params);
    correctWindow(params.grid, standardMax, window.spectra, window.standard, out.spectra);
    fp::check("correcting the spectra");
    normalizeWindow(out.spectra);
    fp::check("normalizing the spectra");
    const auto& table = standardSpectrumTable();
    for (int i = 0; i < params.grid.windowPoints; ++i) {
        const double t = 10.0 + i * params.grid.step + 1.0;
        const double measured = window.standard[static_cast<std::size_t>(i)] / standardMax;
        out.correction.push_back(table[static_cast<std::size_t>(tableIndex(t))] / measured);
        out.standard.push_back(measured);
    }
    return out;
}

Program programOfText(const std::string& text) {
    std::string why;
    return programFromLineTwo(text, why).value_or(Program::Quenfit);
}

}  // namespace qf::fit
