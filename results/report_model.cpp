#include "results/report_model.h"

#include "results/report_events.h"

namespace qf::results {

std::string stageName(StageKind kind) { return std::string(stageHeadingName(kind)); }

int stageComponents(StageKind kind) {
    switch (kind) {
        case StageKind::Tarno: return 2;
        case StageKind::Vela1:
        case StageKind::VelaMono1: return 1;
        case StageKind::Vela2:
        case StageKind::VelaMono2: return 2;
        case StageKind::Vela3:
        case StageKind::VelaMono3: return 3;
    }
    return 0;
}

int searchedComponents(const Stage& stage) {
    return stage.kind == StageKind::VelaMono2 && stage.occurrence > 1 ? 3 : stageComponents(stage.kind);
}

std::string absenceText(int components) { return fixedLineText(absenceLine(components)); }

SummaryStageCells stageCells(const SummaryBlock& block, Program program) {
    return {block.method, program, block.components, block.discriminant, block.nsc};
}

SummaryComponentCells componentCells(const SummaryComponent& row) {
    return {row.component, row.lNm, row.lError, row.sPercent, row.sSd, spectralClassName(row.spectralClass)};
}

std::string stageLabel(const Stage& stage) {
    const std::string name = stageName(stage.kind);
    return stage.occurrence > 1 ? name + " (" + std::to_string(stage.occurrence) + ")" : name;
}

std::string stageId(const Stage& stage) {
    std::string id;
    for (char c : stageName(stage.kind)) id += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    if (stage.occurrence > 1) id += "-" + std::to_string(stage.occurrence);
    return id;
}

std::string programText(std::optional<Program> program) { return program ? programName(*program) : "unknown"; }

}  // namespace qf::results
