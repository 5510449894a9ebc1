#pragma once
// trpfit report: the three reports of a run as a page, its figures and the
// tidy tables.

#include <iosfwd>
#include <string>
#include <vector>

#include "trpfit/commands.h"

namespace qf::trpfit {

struct ReportCommandOptions {
    std::vector<std::string> inputs;  // DIR, or RESULT GRAPH SUMMARY
    std::string outDir;               // empty: the folder of the results report
    std::string dataFile;             // with it, the global fit joins the page and tables
    bool force = false;
};

// Runs the command: the paths written go to `out`, warnings and messages
// ("trpfit: FILE, line N: cause") to `err`. Returns the exit status (0, 1).
int reportCommand(const ReportCommandOptions& options, std::ostream& out, std::ostream& err);

void addReportCommand(CLI::App& app, CommandContext& context);

}  // namespace qf::trpfit
