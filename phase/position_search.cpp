#include "phase/position_search.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <string>

#include "decomp/band.h"
#include "phase/parallel.h"
#include "textio/failure.h"
#include "textio/fpcheck.h"
#include "textio/number_text.h"
#include "textio/rounding.h"

namespace qf {

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
    const double tiltedB = line.b + line.sb;
    const double tiltedA = line.a - line.sa;
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
            x[static_cast<std::size_t>(i)] = F(i, p.k) / F(i, j);
            y[static_cast<std::size_t>(i)] = F(i, p.l) / F(i, j);
        }
        const std::span<const double> xs(x.data(), static_cast<std::size_t>(n));
        const std::span<const double> ys(y.data(), static_cast<std::size_t>(n));
        const double lambdaK = wl[static_cast<std::size_t>(p.k)];
        const double lambdaL = wl[static_cast<std::size_t>(p.l)];
        const PhaseLine line =
            fitPhaseLine(xs, ys, coordinateSums(xs), coordinateSums(ys), lambdaJ, lambdaK, lambdaL);
        votes.sumR += line.r;
        votePair(votes, line, [&](double a, double b) {
            return findRoots([&](double lambda) {
                if (counters != nullptr) ++counters->crossingEvaluations;
                return a + b * shapeRatio(lambda, lambdaK, lambdaJ) - shapeRatio(lambda, lambdaL, lambdaJ);
            });
        });
    }
    if (votes.pairCount == 0) failNoPair(lambdaJ);
    return votes;
}

// Band ratios rho(lambdaM; lambda_k, lambda_j) of one reference point j for
// the trial positions met so far. The root searches of neighbouring pairs
// walk through largely the same trial positions, so each band and each ratio
// is computed once, by the same operations as the direct evaluation.
//
// The positions a search visits follow from the signs of D met on the way,
// so the searches of one reference point form a tree of paths. The memo
// keeps that tree: the next position of a search is usually a known child
// of the node of the last one, found without hashing.
class BandRatioMemo {
public:
    explicit BandRatioMemo(std::vector<double> wl) : wl_(std::move(wl)), points_(wl_.size()) {}

    void start(int j) {
        lambdaJ_ = wl_[static_cast<std::size_t>(j)];
        bands_.clear();
        ratios_.clear();
        keys_.assign(kInitialCapacity, 0);
        slots_.assign(kInitialCapacity, -1);
        nodes_.clear();
        rootChild_ = -1;
    }

    // Slot of the position that follows the node `cursor` of a search (-1:
    // the first position of a search); moves the cursor to it.
    int slotAlongPath(int& cursor, double lambdaM) {
        const std::uint64_t key = std::bit_cast<std::uint64_t>(lambdaM);
        const int first = cursor < 0 ? rootChild_ : nodes_[static_cast<std::size_t>(cursor)].firstChild;
        for (int c = first; c >= 0; c = nodes_[static_cast<std::size_t>(c)].nextSibling) {
            if (nodes_[static_cast<std::size_t>(c)].key == key) {
                cursor = c;
                return nodes_[static_cast<std::size_t>(c)].slot;
            }
        }
        const int node = static_cast<int>(nodes_.size());
        nodes_.push_back({key, slotOf(lambdaM), -1, first});
        if (cursor < 0) {
            rootChild_ = node;
        } else {
            nodes_[static_cast<std::size_t>(cursor)].firstChild = node;
        }
        cursor = node;
        return nodes_.back().slot;
    }

    int slotOf(double lambdaM) {
        const std::uint64_t key = std::bit_cast<std::uint64_t>(lambdaM);
        const std::size_t mask = slots_.size() - 1;
        std::size_t h = hash(key) & mask;
        while (slots_[h] >= 0) {
            if (keys_[h] == key) return slots_[h];
            h = (h + 1) & mask;
        }
        const int slot = static_cast<int>(bands_.size());
        bands_.push_back(bandShape(lambdaM));
        ratios_.resize(ratios_.size() + points_, -1.0);
        keys_[h] = key;
        slots_[h] = slot;
        if (2 * bands_.size() > slots_.size()) grow();
        return slot;
    }

