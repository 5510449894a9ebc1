#pragma once
// Position search of the phase-plane method. For a reference point j and a
// pair of grid points (k, l) the points (F(k)/F(j), F(l)/F(j)) of all spectra
// of a quenching series lie on one straight line, and so does the point of
// each pure band. The band positions whose points lie on the line are the
// roots of the crossing function; every wavelength triple votes for two
// positions, and the votes average into the two component positions.

#include <array>
#include <cmath>
#include <span>
#include <vector>

#include "phase/pairs.h"
#include "phase/tarno_state.h"
#include "prep/spectra.h"
#include "textio/matrix.h"

namespace qf {

// workSpectra * ((320 + step * j) / lambdaMax)^2.
Matrix wavenumberSpectra(const Spectra& spectra);

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
template <class Crossing>
Roots findRoots(Crossing&& crossing) {
    constexpr double lower = 300.0;
    constexpr double upper = 370.0;
    constexpr double firstStep = 4.86;
    constexpr double smallestStep = 0.02;
    Roots roots;
    double lambda = lower;
    double h = firstStep;
    int q = 1;
    double d = crossing(lambda);
    for (;;) {
        double s = d > 0.0 ? 1.0 : (d < 0.0 ? -1.0 : 0.0);
        for (;;) {
            if (lambda >= upper && h > 0.0) h = -h;
            if (!(lambda < lower)) {
                lambda = lambda + h;
                d = crossing(lambda);
                const double sd = s * d;
                if (sd > 0.0) {
                    s = d > 0.0 ? 1.0 : (d < 0.0 ? -1.0 : 0.0);
                    continue;
                }
                if (sd == 0.0) break;
            }
            h = -h / 3.0;
            if (!(std::fabs(h) >= smallestStep)) break;
            s = d > 0.0 ? 1.0 : (d < 0.0 ? -1.0 : 0.0);
        }
        if (q == 1) {
            roots.p1 = lambda;
        } else {
            roots.p2 = lambda;
        }
        ++q;
        if (q == 3) return roots;
        h = firstStep;
        lambda = roots.p1 + 1.0;
        d = crossing(lambda);
    }
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
    long long crossingEvaluations = 0;
};

// The search as the method states it: every crossing-function value from
// the band model, one reference point after the other on the calling thread.
PhasePositions searchPositionsDirect(const Matrix& F, double step,
                                     std::vector<ReferenceVotes>* votesOut = nullptr,
                                     SearchCounters* counters = nullptr);

// The same search with the band values of each trial position computed once
// per reference point and the reference points shared out to `threads`
// threads; its results are bit-identical to searchPositionsDirect.
PhasePositions searchPositions(const Matrix& F, double step, int threads,
                               std::vector<ReferenceVotes>* votesOut = nullptr);

}  // namespace qf
