#pragma once
// The subcommands of trpfit. Each adds itself to the application with its
// options and the callback that runs it; the callback stores the exit status
// in `status` (0 done, 1 failed).

#include <CLI/CLI.hpp>

namespace qf::trpfit {

struct CommandContext {
    int status = 0;
};

}  // namespace qf::trpfit
