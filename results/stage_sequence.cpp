#include "results/stage_sequence.h"

namespace qf::results {

bool isMonoKind(StageKind kind) {
    return kind == StageKind::VelaMono1 || kind == StageKind::VelaMono2 || kind == StageKind::VelaMono3;
}

std::optional<StageKind> headinglessSuccessor(StageKind absent) {
    if (absent == StageKind::Vela1) return StageKind::Vela2;
    if (absent == StageKind::Vela2) return StageKind::Vela3;
    return std::nullopt;
}

bool absenceInSummary(StageKind kind) { return !isMonoKind(kind); }

bool emptyLineAfterRule(StageKind kind) { return kind != StageKind::Tarno; }

StageKind stageOfBlock(const SummaryBlock& block, std::optional<Program> program) {
    if (block.method == SummaryMethod::PhasePlane) return StageKind::Tarno;
    const bool mono = program == Program::Monofit;
    switch (block.components) {
        case 1: return mono ? StageKind::VelaMono1 : StageKind::Vela1;
        case 2: return mono ? StageKind::VelaMono2 : StageKind::Vela2;
        default: return mono ? StageKind::VelaMono3 : StageKind::Vela3;
    }
}

}  // namespace qf::results
