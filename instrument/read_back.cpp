#include "instrument/read_back.h"

#include "prep/correction.h"
#include "quench/quencher.h"
#include "textio/data_file.h"
#include "textio/data_reader.h"
#include "textio/fpcheck.h"
#include "textio/report_writer.h"

namespace qf::instrument {

int gridPointLimit(bool series) {
    return series ? kSeriesLimits.gridPoints : kSingleLimits.gridPoints;
}

int seriesSpectraLimit() { return kSeriesLimits.spectra; }

namespace {

DataFileValues readBack(DataReader reader, DataReader again, bool series) {
    fp::clear();
    const DataLimits& limits = series ? kSeriesLimits : kSingleLimits;
    DataFileValues values;
    ReportWriter graph;
    graph.openInMemory("graph file");

    // The first pass: the whole grid.
    reader.readLine("the title line");
    const ParameterLine params = readParameterLine(reader, series, limits);
    if (series) {
        const int line = reader.lineNumber();
        const std::string text = reader.readLine("the quencher concentrations");
        checkConcentrationLine(reader, line, text, params.nSpec);
    }
    const FirstPassData data = readFirstPassSpectra(reader, params, graph);
    const double standardMax = firstPassCorrection(params.grid, data.spectra, data.standard, graph);
    fp::check("correcting the spectra");

    // The analysis read: the concentrations and the 320-380 nm window.
    again.readLine("the title line");
    readParameterLine(again, series, limits);
    QuencherSeries quencher;
    if (series) {
        quencher.type = params.quencherType;
        for (int j = 0; j < params.nSpec; ++j) {
            quencher.concentration.push_back(
                again.readNumber("quencher concentration " + std::to_string(j + 1)));
        }
        setUpQuencher(quencher);
        fp::check("computing the quencher activities");
        checkSeries(quencher);
    }
    const WindowData window = readWindow(again, params);
    Spectra spectra;
    correctWindow(params.grid, standardMax, window.spectra, window.standard, spectra);
    fp::check("correcting the spectra");
    normalizeWindow(spectra);
    fp::check("normalizing the spectra");

    values.quencherType = quencher.type;
    values.concentrations = quencher.concentration;
    for (int i = 0; i < data.spectra.rows(); ++i) {
        std::vector<double> row;
        for (int k = 0; k < data.spectra.cols(); ++k) row.push_back(data.spectra(i, k));
        values.spectra.push_back(std::move(row));
    }
    values.standard = data.standard;
    return values;
}

}  // namespace

DataFileValues readBackDataFile(const std::string& path, bool series) {
    return readBack(DataReader::open(path), DataReader::open(path), series);
}

DataFileValues readBackDataText(const std::string& name, const std::string& text, bool series) {
    return readBack(DataReader(name, text), DataReader(name, text), series);
}

}  // namespace qf::instrument
