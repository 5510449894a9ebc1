#pragma once
// `trpfit report` without the command line: find the three reports of one
// run, read them, and write the tidy tables into a folder. The batch runner
// calls writeReportTables in-process for each run.

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "results/report_model.h"
#include "results/report_reader.h"

namespace qf::results {

// The three reports named by `inputs`: either the three files in the order
// RESULT GRAPH SUMMARY, or one folder holding them under the default names
// of quenfit (Result.txt, Graph.txt, Summary.txt) or of monofit
// (ResultM.txt, GraphM.txt, SummaryM.txt). Throws ReportError.
ReportPaths resolveReportPaths(const std::vector<std::string>& inputs);

// The table files, in the order they are written.
std::vector<std::string> tableFileNames();

struct TablesWritten {
    RunReports run;
    std::vector<std::string> files;  // paths written
};

// Reads the reports and writes the tables into `outDir` (created when
// missing). Existing tables are kept, and a ReportError thrown before
// anything is written, unless `force`. `fileLabel` fills the "file" column.
TablesWritten writeReportTables(const ReportPaths& paths, const std::string& outDir,
                                const std::string& fileLabel, bool force);

struct ReportCommandOptions {
    std::vector<std::string> inputs;  // DIR, or RESULT GRAPH SUMMARY
    std::string outDir;               // empty: the folder of the results report
    bool force = false;
    // More outputs made from the same model (the report page and its
    // figures): their names in the output folder, checked with the tables
    // before anything is written, and the function that writes them and
    // returns the paths written.
    std::vector<std::string> extraOutputs;
    std::function<std::vector<std::string>(const RunReports&, const std::string& outDir)> writeExtra;
};

// Runs the command: the written paths go to `out`, messages to `err`
// ("trpfit: FILE, line N: cause"). Returns the exit status (0 or 1).
int reportCommand(const ReportCommandOptions& options, std::ostream& out, std::ostream& err);

}  // namespace qf::results
