#pragma once
// Position search of the phase-plane method. For a reference point j and a
// pair of grid points (k, l) the points (F(k)/F(j), F(l)/F(j)) of all spectra
// of a quenching series lie on one straight line, and so does the point of
// each pure band. The band positions whose points lie on the line are the
// roots of the crossing function; every wavelength triple votes for two
// positions, and the votes average into the two component positions.

#include <array>
#include <cstdint>
#include <cmath>
#include <span>
#include <vector>

#include "phase/pairs.h"
#include "phase/phase_state.h"
#include "phase/trial_bands.h"
#include "prep/spectra.h"
#include "textio/checked.h"
#include "textio/double_chars.h"
#include "textio/matrix.h"

namespace qf {

// Least-squares line y = a + b x of one pair, with the standard errors of
// slope and intercept and the absolute correlation coefficient.
struct PhaseLine {
    double a = 0.0, b = 0.0, sa = 0.0, sb = 0.0, r = 0.0;
};

// Sums over the spectra of one coordinate: sum and sum of squares.
struct CoordinateSums {
    double sum = 0.0;
    double sumSq = 0.0;
};
CoordinateSums coordinateSums(std::span<const double> v);

// The line through (x[i], y[i]); sx and sy are the sums of x and y. Fails
// with a message naming the wavelengths when the line is undefined (all x
// equal, or all y equal).
PhaseLine fitPhaseLine(std::span<const double> x, std::span<const double> y,
                       const CoordinateSums& sx, const CoordinateSums& sy, double lambdaJ,
                       double lambdaK, double lambdaL);

struct Roots {
    double p1 = 0.0;
    double p2 = 0.0;
};

// Root search on the crossing function D(lambda) between 300 and 370 nm:
// a walk with step 4.86 nm that reverses with a third of the step after each
// sign change, turns back at 370 nm, stops moving below 300 nm and ends when
// the step falls below 0.02 nm. The second root is searched upward from 1 nm
// above the first.
//
// The walk is a state machine fed one value of D at a time, so that several
// searches can run interleaved: position() is where D is wanted next, take(D)
// moves on and returns true once both roots are known. Only the sign of D
// matters.
//
// move() tells how position() follows from the position before it: a step
// of the current size (in either direction) or the start of the second root
// search. The step sizes are always the same numbers (4.86 divided by 3 as
// often as the step was reduced), so a position and a move fix the next
// position.
// 4.86, 4.86 / 3, (4.86 / 3) / 3, ...: the step of a root search after each
// reduction, each the rounded quotient of the one before.
inline constexpr std::array<double, 7> kRootStepSizes = [] {
    std::array<double, 7> h{};
    h[0] = 4.86;
    for (std::size_t m = 1; m < h.size(); ++m) h[m] = h[m - 1] / 3.0;
    return h;
}();

class RootWalk {
public:
    static constexpr int kFirstMove = -1;       // the first position of a search
    static constexpr int kSecondRootMove = 12;  // 1 nm above the first root
    static constexpr int kMoves = TrialBands::kMoves;  // step moves 0..11, then the one above
    static_assert(kMoves == kSecondRootMove + 1, "the move above the first root is the last move");

    RootWalk() { start(); }

    void start() {
        lambda_ = kLower;
        h_ = kFirstStep;
        reductions_ = 0;
        move_ = kFirstMove;
        q_ = 1;
        fresh_ = true;
    }

    double position() const { return lambda_; }
    int move() const { return move_; }

    bool take(double d) {
        // Checked: a sign of 0 times a value that is not finite is an invalid
        // operation of its own.
        const double sd = fp::mul(s_, d);
        if (!fresh_ && sd == 0.0) return root();
        // After the first evaluation of a search its sign starts the walk;
        // after that a change of sign (or a value that is no number) turns
        // the walk back with a third of the step. Written as a selection,
        // not a branch: the sign of D is what no processor can predict.
        const bool reverse = !fresh_ && !(sd > 0.0);
        fresh_ = false;
        h_ = select(reverse, reducedStep(), h_);
        reductions_ += reverse ? 1 : 0;
        // Only a reduced step can fall below the smallest step.
        if (!stepUsable()) return root();
        s_ = sign(d);
        return advance(d);
    }

