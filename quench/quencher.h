#pragma once
// Quencher of a quenching series: type, concentrations and chemical
// activities (M), and the Stern-Volmer constant of tryptophan in solution for
// that quencher.

#include <vector>

namespace qf {

struct QuencherSeries {
    int type = 0;
    std::vector<double> concentration;
    std::vector<double> activity;
    double ksvTrp = 0.0;  // 1/M
};

}  // namespace qf
