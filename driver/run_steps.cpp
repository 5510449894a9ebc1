#include "driver/run_steps.h"

#include <memory>
#include <vector>

#include "driver/phase_pass.h"
#include "driver/read_stage.h"
#include "driver/stages.h"
#include "textio/failure.h"
#include "textio/fpcheck.h"
#include "textio/report_lines.h"

namespace qf {

namespace {

// The text of line 2 (without its line end), or nothing when the text has
// no line 2.
std::optional<std::string_view> lineTwo(std::string_view text) {
    const std::size_t end1 = text.find('\n');
    if (end1 == std::string_view::npos) return std::nullopt;
    std::size_t end2 = text.find('\n', end1 + 1);
    if (end2 == std::string_view::npos) end2 = text.size();
    std::string_view line = text.substr(end1 + 1, end2 - end1 - 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// Splits a line into fields the way the data reader does: blanks (space or
// tab) and one comma separate fields.
std::vector<std::string_view> fieldsOf(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (i < line.size()) {
        while (i < line.size() && blank(line[i])) ++i;
        if (i >= line.size()) break;
        std::size_t j = i;
        while (j < line.size() && !blank(line[j]) && line[j] != ',') ++j;
        fields.push_back(line.substr(i, j - i));
        while (j < line.size() && blank(line[j])) ++j;
        if (j < line.size() && line[j] == ',') ++j;
        i = j;
    }
    return fields;
}

// The count of numbers on line 2 when every field there is a number.
std::optional<std::size_t> numbersOnLineTwo(std::string_view line) {
    const std::vector<std::string_view> fields = fieldsOf(line);
    for (std::string_view f : fields) {
        double v = 0.0;
        if (!DataReader::parseNumber(f, v)) return std::nullopt;
    }
    return fields.size();
}

// The message for a data file of the other program, or nothing. A series
// file never passes the single-spectrum rules (its second number, the
// spectrum count, is far below 380 nm) and three numbers never make a
// series' parameter line, so this is asked only after the check failed.
std::optional<std::string> otherProgramsFile(RunState& run) {
    DataReader reader = freshDataReader(run);
    std::string line;
    try {
        reader.readLine("the title line");
        line = reader.readLine("line 2");
    } catch (const RunFailure&) {
        return std::nullopt;
    }
    const std::optional<std::size_t> count = numbersOnLineTwo(line);
    if (!count) return std::nullopt;
    const std::string holds = run.dataPath + ": line 2 holds " + std::to_string(*count) + " numbers, ";
    if (run.program == Program::Quenfit && *count == 3) {
        return holds + "the parameter line of a single spectrum: analyse it with monofit";
    }
    if (run.program == Program::Monofit && *count >= 5) {
        return holds + "the parameter line of a quenching series: analyse it with quenfit";
    }
    return std::nullopt;
}

std::string stageName(const RunState& run) {
    const int components = run.stage.components();
    if (run.program == Program::Quenfit && components == 0) return std::string(stageHeadingName(StageHeading::Tarno));
    return std::string(stageHeadingName(componentFitHeading(run.program, components)));
}

}  // namespace

std::string defaultDataName(Program program) {
    return program == Program::Quenfit ? "DATA." : "DATAM.";
}

std::optional<Program> programFromLineTwo(std::string_view text, std::string& why) {
    if (text.empty()) {
        why = "empty file, not a data file";
        return std::nullopt;
    }
    const std::optional<std::string_view> line = lineTwo(text);
    if (!line) {
        why = "not a data file: no line 2";
        return std::nullopt;
    }
    const std::vector<std::string_view> fields = fieldsOf(*line);
    for (std::string_view f : fields) {
        double v = 0.0;
        if (!DataReader::parseNumber(f, v)) {
            // The text goes into messages, tables and a page: control bytes
            // are shown as '?'.
            std::string shown(f.substr(0, 40));
            for (char& c : shown) {
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
            }
            why = "not a data file: line 2 holds \"" + shown + "\", not a number";
            return std::nullopt;
        }
    }
    if (fields.empty()) {
        why = "not a data file: line 2 is empty";
        return std::nullopt;
    }
    if (fields.size() == 3) return Program::Monofit;
    if (fields.size() >= 5) return Program::Quenfit;
    why = "not a data file: line 2 holds " + std::to_string(fields.size()) +
          " numbers (3 for a single spectrum, 5 for a quenching series)";
    return std::nullopt;
}

void checkDataFile(RunState& run) {
    // The check's own state: its reports stay in memory and are dropped, its
    // warnings are passed on only when it fails (a run that goes on draws
    // them again in its own first pass).
    auto check = std::make_unique<RunState>();
    check->program = run.program;
    check->date = run.date;
    check->dataPath = run.dataPath;
    check->data = freshDataReader(run);
    check->reports.graph.openInMemory("graph file");
    check->reports.result.openInMemory("report file");
    check->reports.summary.openInMemory("summary file");
    check->stage = StageState(run.program);
    try {
        fp::clear();
        firstPass(*check);
        analysisRead(*check);
        // What the phase-plane stage refuses before its first pass.
        if (run.program == Program::Quenfit) requireTarnoSeries(check->spectra, check->quencher);
    } catch (const RunFailure&) {
        fp::clear();
        for (const std::string& warning : check->warnings) run.warn(warning);
        if (const std::optional<std::string> other = otherProgramsFile(run)) fail(*other);
        throw;
    }
    fp::clear();
}

void runStages(RunState& run, const StageProgress& progress) {
    fp::clear();
    run.stage = StageState(run.program);
    firstPass(run);
    const StageRead read = [&progress](RunState& r) {
        if (progress) progress(stageName(r));
        analysisRead(r);
    };
    if (run.program == Program::Quenfit) {
        runSeriesStages(run, read);
    } else {
        runSpectrumStages(run, read);
    }
}

}  // namespace qf
