#include "batch/run_fit.h"

#include <array>

#include "batch/run_table.h"
#include "fit/fit_tables.h"

namespace qf::batch {

namespace {

bool isVela(results::StageKind kind) { return kind != results::StageKind::Tarno; }

std::string firstLine(const std::string& csv) { return csv.substr(0, csv.find("\r\n")); }

std::string verdictWord(const fit::GlobalFit& g) {
    if (g.chosen > 0) return std::to_string(g.chosen);
    return "undecided " + std::to_string(g.undecidedLow) + "/" + std::to_string(g.undecidedLow + 1);
}

}  // namespace

LegacyAnswer legacyAnswerOf(const results::RunReports& run) {
    std::array<const results::Stage*, 3> chosen{};
    for (bool vela : {true, false}) {
        for (const results::Stage& stage : run.stages) {
            if (isVela(stage.kind) != vela || stage.table1.empty()) continue;
            const int n = static_cast<int>(stage.table1.size());
            if (n < 1 || n > 3 || chosen[static_cast<std::size_t>(n - 1)] != nullptr) continue;
            chosen[static_cast<std::size_t>(n - 1)] = &stage;
        }
    }
    LegacyAnswer out;
    for (int n = 1; n <= 3; ++n) {
        const results::Stage* stage = chosen[static_cast<std::size_t>(n - 1)];
        if (stage == nullptr) continue;
        fitpage::LegacyStage legacy;
        legacy.components = n;
        std::vector<double>& starts = out.options.legacyStarts[static_cast<std::size_t>(n - 1)];
        for (const results::ComponentRow& row : stage->table1) {
            legacy.peak.push_back(row.lNm);
            legacy.peakError.push_back(row.dlNm);
            // V is the wavenumber of the band maximum, which the fit's
            // positions are.
            if (row.vCm > 0) starts.push_back(1e7 / row.vCm);
        }
        if (starts.size() != stage->table1.size()) starts.clear();
        out.stages.push_back(std::move(legacy));
    }
    return out;
}

std::optional<Program> programOf(const results::RunReports& run) {
    if (run.program == results::Program::Quenfit) return Program::Quenfit;
    if (run.program == results::Program::Monofit) return Program::Monofit;
    return std::nullopt;
}

RunFit fitRun(const std::string& dataPath, const results::RunReports& run, const std::string& fileLabel) {
    const LegacyAnswer legacy = legacyAnswerOf(run);
    const fit::FitOutcome outcome = fit::fitDataFile(dataPath, programOf(run), legacy.options);
    RunFit out;
    if (!outcome.fit) {
        out.failure = outcome.failure;
        return out;
    }
    const fit::GlobalFit& g = *outcome.fit;
    out.warnings = g.warnings;
    out.verdict = verdictWord(g);
    out.additions.afterSummary.push_back(
        {"global-fit", "Global fit", fitpage::globalFitSectionHtml(g, legacy.stages)});
    out.additions.figures.push_back({std::string("figures/") + fitpage::kFigureName,
                                     fitpage::positionsFigureSvgDocument(g, legacy.stages)});
    out.additions.tables.push_back({fit::kFitTable, fit::fitCsv(g, fileLabel)});
    out.additions.tables.push_back({fit::kModelsTable, fit::modelsCsv(g, fileLabel)});
    return out;
}

std::string verdictOfModelsCsv(const std::string& text) {
    std::string error;
    const auto rows = parseCsv(text, error);
    if (!rows || rows->empty()) return "";
    const std::vector<std::string>& head = rows->front();
    std::size_t nCol = head.size(), verdictCol = head.size();
    for (std::size_t i = 0; i < head.size(); ++i) {
        if (head[i] == "n_components") nCol = i;
        if (head[i] == "verdict") verdictCol = i;
    }
    if (nCol == head.size() || verdictCol == head.size()) return "";
    std::vector<std::string> undecided;
    for (std::size_t r = 1; r < rows->size(); ++r) {
        const std::vector<std::string>& row = (*rows)[r];
        if (row.size() != head.size()) continue;
        if (row[verdictCol] == "chosen") return row[nCol];
        if (row[verdictCol] == "undecided") undecided.push_back(row[nCol]);
    }
    if (undecided.size() == 2) return "undecided " + undecided[0] + "/" + undecided[1];
    return "";
}

std::string fitHeading() { return firstLine(fit::fitCsv(fit::GlobalFit{}, "")); }
std::string modelsHeading() { return firstLine(fit::modelsCsv(fit::GlobalFit{}, "")); }

}  // namespace qf::batch