    Roots roots() const { return roots_; }

private:
    static constexpr double kLower = 300.0;
    static constexpr double kUpper = 370.0;
    static constexpr double kFirstStep = kRootStepSizes[0];
    static constexpr double kSmallestStep = 0.02;

    static double sign(double d) { return static_cast<double>(int{d > 0.0} - int{d < 0.0}); }

    static double select(bool condition, double ifTrue, double ifFalse) {
        const std::uint64_t mask = 0 - static_cast<std::uint64_t>(condition);
        return text::bitCast<double>((text::bitCast<std::uint64_t>(ifTrue) & mask) |
                                     (text::bitCast<std::uint64_t>(ifFalse) & ~mask));
    }

    // From the turn at the upper bound to the next position to evaluate;
    // below the lower bound the walk only shrinks its step.
    bool advance(double last) {
        for (;;) {
            if (lambda_ >= kUpper && h_ > 0.0) h_ = -h_;
            if (!(lambda_ < kLower)) {
                lambda_ = lambda_ + h_;
                move_ = 2 * reductions_ + (h_ < 0.0 ? 1 : 0);
                return false;
            }
            if (!shrink()) return root();
            s_ = sign(last);
        }
    }

    // Reverses the step with a third of its size; false once it is below
    // the smallest step.
    bool shrink() {
        h_ = reducedStep();
        ++reductions_;
        return stepUsable();
    }

    // -h / 3: the step sizes are the same numbers in every search, so the
    // quotient is looked up rather than divided again.
    double reducedStep() const {
        return std::copysign(kRootStepSizes[static_cast<std::size_t>(reductions_) + 1], -h_);
    }

    // At most five reductions stay above the smallest step, which keeps
    // move() within its range.
    bool stepUsable() const { return std::fabs(h_) >= kSmallestStep && reductions_ < 6; }

    bool root() {
        if (q_ == 1) {
            roots_.p1 = lambda_;
        } else {
            roots_.p2 = lambda_;
        }
        ++q_;
        if (q_ == 3) return true;
        h_ = kFirstStep;
        reductions_ = 0;
        lambda_ = roots_.p1 + 1.0;
        move_ = kSecondRootMove;
        fresh_ = true;
        return false;
    }

    double lambda_ = kLower;
    double h_ = kFirstStep;
    int reductions_ = 0;
    int move_ = kFirstMove;
    double s_ = 0.0;
    int q_ = 1;
    bool fresh_ = true;
    Roots roots_;
};

template <class Crossing>
Roots findRoots(Crossing&& crossing) {
    RootWalk walk;
    while (!walk.take(crossing(walk.position()))) {
    }
    return walk.roots();
}

// Votes of one reference point.
struct ReferenceVotes {
    std::array<double, 2> count{0.000001, 0.000001};
    std::array<double, 2> sum{0.0, 0.0};
    int pairCount = 0;
    double sumR = 0.0;
};

// A pair whose two roots lie less than 5 nm apart casts no vote.
bool pairSetAside(const Roots& roots);

// Votes of a pair: each root that moves by at most 10 nm under the tilted
// line votes for its component.
void castVotes(ReferenceVotes& votes, const Roots& roots, const Roots& tilted);

// The per-point position voted for a component: 0.01 * Fix(100 * sum / count).
double votedPosition(const ReferenceVotes& votes, int component);

// Combines the votes of the reference points, in order, into the positions,
// their spreads and tarnoMeanR. Fails when a component got no vote.
PhasePositions combineVotes(std::span<const ReferenceVotes> votes);

struct SearchCounters {
    long long crossingEvaluations = 0;  // straightforward search
    long long exactEvaluations = 0;     // fast search: D from the band model
    long long trialPositions = 0;       // fast search: bands tabulated, over the workers
};

// The search as the method states it: every crossing-function value from
// the band model, one reference point after the other on the calling thread.
PhasePositions searchPositionsDirect(const Matrix& F, double step,
                                     std::vector<ReferenceVotes>* votesOut = nullptr,
                                     SearchCounters* counters = nullptr);

// The same search with the band heights of each trial position tabulated
// once, the sign of the crossing function taken from them where it is
// certain, and the reference points shared out to `threads` threads; its
// results are bit-identical to searchPositionsDirect.
PhasePositions searchPositions(const Matrix& F, double step, int threads,
                               std::vector<ReferenceVotes>* votesOut = nullptr,
                               SearchCounters* counters = nullptr);

}  // namespace qf
