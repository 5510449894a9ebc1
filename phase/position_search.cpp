#include "phase/position_search.h"

#include <algorithm>
#include <string>

#include "band/band.h"
#include "phase/parallel.h"
#include "phase/trial_bands.h"
#include "textio/checked.h"
#include "textio/failure.h"
#include "textio/fpcheck.h"
#include "textio/number_text.h"
#include "textio/rounding.h"

namespace qf {

using fp::Real;

namespace {

std::string nm(double lambda) { return numberText(lambda) + " nm"; }

std::vector<double> gridWavelengths(int nPoints, double step) {
    std::vector<double> wl(static_cast<std::size_t>(nPoints));
    for (int j = 0; j < nPoints; ++j) wl[static_cast<std::size_t>(j)] = 320.0 + static_cast<double>(j) * step;
    return wl;
}

void requireSeriesFits(const Matrix& F) {
    if (F.rows() > kMaxTarnoSpectra) {
        fail("phase-plane stage: " + std::to_string(F.rows()) +
             " spectra in the series, the phase-plane method takes at most " +
             std::to_string(kMaxTarnoSpectra));
    }
    if (F.cols() > kMaxTarnoPoints) {
        fail("phase-plane stage: " + std::to_string(F.cols()) +
             " window points, the phase-plane method takes at most " +
             std::to_string(kMaxTarnoPoints));
    }
}

// Every pair of reference point j divides by F(i, j).
void requireNonzeroReference(const Matrix& F, int j, double lambdaJ) {
    for (int i = 0; i < F.rows(); ++i) {
        if (F(i, j) == 0.0) {
            fail("phase-plane stage: spectrum " + std::to_string(i + 1) +
                 " has the value 0 at the reference point " + nm(lambdaJ) +
                 ", so its band ratios are undefined");
        }
    }
}

[[noreturn]] void failNoPair(double lambdaJ) {
    fail("phase-plane stage: the reference point " + nm(lambdaJ) +
         " has no wavelength pair (the window needs at least 8 points)");
}

std::string referenceWhere(double lambdaJ) {
    return "phase-plane stage, reference point " + nm(lambdaJ);
}

// Vote of one pair once its phase-plane line is known; rootsOf(a, b) runs
// the root search for the line y = a + b x.
template <class RootsOf>
void votePair(ReferenceVotes& votes, const PhaseLine& line, RootsOf&& rootsOf) {
    const Roots roots = rootsOf(line.a, line.b);
    if (pairSetAside(roots)) return;
    const double tiltedB = fp::add(line.b, line.sb);
    const double tiltedA = fp::sub(line.a, line.sa);
    castVotes(votes, roots, rootsOf(tiltedA, tiltedB));
}

ReferenceVotes referencePointDirect(const Matrix& F, const std::vector<double>& wl, int j,
                                    const std::vector<WavelengthPair>& pairs,
                                    SearchCounters* counters) {
    const int n = F.rows();
    const double lambdaJ = wl[static_cast<std::size_t>(j)];
    ReferenceVotes votes;
    std::array<double, kMaxTarnoSpectra> x{};
    std::array<double, kMaxTarnoSpectra> y{};
    for (const WavelengthPair& p : pairs) {
        if (votes.pairCount == 0) requireNonzeroReference(F, j, lambdaJ);
        votes.pairCount += 1;
        for (int i = 0; i < n; ++i) {
            x[static_cast<std::size_t>(i)] = fp::div(F(i, p.k), F(i, j));
            y[static_cast<std::size_t>(i)] = fp::div(F(i, p.l), F(i, j));
        }
        const std::span<const double> xs(x.data(), static_cast<std::size_t>(n));
        const std::span<const double> ys(y.data(), static_cast<std::size_t>(n));
        const double lambdaK = wl[static_cast<std::size_t>(p.k)];
        const double lambdaL = wl[static_cast<std::size_t>(p.l)];
        const PhaseLine line =
            fitPhaseLine(xs, ys, coordinateSums(xs), coordinateSums(ys), lambdaJ, lambdaK, lambdaL);
        votes.sumR = fp::add(votes.sumR, line.r);
        votePair(votes, line, [&](double a, double b) {
            return findRoots([&](double lambda) {
                if (counters != nullptr) ++counters->crossingEvaluations;
                return (Real(a) + Real(b) * shapeRatio(lambda, lambdaK, lambdaJ) -
                        shapeRatio(lambda, lambdaL, lambdaJ))
                    .value();
            });
        });
    }
    if (votes.pairCount == 0) failNoPair(lambdaJ);
    return votes;
}

// One root search: the line y = a + b x of the pair (k, l), and its roots.
struct CrossingSearch {
    double a, b;
    int k, l;
    Roots roots;
};

// Runs the root searches of reference point j several at a time: each
// round first finds the next trial position of every running search and
// fetches its band heights, then feeds each search its value of D, so that
// the memory accesses of one search overlap the work on the others.
void runSearches(TrialBands& trial, int j, std::vector<CrossingSearch>& searches) {
    constexpr std::size_t kLanes = 8;
    struct Lane {
        RootWalk walk;
        int slot = -1;
        std::size_t search = 0;
    };
    std::array<Lane, kLanes> lanes;
    std::size_t running = 0;
    std::size_t next = 0;
    const auto begin = [&](Lane& lane) {
        lane.walk.start();
        lane.slot = -1;
        lane.search = next++;
    };
    while (running < kLanes && next < searches.size()) begin(lanes[running++]);
    while (running > 0) {
        for (std::size_t i = 0; i < running; ++i) {
            Lane& lane = lanes[i];
            lane.slot = trial.slotAfter(lane.slot, lane.walk.move(), lane.walk.position());
            const CrossingSearch& s = searches[lane.search];
            trial.prefetch(lane.slot, j, s.k, s.l);
        }
        for (std::size_t i = 0; i < running;) {
            Lane& lane = lanes[i];
            CrossingSearch& s = searches[lane.search];
            if (!lane.walk.take(trial.crossing(lane.slot, s.a, s.b, j, s.k, s.l))) {
                ++i;
                continue;
            }
            s.roots = lane.walk.roots();
            if (next < searches.size()) {
                begin(lane);
                ++i;
            } else {
                lane = lanes[--running];
            }
        }
    }
}

ReferenceVotes referencePointFast(const Matrix& F, const std::vector<double>& wl, int j,
                                  const PairTable& table, TrialBands& trial) {
    const int n = F.rows();
    const int P = F.cols();
    const double lambdaJ = wl[static_cast<std::size_t>(j)];
    const std::vector<WavelengthPair>& pairs = table.of(j);
    if (pairs.empty()) failNoPair(lambdaJ);
    requireNonzeroReference(F, j, lambdaJ);

    // Band ratios of the spectra against the reference point, one row per
    // grid point k: F(i, k) / F(i, j), and their sums over the spectra.
    const auto sn = static_cast<std::size_t>(n);
    std::vector<double> ratio(static_cast<std::size_t>(P) * sn, 0.0);
    std::vector<CoordinateSums> sums(static_cast<std::size_t>(P));
    for (int k : table.usedPoints(j)) {
        double* row = ratio.data() + static_cast<std::size_t>(k) * sn;
        for (int i = 0; i < n; ++i) row[i] = fp::div(F(i, k), F(i, j));
        sums[static_cast<std::size_t>(k)] = coordinateSums(std::span<const double>(row, sn));
    }

    ReferenceVotes votes;
    std::vector<PhaseLine> lines;
    lines.reserve(pairs.size());
    for (const WavelengthPair& p : pairs) {
        votes.pairCount += 1;
        const std::span<const double> xs(ratio.data() + static_cast<std::size_t>(p.k) * sn, sn);
        const std::span<const double> ys(ratio.data() + static_cast<std::size_t>(p.l) * sn, sn);
        lines.push_back(fitPhaseLine(xs, ys, sums[static_cast<std::size_t>(p.k)],
                                     sums[static_cast<std::size_t>(p.l)], lambdaJ,
                                     wl[static_cast<std::size_t>(p.k)], wl[static_cast<std::size_t>(p.l)]));
        votes.sumR = fp::add(votes.sumR, lines.back().r);
    }

    // The roots of every line, then those of the tilted lines of the pairs
    // that are not set aside; the votes follow in pair order.
    std::vector<CrossingSearch> searches;
    searches.reserve(pairs.size());
    for (std::size_t p = 0; p < pairs.size(); ++p) {
        searches.push_back({lines[p].a, lines[p].b, pairs[p].k, pairs[p].l, {}});
    }
    runSearches(trial, j, searches);
    std::vector<CrossingSearch> tilted;
    for (std::size_t p = 0; p < pairs.size(); ++p) {
        if (pairSetAside(searches[p].roots)) continue;
        tilted.push_back({fp::sub(lines[p].a, lines[p].sa), fp::add(lines[p].b, lines[p].sb), pairs[p].k,
                          pairs[p].l, {}});
    }
    runSearches(trial, j, tilted);
    std::size_t t = 0;
    for (std::size_t p = 0; p < pairs.size(); ++p) {
        if (pairSetAside(searches[p].roots)) continue;
        castVotes(votes, searches[p].roots, tilted[t++].roots);
    }
    return votes;
}

}  // namespace

CoordinateSums coordinateSums(std::span<const double> v) {
    Real sum = 0.0;
    Real sumSq = 0.0;
    for (const Real x : v) {
        sum += x;
        sumSq += x * x;
    }
    return {sum.value(), sumSq.value()};
}

PhaseLine fitPhaseLine(std::span<const double> x, std::span<const double> y,
                       const CoordinateSums& sx, const CoordinateSums& sy, double lambdaJ,
                       double lambdaK, double lambdaL) {
    const Real n = static_cast<double>(x.size());
    Real sxy = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) sxy += Real(x[i]) * y[i];
    const Real sxSum = sx.sum, sxSumSq = sx.sumSq, sySum = sy.sum, sySumSq = sy.sumSq;
    const Real c = sxSumSq - sxSum * sxSum / n;
    if (c == 0.0) {
        fail("phase-plane stage: the band ratio of " + nm(lambdaK) + " to " + nm(lambdaJ) +
             " is the same in every spectrum, so the phase-plane line is undefined");
    }
    PhaseLine line;
    const Real b = (n * sxy - sxSum * sySum) / (c * n);
    const Real a = (sySum - b * sxSum) / n;
    line.b = b.value();
    line.a = a.value();
    Real sse = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const Real e = y[i] - b * x[i] - a;
        sse += e * e;
    }
    line.sb = sqrt(sse / (c * (n - 2.0))).value();
    line.sa = sqrt(sse * (n + sxSum * sxSum / c) / (n * n * (n - 2.0))).value();
    const Real spread = sqrt(fabs(c * (sySumSq - sySum * sySum / n)));
    if (spread == 0.0) {
        fail("phase-plane stage: the band ratio of " + nm(lambdaL) + " to " + nm(lambdaJ) +
             " is the same in every spectrum, so the phase-plane line is undefined");
    }
    line.r = (fabs(sxy - sxSum * sySum / n) / spread).value();
    return line;
}

