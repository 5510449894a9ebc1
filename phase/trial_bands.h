#pragma once
// Band values at the trial positions of the phase-plane root searches.
//
// A root search only looks at the sign of the crossing function
//   D(lambdaM) = a + b rho(lambdaM; lambda_k, lambda_j) - rho(lambdaM; lambda_l, lambda_j),
// never at its size. The trial positions a search visits depend on the signs
// met on the way, not on the reference point, so the searches of a whole pass
// walk one tree of positions, and the band of each position can serve every
// reference point.
//
// For each trial position the table keeps the band height at every grid
// point. Their quotient is the band ratio rho, up to a few units in the last
// place; with a generous bound on that difference the sign of D is known
// from the heights alone whenever |D| clearly exceeds the bound, which is
// nearly always. Only when the bound leaves the sign in doubt, or when the
// band ratio could fail (an undefined band, an overflowing ratio), is D
// computed from the band model itself, by the same operations as the
// straightforward search. The signs the walk sees, and therefore every root,
// are exactly those of the straightforward search.

#include <cmath>
#include <cstdint>
#include <vector>

#include "band/band.h"
#include "textio/checked.h"

namespace qf {

class TrialBands {
public:
    // wl: the grid wavelengths of the window (nm).
    explicit TrialBands(std::vector<double> wl);

    // Number of ways a search moves from one position to the next.
    static constexpr int kMoves = 13;

    // Slot of the position lambdaM that a search reached from the position
    // of slot `from` by `move` (0..kMoves-1), or of the first position of a
    // search (from < 0). A position and a move fix the next position, so
    // after the first time this is one table look-up.
    int slotAfter(int from, int move, double lambdaM) {
        if (from < 0) return slotOf(lambdaM);
        const std::size_t at = static_cast<std::size_t>(from) * kMoves + static_cast<std::size_t>(move);
        if (successor_[at] >= 0) return successor_[at];
        const int slot = slotOf(lambdaM);  // may enlarge successor_
        successor_[at] = slot;
        return slot;
    }

    // Fetches the heights that crossing() will read, ahead of use.
    void prefetch(int slot, int j, int k, int l) const {
        __builtin_prefetch(&height(slot, j));
        __builtin_prefetch(&height(slot, k));
        __builtin_prefetch(&height(slot, l));
    }

    // The crossing function at the trial position of `slot` for reference
    // point j and pair (k, l), or a value of the same sign (never 0 unless
    // D is 0).
    double crossing(int slot, double a, double b, int j, int k, int l) {
        const double hj = height(slot, j);
        const double hk = height(slot, k);
        const double hl = height(slot, l);
        if (hj > 0.0 && hk > 0.0 && hl > 0.0) {
            const double inverse = 1.0 / hj;
            const double x = hk * inverse;
            const double y = hl * inverse;
            const double d = a + b * x - y;
            const double bx = std::fabs(b) * x;
            const double bound = weight_[static_cast<std::size_t>(slot)] * (bx + y) +
                                 kSumTolerance * (std::fabs(a) + bx + y);
            // Checked arithmetic only for a result that is not finite: the
            // same operations again, recording their events.
            if (!std::isfinite(d) || !std::isfinite(bound)) [[unlikely]] {
                recordSignEvents(a, b, x, y, weight_[static_cast<std::size_t>(slot)]);
            }
            if (std::fabs(d) > bound) return d;
        }
        ++exactEvaluations_;
        return exactCrossing(slot, a, b, j, k, l);
    }

    // The crossing function from the band model, as the straightforward
    // search computes it.
    double exactCrossing(int slot, double a, double b, int j, int k, int l) const;

    long long exactEvaluations() const { return exactEvaluations_; }
    int positions() const { return static_cast<int>(bands_.size()); }

private:
    // Relative difference allowed between a quotient of heights and the
    // band ratio, per unit of weight (see fillHeights); some thousand times
    // what the rounding of logarithms, exponentials and quotients can
    // produce.
    static constexpr double kRatioTolerance = 4e-11;
    // Rounding of the three terms of D, in either evaluation.
    static constexpr double kSumTolerance = 1e-14;

    // Heights are stored by grid point: the searches of one reference point
    // and one pair read few grid points at many trial positions.
    const float& height(int slot, int k) const {
        return height_[static_cast<std::size_t>(k) * capacity_ + static_cast<std::size_t>(slot)];
    }

    int slotOf(double lambdaM);
    static void recordSignEvents(double a, double b, double x, double y, double weight);
    void fillHeights(int slot, const BandShape& band);
    void growMap();
    void growHeights();

    std::vector<double> wl_;
    std::vector<double> nu_;  // wavenumbers of wl
    std::size_t points_;

    std::vector<BandShape> bands_;
    // Per grid point and slot: band height in single precision (0: the sign
    // is never decided from it), room for capacity_ slots per grid point;
    // per slot: the relative tolerance of its height quotients.
    std::vector<float> height_;
    std::size_t capacity_ = 0;
    std::vector<double> weight_;

    // Open-addressing map from a position's bits to its slot.
    std::vector<std::uint64_t> keys_;
    std::vector<int> slots_;

    // Per slot and move: the slot of the next position (-1: not met yet).
    std::vector<int> successor_;

    long long exactEvaluations_ = 0;
};

}  // namespace qf
