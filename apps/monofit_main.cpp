// monofit: decomposition of a single tryptophan fluorescence spectrum.
#include <iostream>
#include <string>
#include <vector>

#include "driver/run.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return qf::runProgram(qf::Program::Monofit, args, qf::todayText(), std::cout, std::cerr);
}