bool pairSetAside(const Roots& roots) { return std::fabs(roots.p2 - roots.p1) < 5.0; }

void castVotes(ReferenceVotes& votes, const Roots& roots, const Roots& tilted) {
    if (std::fabs(roots.p1 - tilted.p1) <= 10.0) {
        votes.count[0] = votes.count[0] + 1.0;
        votes.sum[0] = votes.sum[0] + roots.p1;
    }
    if (std::fabs(roots.p2 - tilted.p2) <= 10.0) {
        votes.count[1] = votes.count[1] + 1.0;
        votes.sum[1] = votes.sum[1] + roots.p2;
    }
}

double votedPosition(const ReferenceVotes& votes, int component) {
    const auto c = static_cast<std::size_t>(component);
    return 0.01 * fix(100.0 * votes.sum[c] / votes.count[c]);
}

PhasePositions combineVotes(std::span<const ReferenceVotes> votes) {
    // Per component: the sum of the voted positions, of their squares, and
    // the number of reference points that voted (starting at 0.001, so that
    // a component nobody voted for gives position 0).
    std::array<double, 2> positionSum{0.0, 0.0};
    std::array<double, 2> squareSum{0.0, 0.0};
    std::array<double, 2> voters{0.001, 0.001};
    Real rSum = 0.0;
    for (const ReferenceVotes& v : votes) {
        if (v.pairCount == 0) fail("phase-plane stage: a reference point has no wavelength pair");
        for (std::size_t c = 0; c < 2; ++c) {
            const double m = votedPosition(v, static_cast<int>(c));
            positionSum[c] = positionSum[c] + m;
            squareSum[c] = squareSum[c] + m * m;
            voters[c] = voters[c] + sgn(fix(v.count[c]));
        }
        rSum = rSum + 0.001 * fix(1000.0 * Real(v.sumR) / static_cast<double>(v.pairCount) + 0.5);
    }
    PhasePositions result;
    for (std::size_t c = 0; c < 2; ++c) {
        PhaseComponent& pc = result.component[c];
        pc.lambdaM = positionSum[c] / voters[c];
        pc.DL = 0.1 * fix(10.0 * std::sqrt(std::fabs(pc.lambdaM * pc.lambdaM - squareSum[c] / voters[c])) + 0.5);
        if (pc.lambdaM == 0.0) {
            fail("phase-plane stage: no wavelength triple voted for component " +
                 std::to_string(c + 1));
        }
        pc.V = fix(wavenumber(pc.lambdaM) + 0.5);
        pc.DV = fix(pc.DL * pc.V / pc.lambdaM + 0.5);
        pc.L = 0.1 * fix(10.0 * peakWavelength(pc.lambdaM, pc.lambdaM - 6.0) + 0.5);
    }
    result.tarnoMeanR = (fix(1000.0 * rSum / static_cast<double>(votes.size()) + 0.5) / 1000.0).value();
    fp::check("phase-plane stage, component positions");
    return result;
}

