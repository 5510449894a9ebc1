#include "fit/fit_tables.h"

#include <cmath>
#include <cstdio>

#include "textio/csv_text.h"

namespace qf::fit {

namespace {

// Fixed formats keep the tables byte-for-byte reproducible; a value that is
// not a number is an empty field.
std::string num(double v, const char* format) {
    if (!std::isfinite(v)) return {};
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    std::string s = buf;
    if (s == "-0.00" || s == "-0.0" || s == "-0") s.erase(0, 1);
    return s;
}

}  // namespace

std::string fitCsv(const GlobalFit& fit, const std::string& file) {
    text::CsvWriter rows{"file", "program", "n_components", "component", "position_nm", "position_low_nm",
                         "position_high_nm", "Ksv", "Ksv_low", "Ksv_high", "share_percent", "share_low",
                         "share_high", "class"};
    for (const ModelFit& m : fit.models) {
        for (std::size_t i = 0; i < m.component.size(); ++i) {
            const ComponentFit& c = m.component[i];
            rows.add(file).add(programName(fit.program)).add(std::to_string(m.components));
            rows.add(std::to_string(i + 1));
            rows.add(num(c.position.value, "%.2f")).add(num(c.position.low, "%.2f"));
            rows.add(num(c.position.high, "%.2f"));
            if (c.ksv) {
                rows.add(num(c.ksv->value, "%.4g")).add(num(c.ksv->low, "%.4g")).add(num(c.ksv->high, "%.4g"));
            } else {
                rows.add("").add("").add("");
            }
            rows.add(num(c.share.value, "%.1f")).add(num(c.share.low, "%.1f")).add(num(c.share.high, "%.1f"));
            rows.add(spectralClassName(c.spectralClass));
            rows.end();
        }
    }
    return rows.text();
}

std::string modelsCsv(const GlobalFit& fit, const std::string& file) {
    text::CsvWriter rows{"file", "program", "n_components", "rss", "dof", "aicc", "bic", "akaike_weight",
                         "p_vs_next", "verdict"};
    for (const ModelFit& m : fit.models) {
        rows.add(file).add(programName(fit.program)).add(std::to_string(m.components));
        rows.add(num(m.rss, "%.6g")).add(std::to_string(m.dof));
        rows.add(num(m.aicc, "%.2f")).add(num(m.bic, "%.2f")).add(num(m.akaikeWeight, "%.4f"));
        rows.add(m.pVsNext ? num(*m.pVsNext, "%.4g") : std::string());
        rows.add(verdictText(m.verdict));
        rows.end();
    }
    return rows.text();
}

}  // namespace qf::fit