    double ratio(int slot, int k) {
        double& v = ratios_[static_cast<std::size_t>(slot) * points_ + static_cast<std::size_t>(k)];
        if (v < 0.0) {
            v = shapeRatio(bands_[static_cast<std::size_t>(slot)], wl_[static_cast<std::size_t>(k)],
                           lambdaJ_);
        }
        return v;
    }

private:
    static constexpr std::size_t kInitialCapacity = 1024;

    // Trial positions differ in any bit of the mantissa, often only in the
    // high ones (300, 301, ...): mix all bits before taking the low ones.
    static std::size_t hash(std::uint64_t key) {
        key ^= key >> 33;
        key *= 0xff51afd7ed558ccdull;
        key ^= key >> 33;
        key *= 0xc4ceb9fe1a85ec53ull;
        key ^= key >> 33;
        return static_cast<std::size_t>(key);
    }

    void grow() {
        std::vector<std::uint64_t> keys(keys_.size() * 2, 0);
        std::vector<int> slots(slots_.size() * 2, -1);
        const std::size_t mask = slots.size() - 1;
        for (std::size_t s = 0; s < slots_.size(); ++s) {
            if (slots_[s] < 0) continue;
            std::size_t h = hash(keys_[s]) & mask;
            while (slots[h] >= 0) h = (h + 1) & mask;
            keys[h] = keys_[s];
            slots[h] = slots_[s];
        }
        keys_ = std::move(keys);
        slots_ = std::move(slots);
    }

    std::vector<double> wl_;
    std::size_t points_;
    double lambdaJ_ = 0.0;
    std::vector<BandShape> bands_;
    std::vector<double> ratios_;
    std::vector<std::uint64_t> keys_;
    std::vector<int> slots_;

    struct PathNode {
        std::uint64_t key;
        int slot;
        int firstChild;
        int nextSibling;
    };
    std::vector<PathNode> nodes_;
    int rootChild_ = -1;
};

ReferenceVotes referencePointFast(const Matrix& F, const std::vector<double>& wl, int j,
                                  const PairTable& table, BandRatioMemo& memo) {
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
        for (int i = 0; i < n; ++i) row[i] = F(i, k) / F(i, j);
        sums[static_cast<std::size_t>(k)] = coordinateSums(std::span<const double>(row, sn));
    }

    memo.start(j);
    ReferenceVotes votes;
    for (const WavelengthPair& p : pairs) {
        votes.pairCount += 1;
        const std::span<const double> xs(ratio.data() + static_cast<std::size_t>(p.k) * sn, sn);
        const std::span<const double> ys(ratio.data() + static_cast<std::size_t>(p.l) * sn, sn);
        const PhaseLine line =
            fitPhaseLine(xs, ys, sums[static_cast<std::size_t>(p.k)],
                         sums[static_cast<std::size_t>(p.l)], lambdaJ,
                         wl[static_cast<std::size_t>(p.k)], wl[static_cast<std::size_t>(p.l)]);
        votes.sumR += line.r;
        votePair(votes, line, [&](double a, double b) {
            int cursor = -1;  // each search starts at the root of the path tree
            return findRoots([&](double lambda) {
                const int slot = memo.slotAlongPath(cursor, lambda);
                return a + b * memo.ratio(slot, p.k) - memo.ratio(slot, p.l);
            });
        });
    }
    return votes;
}

}  // namespace

Matrix wavenumberSpectra(const Spectra& spectra) {
    Matrix F(spectra.nSpec, spectra.nPoints);
    for (int i = 0; i < spectra.nSpec; ++i) {
        for (int j = 0; j < spectra.nPoints; ++j) {
            const double t = spectra.wavelength(j) / spectra.lambdaMax;
            F(i, j) = spectra.workSpectra(i, j) * (t * t);
        }
    }
    return F;
}

CoordinateSums coordinateSums(std::span<const double> v) {
    CoordinateSums s;
    for (double x : v) {
        s.sum += x;
        s.sumSq += x * x;
    }
    return s;
}

