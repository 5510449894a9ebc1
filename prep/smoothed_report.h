#pragma once
// The smoothed-spectra report of a reporting pass: the working spectra
// as the smoothing cycles left them, and their differences from the
// experimental spectra, whose root-mean-square is the smoothing error.

#include "prep/spectra.h"
#include "textio/program.h"
#include "textio/report_writer.h"

namespace qf {

// Writes both sections for stage `n` (0 = the phase-plane stage) and returns
// smoothingRms.
double writeSmoothedSpectra(ReportWriter& graph, const Spectra& spectra, int n, Program program);

}  // namespace qf
