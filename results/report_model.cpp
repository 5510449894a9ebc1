#include "results/report_model.h"

namespace qf::results {

std::string stageName(StageKind kind) {
    switch (kind) {
        case StageKind::Tarno: return "TARNO";
        case StageKind::Vela1: return "VELA-I";
        case StageKind::Vela2: return "VELA-II";
        case StageKind::Vela3: return "VELA-III";
        case StageKind::VelaMono1: return "VELA-MONO-I";
        case StageKind::VelaMono2: return "VELA-MONO-II";
        case StageKind::VelaMono3: return "VELA-MONO-III";
    }
    return "";
}

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

std::string stageLabel(const Stage& stage) {
    return stage.occurrence > 1 ? stage.name + " (" + std::to_string(stage.occurrence) + ")" : stage.name;
}

std::string stageId(const Stage& stage) {
    std::string id;
    for (char c : stage.name) id += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    if (stage.occurrence > 1) id += "-" + std::to_string(stage.occurrence);
    return id;
}

std::string programName(Program program) {
    switch (program) {
        case Program::Quenfit: return "quenfit";
        case Program::Monofit: return "monofit";
        case Program::Unknown: break;
    }
    return "unknown";
}

}  // namespace qf::results
