#pragma once
// The wavelength pairs of a reference point of the phase plane. For the
// reference point j the pairs (k, l) run k = 0..P-1, l = k..P-1, skipping
// every k within one point of j and every l within one point of j or less
// than 4 points above k. The same pairs serve the position search and the
// lever rule.

#include <vector>

namespace qf {

struct WavelengthPair {
    int k;
    int l;
};

// The pairs of reference point j (0-based) on a window of nPoints, in loop
// order.
std::vector<WavelengthPair> pairsOf(int j, int nPoints);

// Pairs of every reference point of a window.
class PairTable {
public:
    explicit PairTable(int nPoints);
    int points() const { return static_cast<int>(pairs_.size()); }
    const std::vector<WavelengthPair>& of(int j) const { return pairs_[static_cast<std::size_t>(j)]; }
    // Points that appear in a pair of reference point j (as k or l).
    const std::vector<int>& usedPoints(int j) const { return used_[static_cast<std::size_t>(j)]; }
    long long total() const;

private:
    std::vector<std::vector<WavelengthPair>> pairs_;
    std::vector<std::vector<int>> used_;
};

}  // namespace qf
