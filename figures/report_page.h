#pragma once
// The report page of one run: `report.html`, a single self-contained file
// (inline CSS and SVG, no script, nothing fetched) with the run's title, date
// and program, the summary as a table with the values a reader should not
// trust flagged, per stage its tables and figures, and the first pass.
// Beside it the figures as SVG files for papers and the tidy tables; the
// page and those come back as texts (figures/report_texts.h) and the
// commands write them (outputs/).

#include <filesystem>
#include <string>
#include <vector>

#include "results/report_model.h"
#include "results/report_reader.h"  // ReportError

namespace qf::figures {

// Why a summary value should not be trusted, one short text per reason:
// its contribution's s.d. exceeds the contribution; its position lies
// outside the fitted window 320-380 nm; its class is "Wrong comp."; its
// Stern-Volmer constant agrees with another component's within their
// standard deviations (|Ksv1 - Ksv2| <= s.d.1 + s.d.2, each s.d. at least
// the 0.01 the report prints it to), so the quenching does not tell the
// two apart.
std::vector<std::string> summaryFlags(const results::Stage& stage, const results::SummaryComponent& row);

// Why a whole stage should not be trusted: "Poor fit" when a residual
// exceeds 5 % of the maximum anywhere in the window (the reason gives the
// largest residual and their RMS).
std::vector<std::string> stageFlags(const results::Stage& stage);

// A section another analysis of the same data adds to the page right after
// the summary (the global fit): the anchor the navigation links to, the
// navigation's label and the whole <section> element.
struct PageSection {
    std::string id;
    std::string label;
    std::string html;
};

// The page as text; `afterSummary` in the order given.
std::string reportPageHtml(const results::RunReports& run, const std::vector<PageSection>& afterSummary = {});

}  // namespace qf::figures
