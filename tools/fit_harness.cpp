#include "tools/fit_harness.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ostream>

#include "band/band.h"

namespace qf::fitcheck {

namespace {

double percent(int part, int whole) { return whole > 0 ? 100.0 * part / whole : 0.0; }

std::string percentText(int part, int whole) {
    if (whole == 0) return "-";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", percent(part, whole));
    return buf;
}

const char* verdictName(CaseScore::Verdict v) {
    switch (v) {
        case CaseScore::Verdict::True: return "true";
        case CaseScore::Verdict::Wrong: return "wrong";
        case CaseScore::Verdict::Undecided: return "undecided";
    }
    return "?";
}

// One line about a file that missed: the seed reruns it.
std::string missLine(const synth::SimulatedCase& c, const CaseScore& s, const Estimate& e) {
    std::string line = "seed " + std::to_string(c.seed) + (c.truth.series ? " series " : " single ") +
                       std::to_string(s.components) + " comp.";
    char buf[96];
    line += c.truth.series ? " (type " + std::to_string(c.truth.quencherType) + ", " : std::string(" (");
    std::snprintf(buf, sizeof buf, "%s %.2f %%, standard %.2f %%):", synth::noiseKindName(c.truth.noiseKind),
                  100.0 * c.truth.noise, 100.0 * c.truth.standardNoise);
    line += buf;
    for (std::size_t i = 0; i < c.truth.positions.size(); ++i) {
        std::snprintf(buf, sizeof buf, " %.2f", c.truth.positions[i]);
        line += buf;
        if (c.truth.series) {
            std::snprintf(buf, sizeof buf, "/Ksv %.3g", c.truth.ksv[i]);
            line += buf;
        }
        std::snprintf(buf, sizeof buf, "/%.1f%%", c.truth.sharePercent[i]);
        line += buf;
    }
    if (s.failed) return line + "; failed: " + e.failure;
    if (const ModelEstimate* m = e.model(s.components)) {
        line += "; fit";
        for (const ComponentEstimate& ce : m->estimates) {
            std::snprintf(buf, sizeof buf, " %.2f [%.2f, %.2f]", ce.position.value, ce.position.low, ce.position.high);
            line += buf;
        }
    }
    line += "; covered " + std::to_string(s.positionsCovered) + " pos, " + std::to_string(s.ksvCovered) + "/" +
            std::to_string(s.ksvScored) + " Ksv, " + std::to_string(s.sharesCovered) + " shares; verdict " +
            verdictName(s.verdict);
    return line;
}

bool missed(const CaseScore& s) {
    return s.failed || s.verdict == CaseScore::Verdict::Wrong || s.positionsCovered < s.components ||
           s.ksvCovered < s.ksvScored || s.sharesCovered < s.components;
}

}  // namespace

const ModelEstimate* Estimate::model(int components) const {
    for (const ModelEstimate& m : models) {
        if (m.components == components) return &m;
    }
    return nullptr;
}

double truePeakWavelength(double lambdaM) {
    return 0.1 * std::trunc(10.0 * peakWavelength(lambdaM, lambdaM - 5.0) + 0.5);
}

CaseScore scoreCase(const synth::CaseTruth& truth, const Estimate& estimate) {
    CaseScore s;
    s.components = static_cast<int>(truth.positions.size());
    s.ksvScored = truth.series ? s.components : 0;
    const ModelEstimate* m = estimate.model(s.components);
    if (!estimate.failure.empty() || m == nullptr || static_cast<int>(m->estimates.size()) != s.components) {
        s.failed = true;
        return s;
    }
    // Both in ascending position: the fit keeps its components apart, so
    // order pairs them with the truth.
    std::vector<ComponentEstimate> est = m->estimates;
    std::sort(est.begin(), est.end(),
              [](const ComponentEstimate& a, const ComponentEstimate& b) { return a.position.value < b.position.value; });
    for (int i = 0; i < s.components; ++i) {
        const ComponentEstimate& e = est[static_cast<std::size_t>(i)];
        const std::size_t t = static_cast<std::size_t>(i);
        s.positionsCovered += e.position.holds(truth.positions[t]);
        s.within1nm += std::abs(e.position.value - truth.positions[t]) <= 1.0;
        s.positionHalfWidth += 0.5 * (e.position.high - e.position.low);
        s.sharesCovered += e.share.holds(truth.sharePercent[t]);
        if (truth.series) {
            s.ksvCovered += e.ksv.has_value() && e.ksv->holds(truth.ksv[t]);
        }
    }
    const Verdict& v = estimate.verdict;
    if (v.chosen == s.components) {
        s.verdict = CaseScore::Verdict::True;
    } else if (v.chosen == 0 && (v.low == s.components || v.low + 1 == s.components)) {
        s.verdict = CaseScore::Verdict::Undecided;
    } else {
        s.verdict = CaseScore::Verdict::Wrong;
    }
    return s;
}

LegacyScore scoreLegacy(const synth::CaseTruth& truth, const LegacyEstimate& estimate) {
    LegacyScore s;
    s.components = static_cast<int>(truth.positions.size());
    const LegacyStage* stage = nullptr;
    const LegacyStage* smallest = nullptr;
    for (const LegacyStage& st : estimate.stages) {
        // A single spectrum's fall-back from three components prints a
        // second two-component block: the first is the two-component stage.
        if (st.components == s.components && stage == nullptr) stage = &st;
        if (smallest == nullptr || st.discriminant < smallest->discriminant) smallest = &st;
    }
    if (!estimate.failure.empty() || stage == nullptr || static_cast<int>(stage->peaks.size()) != s.components) {
        s.failed = true;
        return s;
    }
    std::vector<Interval> peaks = stage->peaks;
    std::sort(peaks.begin(), peaks.end(), [](const Interval& a, const Interval& b) { return a.value < b.value; });
    for (int i = 0; i < s.components; ++i) {
        const double truePeak = truePeakWavelength(truth.positions[static_cast<std::size_t>(i)]);
        const Interval& p = peaks[static_cast<std::size_t>(i)];
        s.within1nm += std::abs(p.value - truePeak) <= 1.0;
        s.covered += p.holds(truePeak);
    }
    s.smallestDiscriminantTrue = smallest != nullptr && smallest->components == s.components;
    return s;
}

void Cell::add(const CaseScore& s) {
    ++files;
    components += s.components;
    ksvScored += s.ksvScored;
    if (s.failed) {
        ++failed;
        ++verdictWrong;
        return;
    }
    fittedComponents += s.components;
    positionsCovered += s.positionsCovered;
    ksvCovered += s.ksvCovered;
    sharesCovered += s.sharesCovered;
    within1nm += s.within1nm;
    positionHalfWidth += s.positionHalfWidth;
    verdictTrue += s.verdict == CaseScore::Verdict::True;
    verdictWrong += s.verdict == CaseScore::Verdict::Wrong;
    verdictUndecided += s.verdict == CaseScore::Verdict::Undecided;
}

void Cell::add(const LegacyScore& s) {
    ++legacyFiles;
    legacyComponents += s.components;
    if (s.failed) {
        ++legacyFailed;
        return;
    }
    legacyWithin1nm += s.within1nm;
    legacyCovered += s.covered;
    legacyDiscriminantTrue += s.smallestDiscriminantTrue;
}

synth::SimulatedCase harnessCase(const HarnessOptions& options, int index) {
    synth::CaseOptions co = options.cases;
    const int counts = std::clamp(options.maxComponents, 1, 3);
    co.components = 1 + index % counts;
    co.series = (index / counts) % 2 == 0;
    return synth::simulateCase(options.firstSeed + static_cast<std::uint64_t>(index), co);
}

CoverageTable runHarness(const HarnessOptions& options, const Analysis& analysis, const LegacyAnalysis& legacy) {
    using Clock = std::chrono::steady_clock;
    CoverageTable table;
    for (int i = 0; i < options.files; ++i) {
        const synth::SimulatedCase c = harnessCase(options, i);
        Cell& cell = table.cells[c.truth.series ? 0 : 1][c.truth.positions.size() - 1];
        if (analysis) {
            const auto t0 = Clock::now();
            const Estimate e = analysis(c);
            table.seconds += std::chrono::duration<double>(Clock::now() - t0).count();
            const CaseScore s = scoreCase(c.truth, e);
            cell.add(s);
            if (missed(s)) {
                table.misses.push_back(missLine(c, s, e));
                if (options.log != nullptr) *options.log << table.misses.back() << "\n";
            }
        }
        if (legacy) {
            const auto t1 = Clock::now();
            const LegacyEstimate le = legacy(c);
            table.legacySeconds += std::chrono::duration<double>(Clock::now() - t1).count();
            const LegacyScore ls = scoreLegacy(c.truth, le);
            cell.add(ls);
            if (ls.failed) {
                table.misses.push_back("seed " + std::to_string(c.seed) + (c.truth.series ? " series " : " single ") +
                                       std::to_string(ls.components) + " comp.: legacy " +
                                       (le.failure.empty() ? "has no stage of that count" : le.failure));
                if (options.log != nullptr) *options.log << table.misses.back() << "\n";
            }
        }
    }
    return table;
}

std::string formatTable(const CoverageTable& table) {
    std::string out;
    char buf[256];
    bool anyFit = false;
    for (const auto& row : table.cells) {
        for (const Cell& c : row) anyFit = anyFit || c.files > 0;
    }
    if (anyFit) out += "Global fit, 95 % intervals (coverage in % of components; verdict in % of files)\n";
    if (anyFit) out += "program  N  files  comps  position  Ksv    share  within1nm  halfwidth  true   wrong  undecided  failed\n";
    bool anyLegacy = false;
    for (int p = 0; p < 2; ++p) {
        for (int n = 0; n < 3; ++n) {
            const Cell& c = table.cells[static_cast<std::size_t>(p)][static_cast<std::size_t>(n)];
            anyLegacy = anyLegacy || c.legacyFiles > 0;
            if (c.files == 0) continue;
            const int scored = c.components;
            std::snprintf(buf, sizeof buf, "%-8s %d  %5d  %5d  %8s  %5s  %5s  %9s  %9.2f  %5s  %5s  %9s  %6d\n",
                          p == 0 ? "quenfit" : "monofit", n + 1, c.files, c.components,
                          percentText(c.positionsCovered, scored).c_str(),
                          c.ksvScored > 0 ? percentText(c.ksvCovered, c.ksvScored).c_str() : "-",
                          percentText(c.sharesCovered, scored).c_str(), percentText(c.within1nm, scored).c_str(),
                          c.fittedComponents > 0 ? c.positionHalfWidth / c.fittedComponents : 0.0,
                          percentText(c.verdictTrue, c.files).c_str(), percentText(c.verdictWrong, c.files).c_str(),
                          percentText(c.verdictUndecided, c.files).c_str(), c.failed);
            out += buf;
        }
    }
    if (anyFit) {
        std::snprintf(buf, sizeof buf, "analysis time %.1f s\n\n", table.seconds);
        out += buf;
    }
    if (!anyLegacy) return out;
    out += "Legacy programs on the same files (L and L +/- DL against the true peak wavelength)\n";
    out += "program  N  files  comps  within1nm  DLcovers  smallest-discr.-true  failed\n";
    for (int p = 0; p < 2; ++p) {
        for (int n = 0; n < 3; ++n) {
            const Cell& c = table.cells[static_cast<std::size_t>(p)][static_cast<std::size_t>(n)];
            if (c.legacyFiles == 0) continue;
            std::snprintf(buf, sizeof buf, "%-8s %d  %5d  %5d  %9s  %8s  %20s  %6d\n", p == 0 ? "quenfit" : "monofit",
                          n + 1, c.legacyFiles, c.legacyComponents,
                          percentText(c.legacyWithin1nm, c.legacyComponents).c_str(),
                          percentText(c.legacyCovered, c.legacyComponents).c_str(),
                          percentText(c.legacyDiscriminantTrue, c.legacyFiles).c_str(), c.legacyFailed);
            out += buf;
        }
    }
    std::snprintf(buf, sizeof buf, "legacy time %.1f s\n", table.legacySeconds);
    out += buf;
    return out;
}

}  // namespace qf::fitcheck
