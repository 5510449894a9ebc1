#include "results/tables.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "textio/csv_text.h"
#include "textio/grid.h"
#include "textio/number_text.h"

namespace qf::results {

namespace {

// Numbers in the reports' own number text; a value the reports do not
// have is an empty field.
std::string field(double value) { return numberText(value); }
std::string field(int value) { return std::to_string(value); }
std::string field(const std::string& value) { return value; }

template <class T>
std::string field(const std::optional<T>& value) {
    return value ? field(*value) : std::string();
}

template <class T>
std::optional<T> at(const std::vector<T>& v, std::size_t i) {
    return i < v.size() ? std::optional<T>(v[i]) : std::nullopt;
}

int componentCount(const Stage& s) {
    std::size_t n = s.table1.size();
    if (s.summary) n = std::max(n, s.summary->rows.size());
    n = std::max(n, s.table3.size());
    return static_cast<int>(n);
}

}  // namespace

std::string componentsCsv(const RunReports& run, const std::string& file) {
    text::CsvWriter csv{"file", "program", "stage", "n_components", "component", "L_nm", "DL_nm",
                        "V_cm", "DV_cm", "S_percent", "S_sd", "class", "Ksv", "Ksv_sd", "Ksv_rel_percent",
                        "Ksv_rel_sd", "B", "R", "discriminant", "Nsc"};
    for (const Stage& s : run.stages) {
        const int n = componentCount(s);
        std::optional<double> discriminant = s.discriminant;
        if (!discriminant && s.summary && !s.summary->absent) discriminant = s.summary->discriminant;
        std::optional<int> nsc;
        if (s.summary && !s.summary->absent) nsc = s.summary->nsc;
        for (int k = 0; k < n; ++k) {
            const auto kk = static_cast<std::size_t>(k);
            const std::optional<ComponentRow> t1 = at(s.table1, kk);
            const std::optional<SummaryComponent> sc =
                s.summary ? at(s.summary->rows, kk) : std::optional<SummaryComponent>();
            const std::optional<SternVolmerRow> t3 = at(s.table3, kk);
            csv.add(file).add(programText(run.program)).add(stageLabel(s)).add(field(n)).add(field(k + 1));
            // Table 1 gives the position; the summary repeats L and DL.
            csv.add(field(t1 ? std::optional<double>(t1->lNm) : sc ? std::optional<double>(sc->lNm) : std::nullopt));
            csv.add(field(t1   ? std::optional<double>(t1->dlNm)
                          : sc ? std::optional<double>(sc->lError)
                               : std::nullopt));
            csv.add(field(t1 ? std::optional<double>(t1->vCm) : std::nullopt));
            csv.add(field(t1 ? std::optional<double>(t1->dvCm) : std::nullopt));
            // S and its s.d. are the first spectrum's: from the summary, else Table 2.
            std::optional<double> sPercent, sSd;
            std::optional<std::string> className;
            if (sc) {
                sPercent = sc->sPercent;
                sSd = sc->sSd;
                className = std::string(spectralClassName(sc->spectralClass));
            } else if (!s.table2.empty() && kk < s.table2[0].components.size()) {
                sPercent = s.table2[0].components[kk].si;
                sSd = s.table2[0].components[kk].sd;
            }
            csv.add(field(sPercent)).add(field(sSd)).add(field(className));
            csv.add(field(t3 ? std::optional<double>(t3->ksv) : std::nullopt));
            csv.add(field(t3 ? std::optional<double>(t3->ksvSd) : std::nullopt));
            csv.add(field(t3 ? std::optional<double>(t3->ksvRelPercent) : std::nullopt));
            csv.add(field(t3 ? std::optional<double>(t3->ksvRelSd) : std::nullopt));
            csv.add(field(t3 ? std::optional<double>(t3->b) : std::nullopt));
            csv.add(field(t3 ? std::optional<double>(t3->r) : std::nullopt));
            csv.add(field(discriminant)).add(field(nsc));
            csv.end();
        }
    }
    return csv.text();
}

std::string contributionsCsv(const RunReports& run, const std::string& file) {
    text::CsvWriter csv{"file", "program", "stage", "spectrum", "component",
                        "Cq_M", "Si_percent", "Si_sd", "Ai", "Atotal"};
    for (const Stage& s : run.stages) {
        for (const SpectrumContributions& g : s.table2) {
            for (const Contribution& c : g.components) {
                csv.add(file).add(programText(run.program)).add(stageLabel(s));
                csv.add(field(g.spectrum)).add(field(c.component));
                csv.add(field(g.cq)).add(field(c.si)).add(field(c.sd)).add(field(c.ai)).add(field(g.atotal));
                csv.end();
            }
        }
    }
    return csv.text();
}

namespace {

void addCurves(text::CsvWriter& csv, const std::string& stage, const std::string& kind, const CurveSet& set) {
    for (std::size_t s = 0; s < set.values.size(); ++s) {
        const std::vector<double>& row = set.values[s];
        for (std::size_t j = 0; j < row.size() && j < set.wavelengthsNm.size(); ++j) {
            csv.add(stage).add(kind).add(field(static_cast<int>(s + 1)));
            csv.add(field(set.wavelengthsNm[j])).add(field(row[j]));
            csv.end();
        }
    }
}

}  // namespace

std::string spectraCsv(const RunReports& run) {
    text::CsvWriter csv{"stage", "kind", "spectrum", "wavelength", "value"};
    const FirstPass& fp = run.firstPass;
    addCurves(csv, "first pass", "as_read", fp.asRead);
    addCurves(csv, "first pass", "correction", fp.correction);
    addCurves(csv, "first pass", "experimental", fp.normalized);
    for (const Stage& s : run.stages) {
        const std::string label = stageLabel(s);
        addCurves(csv, label, "measured", measuredSpectra(run, s));
        addCurves(csv, label, "smoothed", s.smoothed);
        addCurves(csv, label, "smoothing_difference", s.smoothedDifference);
        addCurves(csv, label, "residual", s.residuals);
        addCurves(csv, label, "theoretical", s.theoretical);
        addCurves(csv, label, "component", s.firstSpectrumComponents);
    }
    return csv.text();
}

namespace {

// A smoothing difference d = 0.01 Fix(smoothed - measured + 0.5) on the
// 0..10000 scale back to smoothed - measured in whole units: Fix truncates
// toward zero, so a negative difference of n units prints as n + 1.
double differenceUnits(double d) {
    const double n = std::round(d * 100.0);
    return n < 0 ? n - 1 : n;
}

bool sameShape(const CurveSet& a, const CurveSet& b) {
    if (a.values.size() != b.values.size() || a.wavelengthsNm != b.wavelengthsNm) return false;
    for (std::size_t s = 0; s < a.values.size(); ++s) {
        if (a.values[s].size() != b.values[s].size()) return false;
    }
    return !a.values.empty();
}

bool inWindow(double nm) { return nm >= kWindowFirstNm - 1e-9 && nm <= kWindowLastNm + 1e-9; }

}  // namespace

CurveSet measuredSpectra(const RunReports& run, const Stage& stage) {
    CurveSet out;
    if (sameShape(stage.smoothed, stage.smoothedDifference)) {
        out.wavelengthsNm = stage.smoothed.wavelengthsNm;
        for (std::size_t s = 0; s < stage.smoothed.values.size(); ++s) {
            std::vector<double> row;
            for (std::size_t j = 0; j < stage.smoothed.values[s].size(); ++j) {
                const double smoothedUnits = std::round(stage.smoothed.values[s][j] * 10000.0);
                row.push_back((smoothedUnits - differenceUnits(stage.smoothedDifference.values[s][j])) / 10000.0);
            }
            out.values.push_back(std::move(row));
        }
        return out;
    }
    const CurveSet& first = run.firstPass.normalized;
    double largest = 0;
    for (const auto& row : first.values) {
        for (std::size_t j = 0; j < row.size() && j < first.wavelengthsNm.size(); ++j) {
            if (inWindow(first.wavelengthsNm[j])) largest = std::max(largest, row[j]);
        }
    }
    if (!(largest > 0)) return out;
    out.wavelengthsNm = first.wavelengthsNm;
    for (const auto& row : first.values) {
        std::vector<double> scaled;
        for (double v : row) scaled.push_back(std::round(v / largest * 10000.0) / 10000.0);
        out.values.push_back(std::move(scaled));
    }
    return out;
}

double fittedScale(const Stage& stage) {
    if (stage.kind == StageKind::Tarno) {
        const CurveSet& t = stage.theoretical;
        double largest = 0;
        for (const auto& row : t.values) {
            for (std::size_t j = 0; j < row.size() && j < t.wavelengthsNm.size(); ++j) {
                if (inWindow(t.wavelengthsNm[j])) largest = std::max(largest, row[j]);
            }
        }
        return largest > 0 ? 1.0 / largest : 1.0;
    }
    double largest = 0;
    for (const auto& row : stage.smoothed.values) {
        for (double v : row) largest = std::max(largest, v);
    }
    return largest > 0 ? largest : 1.0;
}

bool movedBySmoothing(const Stage& stage, std::size_t s, std::size_t j) {
    const auto& d = stage.smoothedDifference.values;
    return s < d.size() && j < d[s].size() && differenceUnits(d[s][j]) != 0;
}

}  // namespace qf::results
