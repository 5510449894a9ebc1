#pragma once
// The subcommands of trpfit. Each adds itself to the application with its
// options and the callback that runs it; the callback stores the exit status
// in `status` (0 done, 1 failed).

#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "textio/program.h"

namespace qf::trpfit {

struct CommandContext {
    int status = 0;
};

// The names an option naming an analyser takes (--program): "quenfit",
// "monofit".
inline std::vector<std::string> programNames() {
    return {programName(Program::Quenfit), programName(Program::Monofit)};
}

}  // namespace qf::trpfit