PhasePositions searchPositionsDirect(const Matrix& F, double step,
                                     std::vector<ReferenceVotes>* votesOut,
                                     SearchCounters* counters) {
    requireSeriesFits(F);
    const std::vector<double> wl = gridWavelengths(F.cols(), step);
    std::vector<ReferenceVotes> votes;
    for (int j = 0; j < F.cols(); ++j) {
        votes.push_back(referencePointDirect(F, wl, j, pairsOf(j, F.cols()), counters));
        fp::check(referenceWhere(wl[static_cast<std::size_t>(j)]));
    }
    if (votesOut != nullptr) *votesOut = votes;
    return combineVotes(votes);
}

PhasePositions searchPositions(const Matrix& F, double step, int threads,
                               std::vector<ReferenceVotes>* votesOut, SearchCounters* counters) {
    requireSeriesFits(F);
    const int P = F.cols();
    const std::vector<double> wl = gridWavelengths(P, step);
    const PairTable table(P);
    std::vector<ReferenceVotes> votes(static_cast<std::size_t>(P));
    // One table per worker, kept over all its reference points.
    std::vector<TrialBands> trial(static_cast<std::size_t>(std::max(1, threads)), TrialBands(wl));
    const auto failure = forEachIndex(
        P, threads,
        [&](int j, int worker) {
            votes[static_cast<std::size_t>(j)] =
                referencePointFast(F, wl, j, table, trial[static_cast<std::size_t>(worker)]);
        },
        [&](int j) { return referenceWhere(wl[static_cast<std::size_t>(j)]); });
    if (failure) std::rethrow_exception(failure->error);
    if (counters != nullptr) {
        for (const TrialBands& t : trial) {
            counters->exactEvaluations += t.exactEvaluations();
            counters->trialPositions += t.positions();
        }
    }
    if (votesOut != nullptr) *votesOut = votes;
    return combineVotes(votes);
}

}  // namespace qf
