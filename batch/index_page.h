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
};

std::string indexPage(const std::vector<IndexEntry>& entries, const std::string& figureSvg);

}  // namespace qf::batch
