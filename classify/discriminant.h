#pragma once
// Goodness of fit of a decomposition: the discriminant, which weighs the fit
// error (inflated by the Stern-Volmer penalty in a quenching series) and the
// smoothing error by the component count, and the lines that print it.

#include "textio/report_writer.h"

namespace qf {

// Fit term of a quenching series, to 0.001.
double fitTerm(double fitRms, double svPenalty);

// Discriminant of a quenching series from its rounded fit term.
double seriesDiscriminant(double fitTerm, double smoothingRms, int n);

// Discriminant of a single spectrum (no penalty, no separate rounding).
double spectrumDiscriminant(double smoothingRms, double fitRms, int n);

// Results report: two empty lines, the goodness-of-fit line with `value`,
// and an empty line.
void writeGoodnessOfFit(ReportWriter& result, double value);

// Graph report: the discriminant block ending with a rule of `ruleLength`
// hyphens.
void writeGraphDiscriminant(ReportWriter& graph, double discriminant, int ruleLength);

}  // namespace qf
