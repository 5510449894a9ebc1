#include "phase/pairs.h"

#include <cstdlib>

namespace qf {

std::vector<WavelengthPair> pairsOf(int j, int nPoints) {
    std::vector<WavelengthPair> pairs;
    for (int k = 0; k < nPoints; ++k) {
        if (std::abs(k - j) < 2) continue;
        for (int l = k; l < nPoints; ++l) {
            if (std::abs(l - j) < 2 || std::abs(l - k) < 4) continue;
            pairs.push_back({k, l});
        }
    }
    return pairs;
}

PairTable::PairTable(int nPoints) {
    pairs_.reserve(static_cast<std::size_t>(nPoints));
    used_.reserve(static_cast<std::size_t>(nPoints));
    for (int j = 0; j < nPoints; ++j) {
        pairs_.push_back(pairsOf(j, nPoints));
        std::vector<bool> seen(static_cast<std::size_t>(nPoints), false);
        for (const WavelengthPair& p : pairs_.back()) {
            seen[static_cast<std::size_t>(p.k)] = true;
            seen[static_cast<std::size_t>(p.l)] = true;
        }
        std::vector<int> used;
        for (int k = 0; k < nPoints; ++k) {
            if (seen[static_cast<std::size_t>(k)]) used.push_back(k);
        }
        used_.push_back(std::move(used));
    }
}

long long PairTable::total() const {
    long long n = 0;
    for (const auto& p : pairs_) n += static_cast<long long>(p.size());
    return n;
}

}  // namespace qf
