#include "tools/synthetic_cases.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "band/band.h"
#include "quench/quencher.h"

namespace qf::synth {

namespace {

// splitmix64: small, fast and the same on every platform, unlike the
// standard library's distributions.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t bits() {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    double uniform() { return static_cast<double>(bits() >> 11) / 9007199254740992.0; }  // [0, 1)
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    double logUniform(double lo, double hi) { return lo * std::exp(std::log(hi / lo) * uniform()); }
    int below(int n) { return static_cast<int>(bits() % static_cast<std::uint64_t>(n)); }

private:
    std::uint64_t state_;
};

double ksvTrpOf(int type) {
    QuencherSeries q;
    q.type = type;
    setUpQuencher(q);
    return q.ksvTrp;
}

// Maxima from 306 to 358 nm, ascending, neighbours at least 6 nm apart.
std::vector<double> drawPositions(Random& rnd, int n) {
    for (;;) {
        std::vector<double> p;
        for (int i = 0; i < n; ++i) p.push_back(rnd.uniform(306.0, 358.0));
        std::sort(p.begin(), p.end());
        bool apart = true;
        for (std::size_t i = 1; i < p.size(); ++i) apart = apart && p[i] - p[i - 1] >= 6.0;
        if (apart) return p;
    }
}

// Contributions of at least 15 % each, uniform over all such splits of 100 %.
std::vector<double> drawShares(Random& rnd, int n) {
    std::vector<double> e;
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        e.push_back(-std::log(1.0 - rnd.uniform()));
        sum += e.back();
    }
    std::vector<double> shares;
    for (double v : e) shares.push_back(15.0 + (100.0 - 15.0 * n) * v / sum);
    return shares;
}

// Highest concentration (M) of a series: the activity polynomials hold up to
// about 1 M (type 5 to about 0.5 M); type 1 series stop where a fully exposed
// tryptophan is quenched tenfold.
double drawHighestConcentration(Random& rnd, int type) {
    switch (type) {
        case 1: return rnd.uniform(0.2, 0.6);
        case 5: return rnd.uniform(0.2, 0.5);
        default: return rnd.uniform(0.3, 1.0);
    }
}

}  // namespace

const char* noiseKindName(NoiseKind kind) {
    switch (kind) {
        case NoiseKind::Uniform: return "uniform";
        case NoiseKind::Gaussian: return "gaussian";
        case NoiseKind::Poisson: return "poisson";
    }
    return "?";
}

std::vector<double> areaShares(const SeriesSpec& series, double activity) {
    std::vector<double> area;
    double total = 0.0;
    for (const Component& c : series.components) {
        area.push_back(c.amplitude / (1.0 + c.ksv * activity) * areaFactor(c.lambdaM));
        total += area.back();
    }
    for (double& a : area) a = 100.0 * a / total;
    return area;
}

SimulatedCase simulateCase(std::uint64_t seed, const CaseOptions& options) {
    Random rnd(seed);
    SimulatedCase out;
    out.seed = seed;
    CaseTruth& t = out.truth;
    SeriesSpec& s = out.input;

    const int n = options.components >= 1 && options.components <= 3 ? options.components : 1 + rnd.below(3);
    t.series = options.series;
    t.quencherType = options.quencherType >= 1 && options.quencherType <= 5 ? options.quencherType : 1 + rnd.below(5);
    t.positions = drawPositions(rnd, n);
    t.sharePercent = n == 1 ? std::vector<double>{100.0} : drawShares(rnd, n);
    const double ksvTrp = ksvTrpOf(t.quencherType);
    for (int i = 0; i < n; ++i) t.ksv.push_back(t.series ? ksvTrp * rnd.logUniform(0.02, 1.0) : 0.0);

    // Grid: mostly 1 nm, sometimes 2 nm; a series within the reader's 100
    // points, a single spectrum out to 420 nm.
    s.step = rnd.below(5) == 0 ? 2.0 : 1.0;
    s.first = 300.0;
    s.last = t.series ? (s.step == 1.0 ? 399.0 : 398.0) : 420.0;
    s.quencherType = t.series ? t.quencherType : 1;
    if (t.series) {
        const int spectra = 5 + rnd.below(26);  // 5 to 30
        const double highest = drawHighestConcentration(rnd, t.quencherType);
        for (int k = 0; k < spectra; ++k) {
            // Kept to the file's three decimals, so the truth is what the file says.
            t.concentrations.push_back(std::round(1000.0 * highest * k / (spectra - 1)) / 1000.0);
        }
    } else {
        t.concentrations = {0.0};
    }
    t.activities = activities(s.quencherType, t.concentrations);
    s.concentrations = t.concentrations;

    t.noiseKind = rnd.below(2) == 0 ? NoiseKind::Gaussian : NoiseKind::Poisson;
    t.noise = rnd.uniform(0.002, options.maxNoise);
    // Drawn even for an exact standard, so that the files differ only there.
    const double standardDraw = rnd.uniform();
    t.standardNoise =
        options.maxStandardNoise > 0.0 ? 0.001 + (options.maxStandardNoise - 0.001) * standardDraw : 0.0;
    s.noiseKind = t.noiseKind;
    s.noise = t.noise;
    s.standardNoise = t.standardNoise;
    s.seed = rnd.bits() | 1u;

    // Heights from the contributions, then one scale to the recorded peak.
    for (int i = 0; i < n; ++i) {
        s.components.push_back({t.positions[i], t.sharePercent[i] / areaFactor(t.positions[i]), t.ksv[i]});
    }
    const double scale = rnd.logUniform(2000.0, 60000.0) / peakIntensity(s, !t.series);
    for (Component& c : s.components) c.amplitude *= scale;

    char title[160];
    std::snprintf(title, sizeof title, "Simulated %s %llu: %d component%s, %s noise %.2f %%, standard %.2f %%",
                  t.series ? "series" : "spectrum", static_cast<unsigned long long>(seed), n, n == 1 ? "" : "s",
                  noiseKindName(t.noiseKind), 100.0 * t.noise, 100.0 * t.standardNoise);
    s.title = title;
    out.text = t.series ? seriesFile(s) : singleSpectrumFile(s);
    return out;
}

}  // namespace qf::synth
