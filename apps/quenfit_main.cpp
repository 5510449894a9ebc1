// quenfit: decomposition of a tryptophan fluorescence quenching series.
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "driver/run.h"

int main(int argc, char** argv) {
    // A report on a closed pipe must fail with a message, not end the process.
    std::signal(SIGPIPE, SIG_IGN);
    const std::vector<std::string> args(argv + 1, argv + argc);
    return qf::runProgram(qf::Program::Quenfit, args, qf::todayText(), std::cout, std::cerr);
}
