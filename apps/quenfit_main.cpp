// quenfit: decomposition of a tryptophan fluorescence quenching series.
#include <iostream>
#include <string>
#include <vector>

#include "driver/run.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return qf::runProgram(qf::Program::Quenfit, args, qf::todayText(), std::cout, std::cerr);
}
