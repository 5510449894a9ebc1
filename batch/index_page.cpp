#include "batch/index_page.h"

#include "batch/index_figure.h"
#include "batch/result_tables.h"
#include "batch/run_fit.h"
#include "batch/run_folder.h"
#include "figures/svg_plot.h"
#include "outputs/output_names.h"

namespace qf::batch {

namespace {

// Link targets are relative paths, percent-encoded byte for byte: a folder
// named in UTF-8 or in an old code page (Latin-1) is reached either way,
// and the page stays valid UTF-8.
std::string hrefOf(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' ||
                           c == '~' || c == '/';
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

}  // namespace

std::string indexPage(const std::vector<IndexEntry>& entries, const std::string& figureSvg) {
    std::size_t ok = 0, suspect = 0;
    for (const IndexEntry& e : entries) {
        ok += e.record.status == RunStatus::Ok;
        suspect += e.record.status == RunStatus::Suspect;
    }
    const std::size_t failed = entries.size() - ok - suspect;
    std::string h;
    h += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
    h += "<title>trpfit run: " + std::to_string(entries.size()) + " inputs</title>\n";
    h += "<style>\n"
         "body{font-family:sans-serif;margin:1.5em;color:#222}\n"
         "table{border-collapse:collapse;margin:1em 0}\n"
         "th,td{border:1px solid #bbb;padding:.25em .6em;text-align:left;vertical-align:top}\n"
         "th{background:#eee}\n"
         "td.ok{color:#1a6b1a}td.failed,td.crashed,td.timeout,td.interrupted{color:#a00;"
         "font-weight:bold}\n"
         "td.suspect{color:#9a4d00;font-weight:bold}\n"
         "figure{margin:1em 0}\n"
         "</style>\n</head>\n<body>\n";
    h += "<h1>Batch of " + std::to_string(entries.size()) + " data files</h1>\n";
    h += "<p>" + std::to_string(ok) + " analysed, " + std::to_string(suspect) + " suspect, " +
         std::to_string(failed) + " failed.";
    if (suspect > 0) {
        h += " Suspect: the program finished but warned of numbers after the measured standard (the grid, the "
             "number of spectra or decimal commas do not fit the file); such a run keeps its page, but its "
             "results are left out of the tables and the figure.";
    }
    h += "</p>\n";
    if (!figureSvg.empty()) h += "<figure>\n" + figureSvg + "\n</figure>\n";
    bool anyFit = false;
    for (const IndexEntry& e : entries) anyFit = anyFit || !e.components.empty();
    h += "<table>\n<thead><tr><th>data file</th><th>program</th><th>status</th>";
    if (anyFit) h += "<th>components (global fit)</th>";
    h += "<th>message</th><th>warnings</th></tr></thead>\n<tbody>\n";
    for (const IndexEntry& e : entries) {
        const RunRecord& r = e.record;
        h += "<tr><td>";
        if (!e.pageLink.empty()) {
            h += "<a href=\"" + figures::escapeXml(hrefOf(e.pageLink)) + "\">" + figures::escapeXml(r.file) +
                 "</a>";
        } else {
            h += figures::escapeXml(r.file);
        }
        h += "</td><td>" + figures::escapeXml(r.program) + "</td><td class=\"" + statusName(r.status) +
             "\">" + statusName(r.status) + "</td><td>";
        if (anyFit) h += figures::escapeXml(e.components) + "</td><td>";
        h += figures::escapeXml(r.message) + "</td><td>" +
             figures::escapeXml(r.warnings) + "</td></tr>\n";
    }
    h += "</tbody>\n</table>\n</body>\n</html>\n";
    return h;
}

std::string indexPageOfRuns(const std::vector<IndexRun>& runs) {
    CombinedTable components(componentsHeading());
    std::vector<RunRecord> records;
    std::vector<IndexEntry> entries;
    for (const IndexRun& run : runs) {
        const std::string folder = run.record.folder.empty() ? run.record.file : run.record.folder;
        if (run.record.status == RunStatus::Ok && !run.componentsCsv.empty()) {
            components.addRunText(run.record.file, run.componentsCsv, folder + "/" + outputs::kComponentsTable);
        }
        records.push_back(run.record);
        const bool fitted = run.record.status == RunStatus::Ok && !run.modelsCsv.empty();
        entries.push_back({run.record, run.pageLink,
                           fitted ? verdictOfModelsCsv(run.modelsCsv, folder + "/" + outputs::kModelsTable) : ""});
    }
    return indexPage(entries, componentPositionsSvg(components.table(records, outputs::kComponentsTable)));
}

}  // namespace qf::batch
