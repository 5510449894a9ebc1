#pragma once
// index.html of a batch: every input with its program and status, the cause
// of a failure, and a link to the page of each run.

#include <string>
#include <vector>

#include "batch/run_table.h"

namespace qf::batch {

struct IndexEntry {
    RunRecord record;
    std::string pageLink;  // relative link to the run's report.html; empty when there is none
    // The global fit's component count: "2", "undecided 1/2"; empty when the
    // run has no fit. The column shows when any run has one.
    std::string components;
};

std::string indexPage(const std::vector<IndexEntry>& entries, const std::string& figureSvg);

// One run as a page that holds its results in memory knows it (the browser
// page analysing several files): its record (file, program, status, message,
// warnings), the link to its page, and its components.csv text (from
// figures::reportPageFromTexts), whose positions the figure shows for the
// runs whose status is ok.
struct IndexRun {
    RunRecord record;
    std::string pageLink;
    std::string componentsCsv;
    std::string modelsCsv;  // the global fit's models.csv text; empty when none
};

// The index page of such runs: the same table and figure as a batch's. A
// table that is not the one it should be is a FileFailure naming it.
std::string indexPageOfRuns(const std::vector<IndexRun>& runs);

}  // namespace qf::batch
