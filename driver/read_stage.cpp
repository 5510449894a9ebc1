#include "driver/read_stage.h"

#include <string>

#include "prep/correction.h"
#include "quench/quencher.h"
#include "textio/data_file.h"
#include "textio/data_reader.h"
#include "textio/fpcheck.h"
#include "textio/report_blocks.h"
#include "textio/report_lines.h"

namespace qf {

namespace {

// Numbers after the measured standard: the grid or the spectrum count does
// not fit the file, or the file uses decimal commas. The reports stay as
// they are; the user is told.
void warnAboutNumbersLeft(RunState& run, const DataReader::NumbersLeft& left) {
    if (left.count > 0) run.warn(numbersLeftWarning(run.dataPath, left));
}

bool isSeries(const RunState& run) { return run.program == Program::Quenfit; }

const DataLimits& limitsOf(const RunState& run) { return dataLimits(run.program); }

void writeSingleSpectrumHeading(int components, Reports& reports) {
    writeStageHeading(reports, stageHeadingName(componentFitHeading(Program::Monofit, components)), false);
}

}  // namespace

DataReader freshDataReader(RunState& run) {
    if (!run.data) run.data = DataReader::open(run.dataPath);
    return *run.data;
}

void firstPass(RunState& run) {
    DataReader reader = freshDataReader(run);
    Reports& reports = run.reports;
    const std::string title = reader.readLine("the title line");
    writeTitleLines(reports.graph, title, run.date);
    if (isSeries(run)) {
        writeTitleLines(reports.result, title, run.date);
    }
    const ParameterLine params = readParameterLine(reader, isSeries(run), limitsOf(run));
    if (isSeries(run)) {
        const int line = reader.lineNumber();
        const std::string concentrations = reader.readLine("the quencher concentrations");
        checkConcentrationLine(reader, line, concentrations, params.nSpec);
    }
    run.grid = params.grid;
    reports.graph.endLine();
    writeExperimentalHeading(reports.graph, {params.grid.first, params.grid.last, params.grid.step});
    const FirstPassData data = readFirstPassSpectra(reader, params, reports.graph);
    warnAboutNumbersLeft(run, reader.numbersLeft());
    run.standardMax = firstPassCorrection(params.grid, data.spectra, data.standard, reports.graph);
    if (!isSeries(run)) reports.graph.endLine();
    fp::check("correcting the spectra");
}

void analysisRead(RunState& run) {
    DataReader reader = freshDataReader(run);
    Reports& reports = run.reports;
    const int components = run.stage.components();  // 0 in the phase-plane stage
    const std::string title = reader.readLine("the title line");
    const bool titleBlock = isSeries(run) ? components == 0 : components <= 1;
    if (titleBlock) {
        writeTitleLines(reports.summary, title, run.date);
        reports.summary.endLine();
        if (!isSeries(run)) {
            writeTitleLines(reports.result, title, run.date);
            reports.result.endLine();
        }
    }
    const ParameterLine params = readParameterLine(reader, isSeries(run), limitsOf(run));
    run.grid = params.grid;
    if (isSeries(run)) {
        QuencherSeries& q = run.quencher;
        q.type = params.quencherType;
        q.concentration.assign(static_cast<std::size_t>(params.nSpec), 0.0);
        for (int j = 0; j < params.nSpec; ++j) {
            q.concentration[static_cast<std::size_t>(j)] =
                reader.readNumber("quencher concentration " + std::to_string(j + 1));
        }
        setUpQuencher(q);
        fp::check("computing the quencher activities");
        checkSeries(q);
    }
    const WindowData window = readWindow(reader, params);
    correctWindow(params.grid, run.standardMax, window.spectra, window.standard, run.spectra);
    fp::check("correcting the spectra");
    if (isSeries(run)) {
        if (components == 0) writeQuencherLines(run.quencher, reports.result, reports.graph);
    } else {
        writeSingleSpectrumHeading(components, reports);
    }
    normalizeWindow(run.spectra);
    fp::check("normalizing the spectra");
}

}  // namespace qf
