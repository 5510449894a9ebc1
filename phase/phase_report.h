#pragma once
// Report lines of the phase-plane reporting pass, one function per block in
// the order the pass writes them.

#include <array>
#include <span>

#include "phase/phase_state.h"
#include "prep/spectra.h"
#include "textio/report_writer.h"

namespace qf {

class TarnoReport {
public:
    explicit TarnoReport(Reports& reports) : r_(reports) {}

    void stageHeadings();
    // Smoothed spectra and their differences from the experimental ones;
    // returns smoothingRms.
    double smoothedSpectra(const Spectra& spectra);
    void sternVolmerHeading();
    void table1Heading();
    void table1(const PhasePositions& positions);
    void table2Heading();
    void table2Rows(double concentration, const SpectrumShare& share);
    void sternVolmerAbscissa(std::span<const double> activity);
    void sternVolmerPoints(std::span<const SpectrumShare> shares, int component);
    void sternVolmerLine(const PhaseSternVolmer& sv, std::span<const double> activity);
    void table3(const std::array<PhaseSternVolmer, 2>& sv);
    void residuals(const Matrix& deviation, double step);
    void curves(const std::array<Matrix, 2>& U);
    void summary(const PhasePositions& positions, const SpectrumShare& first, double discriminant,
                 int smoothingCycles);
    void discriminant(double value);
    void nextStageHeadings();

private:
    Reports& r_;
};

}  // namespace qf
