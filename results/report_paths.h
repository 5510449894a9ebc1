#pragma once
// The three reports of one run as a user names them to `trpfit report`.

#include <string>
#include <vector>

#include "results/report_reader.h"
#include "textio/program.h"

namespace qf::results {

// The names quenfit and monofit give their three reports by default (in
// the working folder, or in `dir`).
ReportPaths defaultReportNames(qf::Program program, const std::string& dir = "");

// The three reports named by `inputs`: either the three files in the order
// RESULT GRAPH SUMMARY, or one folder holding them under the default names
// of quenfit (Result.txt, Graph.txt, Summary.txt) or of monofit
// (ResultM.txt, GraphM.txt, SummaryM.txt). Throws ReportError.
ReportPaths resolveReportPaths(const std::vector<std::string>& inputs);

}  // namespace qf::results
