#pragma once
// Reads the three reports of one run of quenfit or monofit (ours or the
// legacy program's: the format is the same) into the results model.
//
// Lines may end in CR LF or LF. Every line must be one the programs write,
// laid out exactly as they lay it out; a line that cannot be placed is a
// ReportError naming the file and the line. Reports that stop early (a run
// that failed part-way) are read as far as they go: the model holds what is
// there and RunReports::complete is false, with each report's end said in
// RunReports::result / graph / summary.

#include <string>

#include "results/report_model.h"
#include "textio/failure.h"

namespace qf::results {

// The failure of the reader: the file, the line and the cause (the
// libraries' one failure type, see textio/failure.h).
using ReportError = qf::FileFailure;

struct ReportPaths {
    std::string result;
    std::string graph;
    std::string summary;
};

// The text of the three reports; the paths only name them in messages.
struct ReportTexts {
    ReportPaths paths;
    std::string result;
    std::string graph;
    std::string summary;
};

RunReports readReports(const ReportTexts& texts);
// Reads the files; a file that cannot be read is a ReportError (line 0).
RunReports readReportFiles(const ReportPaths& paths);

}  // namespace qf::results