PhaseLine fitPhaseLine(std::span<const double> x, std::span<const double> y,
                       const CoordinateSums& sx, const CoordinateSums& sy, double lambdaJ,
                       double lambdaK, double lambdaL) {
    const double n = static_cast<double>(x.size());
    double sxy = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) sxy += x[i] * y[i];
    const double c = sx.sumSq - sx.sum * sx.sum / n;
    if (c == 0.0) {
        fail("phase-plane stage: the band ratio of " + nm(lambdaK) + " to " + nm(lambdaJ) +
             " is the same in every spectrum, so the phase-plane line is undefined");
    }
    PhaseLine line;
    line.b = (n * sxy - sx.sum * sy.sum) / (c * n);
    line.a = (sy.sum - line.b * sx.sum) / n;
    double sse = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double e = y[i] - line.b * x[i] - line.a;
        sse += e * e;
    }
    line.sb = std::sqrt(sse / (c * (n - 2.0)));
    line.sa = std::sqrt(sse * (n + sx.sum * sx.sum / c) / (n * n * (n - 2.0)));
    const double spread = std::sqrt(std::fabs(c * (sy.sumSq - sy.sum * sy.sum / n)));
    if (spread == 0.0) {
        fail("phase-plane stage: the band ratio of " + nm(lambdaL) + " to " + nm(lambdaJ) +
             " is the same in every spectrum, so the phase-plane line is undefined");
    }
    line.r = std::fabs(sxy - sx.sum * sy.sum / n) / spread;
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
    std::array<double, 2> S{0.0, 0.0};
    std::array<double, 2> Q{0.0, 0.0};
    std::array<double, 2> H{0.001, 0.001};
    double rSum = 0.0;
    for (const ReferenceVotes& v : votes) {
        if (v.pairCount == 0) fail("phase-plane stage: a reference point has no wavelength pair");
        for (std::size_t c = 0; c < 2; ++c) {
            const double m = votedPosition(v, static_cast<int>(c));
            S[c] = S[c] + m;
            Q[c] = Q[c] + m * m;
            H[c] = H[c] + sgn(fix(v.count[c]));
        }
        rSum = rSum + 0.001 * fix(1000.0 * v.sumR / static_cast<double>(v.pairCount) + 0.5);
    }
    PhasePositions result;
    for (std::size_t c = 0; c < 2; ++c) {
        PhaseComponent& pc = result.component[c];
        pc.lambdaM = S[c] / H[c];
        pc.DL = 0.1 * fix(10.0 * std::sqrt(std::fabs(pc.lambdaM * pc.lambdaM - Q[c] / H[c])) + 0.5);
        if (pc.lambdaM == 0.0) {
            fail("phase-plane stage: no wavelength triple voted for component " +
                 std::to_string(c + 1));
        }
        pc.V = fix(10000000.0 / pc.lambdaM + 0.5);
        pc.DV = fix(pc.DL * pc.V / pc.lambdaM + 0.5);
        pc.L = 0.1 * fix(10.0 * peakWavelength(pc.lambdaM, pc.lambdaM - 6.0) + 0.5);
    }
    result.tarnoMeanR = fix(1000.0 * rSum / static_cast<double>(votes.size()) + 0.5) / 1000.0;
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
                               std::vector<ReferenceVotes>* votesOut) {
    requireSeriesFits(F);
    const int P = F.cols();
    const std::vector<double> wl = gridWavelengths(P, step);
    const PairTable table(P);
    std::vector<ReferenceVotes> votes(static_cast<std::size_t>(P));
    std::vector<BandRatioMemo> memos(static_cast<std::size_t>(std::max(1, threads)),
                                     BandRatioMemo(wl));
    const auto failure = forEachIndex(
        P, threads,
        [&](int j, int worker) {
            votes[static_cast<std::size_t>(j)] =
                referencePointFast(F, wl, j, table, memos[static_cast<std::size_t>(worker)]);
        },
        [&](int j) { return referenceWhere(wl[static_cast<std::size_t>(j)]); });
    if (failure) std::rethrow_exception(failure->error);
    if (votesOut != nullptr) *votesOut = votes;
    return combineVotes(votes);
}

}  // namespace qf
