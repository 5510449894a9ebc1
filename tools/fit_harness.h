#pragma once
// Coverage and verdict harness: simulated files with a known truth go
// through an analysis, and the table says how often its 95 % intervals hold
// the true positions, Stern-Volmer constants and contributions, how often
// its positions are within 1 nm, and how often its verdict on the number of
// components names the true count, a wrong one, or cannot tell.
//
// The analysis is a function from a simulated case to an Estimate, so the
// harness does not depend on how a fit is computed; the legacy programs'
// answers are scored the same way for comparison.

#include <array>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "tools/synthetic_cases.h"

namespace qf::fitcheck {

struct Interval {
    double value = 0.0;
    double low = 0.0;
    double high = 0.0;
    bool holds(double truth) const { return low <= truth && truth <= high; }
};

struct ComponentEstimate {
    Interval position;  // nm, the band maximum on the wavenumber scale (lambdaM)
    std::optional<Interval> ksv;  // 1/M, series only
    Interval share;     // % of the unquenched spectrum's area
};

// The fit with a given number of components.
struct ModelEstimate {
    int components = 0;
    std::vector<ComponentEstimate> estimates;  // ascending position
};

// The verdict on the number of components: one chosen count, or "cannot
// tell between `low` and `low` + 1".
struct Verdict {
    int chosen = 0;  // 1 to 3, or 0 when undecided
    int low = 0;     // when undecided
};

struct Estimate {
    std::vector<ModelEstimate> models;
    Verdict verdict;
    std::string failure;  // not empty: the analysis did not finish
    const ModelEstimate* model(int components) const;
};

// What the legacy programs report for one file: the summary's L +/- DL per
// stage (peak wavelengths on the wavelength scale) and its discriminants.
struct LegacyStage {
    int components = 0;
    double discriminant = 0.0;
    std::vector<Interval> peaks;  // L, L - DL, L + DL
};
struct LegacyEstimate {
    std::vector<LegacyStage> stages;
    std::string failure;
};

using Analysis = std::function<Estimate(const synth::SimulatedCase&)>;
using LegacyAnalysis = std::function<LegacyEstimate(const synth::SimulatedCase&)>;

// How one file fared.
struct CaseScore {
    int components = 0;
    bool failed = false;
    int positionsCovered = 0, ksvScored = 0, ksvCovered = 0, sharesCovered = 0, within1nm = 0;
    double positionHalfWidth = 0.0;  // summed over components
    enum class Verdict { True, Wrong, Undecided } verdict = Verdict::Wrong;
};
CaseScore scoreCase(const synth::CaseTruth& truth, const Estimate& estimate);

struct LegacyScore {
    int components = 0;
    bool failed = false;
    int within1nm = 0, covered = 0;
    bool smallestDiscriminantTrue = false;
};
LegacyScore scoreLegacy(const synth::CaseTruth& truth, const LegacyEstimate& estimate);

// The truth's peak wavelength on the wavelength scale, as the reports find it.
double truePeakWavelength(double lambdaM);

// Sums over the files of one program and component count.
struct Cell {
    int files = 0, failed = 0, components = 0;
    int fittedComponents = 0;  // of the files that did not fail
    int positionsCovered = 0, ksvScored = 0, ksvCovered = 0, sharesCovered = 0, within1nm = 0;
    double positionHalfWidth = 0.0;
    int verdictTrue = 0, verdictWrong = 0, verdictUndecided = 0;
    int legacyFiles = 0, legacyFailed = 0, legacyComponents = 0, legacyWithin1nm = 0, legacyCovered = 0,
        legacyDiscriminantTrue = 0;
    void add(const CaseScore& s);
    void add(const LegacyScore& s);
};

struct HarnessOptions {
    int files = 300;
    std::uint64_t firstSeed = 1;
    int maxComponents = 3;  // component counts 1 to this take turns
    synth::CaseOptions cases;  // noise levels and quencher; count and program are the harness's
    std::ostream* log = nullptr;  // one line per file that misses a target, when set
};

struct CoverageTable {
    std::array<std::array<Cell, 3>, 2> cells{};  // [series ? 0 : 1][components - 1]
    std::vector<std::string> misses;             // one line per file with a miss
    double seconds = 0.0;                        // in the analysis
    double legacySeconds = 0.0;
};

// The case of file `index` of a run: component counts and programs take
// turns (1, 2, 3 components of a series, then of single spectra), seeds
// count up.
synth::SimulatedCase harnessCase(const HarnessOptions& options, int index);

// Runs `analysis` and `legacy` (each when given) over the harness's files.
CoverageTable runHarness(const HarnessOptions& options, const Analysis& analysis,
                         const LegacyAnalysis& legacy = nullptr);

// The global fit of the case's file (its own starts only).
Estimate globalFitEstimate(const synth::SimulatedCase& c);

// The legacy programs run on the case's file (in this process, through a
// scratch folder).
LegacyEstimate legacyEstimate(const synth::SimulatedCase& c);

// The table as text, one row per program and component count.
std::string formatTable(const CoverageTable& table);

}  // namespace qf::fitcheck
