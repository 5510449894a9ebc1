#pragma once
// The operations of the page, one file each. Each reads its inputs from the
// exchange and writes its outputs there; "status" is the exit status the
// command line would give, "message" its failure line.

#include "exchange.h"

namespace qf::web {

// "analyse": inputs data, program ("quenfit", "monofit" or "auto"), date
// (MM-DD-YYYY), name. Outputs result, graph, summary (the reports the run
// created), warnings (one per line), status, message, program.
void analyse(Exchange& ex);

// "import": the exports and options of `trpfit import`. Outputs data, summary,
// facts (one per line), status, message.
void importExports(Exchange& ex);

// "scan": one export (inputs export, name, format, matrix, overrideHeader) read as the import
// reads it. Outputs layout, spectra (one per line: name, taken by default,
// corrected, why, excitation; tab-separated), layouts, status, message.
void scanExport(Exchange& ex);

// "report": inputs result, graph, summary, label. Outputs page,
// figure:NAME.svg, table:NAME.csv, status, message.
void reportPage(Exchange& ex);

// "index": the batch's runs (run.I.file, .program, .exitStatus, .errText,
// .components, .link for I below count). Outputs page, figure, runs
// (runs.csv), components (the combined table), statuses (one per line).
void batchIndex(Exchange& ex);

}  // namespace qf::web
