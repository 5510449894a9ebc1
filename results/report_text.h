#pragma once
// The results model written back as the three reports, in the layout and
// order in which quenfit and monofit write them (CR LF line ends). For the
// model of a finished run read from its reports this gives the reports
// byte for byte: it is how the reader is shown to keep everything they say.

#include "results/report_model.h"
#include "results/report_reader.h"

namespace qf::results {

// Texts of the results, graph and summary reports; `paths` stays empty.
ReportTexts writeReportTexts(const RunReports& run);

}  // namespace qf::results
