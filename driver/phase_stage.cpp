#include <string>
#include <string_view>

#include "classify/summary_report.h"
#include "driver/stages.h"
#include "driver/phase_pass.h"
#include "phase/parallel.h"
#include "textio/failure.h"
#include "textio/fpcheck.h"
#include "textio/report_blocks.h"
#include "textio/report_lines.h"

namespace qf {

namespace {

// The three reports of the reporting pass, held in memory until the pass has
// finished, so that a pass that fails half-way leaves none of its lines.
struct HeldReports {
    Reports held;
    explicit HeldReports(const Reports& target) {
        held.result.holdFor(target.result);
        held.graph.holdFor(target.graph);
        held.summary.holdFor(target.summary);
    }
    void release(Reports& target) const {
        target.result.append(held.result);
        target.graph.append(held.graph);
        target.summary.append(held.summary);
    }
};

// Silent passes alternate with smoothing cycles until the acceptance rule
// calls the reporting pass, which runs on the wavenumber-scale spectra of the
// pass before it and writes into `held`.
void computeStage(RunState& run, Reports& held, const std::function<void()>& afterReportingPass) {
    run.tarno = TarnoState{};
    const int threads = phaseThreads();
    for (;;) {
        const bool reporting = run.stage.reportingPassDue();
        tarnoPass({run.spectra, run.quencher, run.fit, run.stage.smoothingCycles(), run.tarno,
                   reporting ? &held : nullptr, threads});
        if (reporting) {
            if (afterReportingPass) afterReportingPass();
            fp::check("phase-plane stage");
            return;
        }
        runSmoothingCycle(run);
    }
}

// What the cause says after the stage's own name.
std::string_view causeOf(std::string_view message) {
    constexpr std::string_view stage = "phase-plane stage";
    if (message.substr(0, stage.size()) == stage) {
        message.remove_prefix(stage.size());
        if (message.substr(0, 2) == ": " || message.substr(0, 2) == ", ") message.remove_prefix(2);
    }
    return message;
}

}  // namespace

void writeTarnoAbsence(Reports& reports) {
    writeStageHeading(reports, stageHeadingName(StageHeading::Tarno), true);
    writeFixedLine(reports.result, FixedLine::TwoAbsent);
    writeRule(reports.result, '-', 77);
    writeSummaryHeading(reports.summary);
    writeFixedLine(reports.summary, FixedLine::SummaryTarnoAbsent);
    writeRule(reports.summary, '-', 79);
    writeStageHeading(reports, stageHeadingName(StageHeading::Vela1), true);
}

TarnoEnd runTarnoStage(RunState& run, const std::function<void()>& afterReportingPass) {
    // A series the method cannot take is refused before the first pass.
    requireTarnoSeries(run.spectra, run.quencher);
    HeldReports held(run.reports);
    try {
        computeStage(run, held.held, afterReportingPass);
    } catch (const RunFailure& failure) {
        // The failed computation's arithmetic events belong to it, not to the fits that follow.
        fp::clear();
        writeTarnoAbsence(run.reports);
        run.warn("phase-plane stage: " + std::string(causeOf(failure.what())) +
                 "; the component fits follow");
        return TarnoEnd::Absent;
    }
    held.release(run.reports);
    return TarnoEnd::Reported;
}

}  // namespace qf
