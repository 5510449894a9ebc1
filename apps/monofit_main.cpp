// monofit: decomposition of a single tryptophan fluorescence spectrum.
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "driver/run.h"

int main(int argc, char** argv) {
    // A report on a closed pipe must fail with a message, not end the process.
    std::signal(SIGPIPE, SIG_IGN);
    const std::vector<std::string> args(argv + 1, argv + argc);
    return qf::runProgram(qf::Program::Monofit, args, qf::todayText(), std::cout, std::cerr);
}
