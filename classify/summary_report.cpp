#include "classify/summary_report.h"

#include <string>

#include "classify/spectral_class.h"

namespace qf {

void writeSummaryHeading(ReportWriter& summary) {
    writeTextCells(summary, {{0, "PROGRAMM"}, {13, "DISCR."}, {21, "Nsc"}, {27, "N"}, {37, "Lm,nm"},
                             {55, "S,%"}, {66, "CLASS"}});
    writeRule(summary, '-', 79);
}

void writeSummaryStageRow(ReportWriter& summary, std::string_view label, int componentCount,
                          double discriminant, int smoothingCycles) {
    summary.printText(label, Sep::Join);
    if (componentCount > 0) summary.printNumber(componentCount, Sep::Join);
    summary.tab(12);
    summary.printNumber(discriminant, Sep::Join);
    summary.tab(21);
    summary.printNumber(smoothingCycles - 1, Sep::Join);
}

void writeSummaryComponent(ReportWriter& summary, int component, double peakNm, double peakError,
                           double contribution, double contributionSd) {
    summary.tab(26);
    summary.printNumber(component, Sep::Join);
    summary.tab(31);
    summary.printNumber(peakNm, Sep::Join);
    summary.printText("+/-", Sep::Join);
    summary.printNumber(peakError, Sep::Join);
    summary.tab(49);
    summary.printNumber(contribution, Sep::Join);
    summary.printText("+/-", Sep::Join);
    summary.printNumber(contributionSd, Sep::Join);
    summary.tab(66);
    summary.printText(spectralClass(peakNm), Sep::End);
}

void writeSummaryLegendLines(ReportWriter& summary) {
    const auto legend = [&summary](std::string_view key, std::string_view text) {
        summary.printText(key, Sep::Join);
        summary.tab(8);
        summary.printText(text, Sep::End);
    };
    legend("DISCR.", "- Goodnes-of-Fit. (average  error of decomposition) ");
    legend("Nsc", "- Number of smoothed cycles");
    legend("N", "- Number of spectral components");
    legend("Lm", "- Maximum position of spectral components in nm");
    legend("S,%", "- Contribution of spectral components in total spectrum in %");
    legend("Class", "- Assignemnet of spectral components to spectral classes ");
    summary.endLine();
}

}  // namespace qf
