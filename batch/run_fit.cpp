#include "batch/run_fit.h"

#include <array>

#include "fit/fit_tables.h"
#include "outputs/output_names.h"
#include "results/tables.h"
#include "textio/csv_text.h"

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

std::optional<Program> programOf(const results::RunReports& run) { return run.program; }

RunFit fitRun(const std::string& dataPath, const results::RunReports& run, const std::string& fileLabel) {
    const LegacyAnswer legacy = legacyAnswerOf(run);
    const fit::FitOutcome outcome = fit::fitDataFile(dataPath, programOf(run), legacy.options);
    RunFit out;
    if (!outcome.fit) {
        // The fit's message is the program's own for the file.
        out.refusal = outcome.failure;
        return out;
    }
    const fit::GlobalFit& g = *outcome.fit;
    out.warnings = g.warnings;
    out.verdict = verdictWord(g);
    out.additions.afterSummary.push_back(
        {"global-fit", "Global fit", fitpage::globalFitSectionHtml(g, legacy.stages)});
    out.additions.figures.push_back({std::string(outputs::kFiguresFolder) + "/" + fitpage::kFigureName,
                                     fitpage::positionsFigureSvgDocument(g, legacy.stages)});
    // The tables are UTF-8 like the others: a name in Latin-1, say, gets
    // U+FFFD for its bytes that are not.
    const std::string label = results::validUtf8(fileLabel);
    out.additions.tables.push_back({outputs::kFitTable, fit::fitCsv(g, label)});
    out.additions.tables.push_back({outputs::kModelsTable, fit::modelsCsv(g, label)});
    return out;
}

std::string verdictOfModelsCsv(const std::string& text, const std::string& path) {
    const text::CsvTable table = text::CsvTable::parse(text, path);
    const std::size_t nCol = table.column("n_components"), verdictCol = table.column("verdict");
    std::vector<std::string> undecided;
    for (std::size_t r = 0; r < table.size(); ++r) {
        const std::string& verdict = table.text(r, verdictCol);
        if (verdict == "chosen") return table.text(r, nCol);
        if (verdict == "undecided") undecided.push_back(table.text(r, nCol));
    }
    if (undecided.size() == 2) return "undecided " + undecided[0] + "/" + undecided[1];
    return "";
}

std::string fitHeading() { return firstLine(fit::fitCsv(fit::GlobalFit{}, "")); }
std::string modelsHeading() { return firstLine(fit::modelsCsv(fit::GlobalFit{}, "")); }

}  // namespace qf::batch
