#include "driver/analysis.h"

#include <memory>
#include <new>

#include "driver/run_steps.h"
#include "textio/failure.h"

namespace qf {

std::optional<ProgramChoice> programChoiceFromName(std::string_view name) {
    if (name == "auto") return ProgramChoice::Auto;
    const std::optional<Program> program = programNamed(name);
    if (!program) return std::nullopt;
    return *program == Program::Quenfit ? ProgramChoice::Quenfit : ProgramChoice::Monofit;
}

AnalysisOutcome analyseText(std::string_view data, ProgramChoice choice, const std::string& date,
                            const AnalysisProgress& progress, const std::string& dataName) {
    AnalysisOutcome outcome;
    Program program = choice == ProgramChoice::Monofit ? Program::Monofit : Program::Quenfit;
    if (choice == ProgramChoice::Auto) {
        std::string why;
        const std::optional<Program> told = programFromLineTwo(data, why);
        if (!told) {
            outcome.failure = AnalysisFailure{dataName.empty() ? why : dataName + ": " + why, 1};
            return outcome;
        }
        program = *told;
    }
    outcome.program = program;
    const std::string prefix = std::string(programName(program)) + ": ";

    auto run = std::make_unique<RunState>();
    run->program = program;
    run->date = date;
    run->dataPath = dataName.empty() ? defaultDataName(program) : dataName;
    const auto takeWarnings = [&] {
        for (const std::string& w : run->warnings) outcome.warnings.push_back(prefix + "warning: " + w);
    };
    const auto failed = [&](const std::string& cause) {
        takeWarnings();
        outcome.failure = AnalysisFailure{prefix + cause, 1};
    };

    // Before any report exists: the size bound of the data file, then the
    // check of the data.
    try {
        if (data.size() > DataReader::kMaxFileBytes) {
            fail("the data file \"" + run->dataPath + "\" is larger than " +
                 std::to_string(DataReader::kMaxFileBytes >> 20) + " MiB");
        }
        run->data.emplace(run->dataPath, std::string(data));
        checkDataFile(*run);
    } catch (const RunFailure& failure) {
        failed(failure.what());
        return outcome;
    } catch (const std::bad_alloc&) {
        failed("out of memory");
        return outcome;
    }

    // The reports exist from here on, in the order the programs create them.
    run->reports.graph.openInMemory("graph file");
    run->reports.result.openInMemory("report file");
    run->reports.summary.openInMemory("summary file");
    try {
        runStages(*run, progress);
    } catch (const RunFailure& failure) {
        failed(failure.what());
    } catch (const std::bad_alloc&) {
        failed("out of memory");
    }
    if (!outcome.failure) takeWarnings();
    outcome.result = run->reports.result.memory();
    outcome.graph = run->reports.graph.memory();
    outcome.summary = run->reports.summary.memory();
    return outcome;
}

}  // namespace qf
