#include "fit/global_fit.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>
#include <new>
#include <sstream>

#include "classify/spectral_class.h"
#include "driver/run_state.h"
#include "driver/run_steps.h"
#include "band/band.h"
#include "fit/intervals.h"
#include "fit/model.h"
#include "fit/noise.h"
#include "fit/prepared.h"
#include "fit/search.h"
#include "fit/verdict.h"
#include "textio/data_reader.h"
#include "textio/failure.h"
#include "textio/fpcheck.h"

namespace qf::fit {

namespace {

// The spectra on the wavenumber scale on which the band model lives, and
// the relative size of counting noise at each point.
Observations observationsOf(const PreparedData& data) {
    const Spectra& s = data.spectra;
    Observations obs;
    obs.nSpec = s.nSpec;
    obs.nPoints = s.nPoints;
    double shapeSum = 0.0;
    for (int j = 0; j < s.nPoints; ++j) {
        const double lambda = s.wavelength(j);
        const double scale = (lambda / s.lambdaMax) * (lambda / s.lambdaMax);
        obs.lambda.push_back(lambda);
        obs.countingShape.push_back(data.correction[static_cast<std::size_t>(j)] * scale);
        shapeSum += obs.countingShape.back();
    }
    for (double& c : obs.countingShape) c /= shapeSum / s.nPoints;
    double standardSum = 0.0;
    for (double m : data.standard) {
        obs.standardShape.push_back(1.0 / m);
        standardSum += 1.0 / m;
    }
    for (double& u : obs.standardShape) u /= standardSum / s.nPoints;
    for (int k = 0; k < s.nSpec; ++k) {
        for (int j = 0; j < s.nPoints; ++j) {
            const double lambda = s.wavelength(j);
            obs.y.push_back(s.workSpectra(k, j) * (lambda / s.lambdaMax) * (lambda / s.lambdaMax));
        }
    }
    if (data.program == Program::Quenfit) obs.activity = data.activity;
    return obs;
}

// Positions, Ksv and amplitudes fitted: the parameters the fit spends.
int fittedParameters(int n, bool series) { return series ? 3 * n : 2 * n; }

// One round of fits for N = 1, 2, 3 under one weighting.
std::array<Solution, 3> fitAll(const Observations& obs, const Whitening& w,
                               const std::array<Solution, 3>* previous,
                               const FitOptions& options, bool wideSearch) {
    std::array<Solution, 3> out;
    for (int n = 1; n <= 3; ++n) {
        const Problem problem(obs, w, n);
        std::vector<Params> extra;
        if (previous != nullptr) extra.push_back((*previous)[static_cast<std::size_t>(n - 1)].params);
        const std::vector<Params> starts =
            startsFor(n, obs, n > 1 ? &out[static_cast<std::size_t>(n - 2)] : nullptr,
                      options.legacyStarts[static_cast<std::size_t>(n - 1)], extra, wideSearch);
        out[static_cast<std::size_t>(n - 1)] = searchBest(problem, starts);
    }
    return out;
}

SpectralClass peakClass(double lambdaM) {
    // The programs classify the peak as they print it, to 0.1 nm.
    const double peak = 0.1 * std::trunc(10.0 * peakWavelength(lambdaM, lambdaM - 5.0) + 0.5);
    return classOfPeak(peak);
}

// The message the program prints for a data file the fit's reading refused:
// the program's own check of the data, which says more for some files (one
// written for the other program: "analyse it with monofit"). A file the check
// passes keeps the fit's message.
std::string programsRefusal(const std::string& name, const std::string& text, Program program,
                            const std::string& fitMessage) {
    auto run = std::make_unique<RunState>();
    run->program = program;
    run->dataPath = name;
    run->data.emplace(name, text);
    try {
        checkDataFile(*run);
    } catch (const RunFailure& failure) {
        return failure.what();
    } catch (const std::bad_alloc&) {
    }
    return fitMessage;
}

GlobalFit fitPrepared(const PreparedData& data, const FitOptions& options) {
    const Observations obs = observationsOf(data);
    const bool series = obs.series();
    GlobalFit g;
    g.program = data.program;
    g.nSpec = obs.nSpec;
    g.nPoints = obs.nPoints;
    g.step = data.spectra.step;
    g.warnings = data.warnings;
    if (series) {
        g.quencherType = data.quencherType;
        g.activity = data.activity;
        g.ksvTrp = data.ksvTrp;
    }

    // Unweighted fits first; the noise model from the residuals of the
    // richest model; then the fits again under its weights, twice.
    const Whitening unit = unitWhitening(obs);
    std::array<Solution, 3> sol = fitAll(obs, unit, nullptr, options, true);
    NoiseModel noise;
    std::vector<double> muRef;
    Whitening w;
    for (int round = 0; round < 2; ++round) {
        const Problem richest(obs, unit, 3);
        muRef = richest.fitted(sol[2].params, sol[2].amp);
        noise = estimateNoise(obs, muRef, fittedParameters(3, series));
        w = noiseWhitening(obs, noise, muRef);
        sol = fitAll(obs, w, &sol, options, false);
    }
    g.noise = noise;

    std::array<Support, 3> support;
    for (int n = 1; n <= 3; ++n) {
        const std::size_t idx = static_cast<std::size_t>(n - 1);
        const Solution& s = sol[idx];
        ModelFit& m = g.models[idx];
        m.components = n;
        m.rss = s.q;
        const int k = fittedParameters(n, series);
        m.dof = obs.size() - k;
        m.parameters = k + 1;
        Bounds b;
        const bool intervals = options.intervals && options.bootstrapRounds > 0;
        if (intervals) b = bootstrap(obs, w, noise, s, options.bootstrapRounds, options.seed + static_cast<std::uint64_t>(n));
        const std::vector<double> shares = sharesOf(s);
        const double none = std::nan("");
        for (int c = 0; c < n; ++c) {
            const std::size_t i = static_cast<std::size_t>(c);
            ComponentFit comp;
            const double p = s.params.pos[i];
            comp.position = {p, intervals ? b.posLow[i] : none, intervals ? b.posHigh[i] : none};
            comp.peak = {exactPeak(p), intervals ? exactPeak(b.posLow[i]) : none,
                         intervals ? exactPeak(b.posHigh[i]) : none};
            if (series) {
                // A component without intensity has no quenching to measure.
                const double ksv = s.amp[i] > 0.0 ? s.params.ksv[i] : none;
                comp.ksv = Estimate{ksv, intervals ? b.ksvLow[i] : none, intervals ? b.ksvHigh[i] : none};
            }
            comp.share = {shares[i], intervals ? b.shareLow[i] : none, intervals ? b.shareHigh[i] : none};
            comp.spectralClass = peakClass(p);
            m.component.push_back(comp);
        }
        support[idx].amplitude = s.amp;
        if (series && n >= 2 && options.leaveOneOut) {
            support[idx].shift = leaveOneOutShifts(obs, noise, muRef, s);
            double largest = 0.0;
            for (double x : support[idx].shift) largest = std::max(largest, x);
            m.leaveOneOutShift = largest;
        }
    }
    compareModels(g, obs.size());
    decide(g, support);
    return g;
}

}  // namespace

bool atPositionLimit(double lambdaM) {
    return lambdaM <= kLowestPosition + 0.5 || lambdaM >= kHighestPosition - 0.5;
}

double lowestPosition() { return kLowestPosition; }
double highestPosition() { return kHighestPosition; }

const char* verdictText(Verdict verdict) {
    switch (verdict) {
        case Verdict::Chosen: return "chosen";
        case Verdict::Undecided: return "undecided";
        case Verdict::Rejected: return "rejected";
    }
    return "rejected";
}

FitOutcome fitDataText(const std::string& name, const std::string& text,
                       std::optional<Program> program, const FitOptions& options) {
    const Program prog = program ? *program : programOfText(text);
    FitOutcome out;
    try {
        const PreparedData data = prepareData(name, text, prog);
        out.fit = fitPrepared(data, options);
    } catch (const RunFailure& failure) {
        out.failure = std::string(programName(prog)) + ": " + programsRefusal(name, text, prog, failure.what());
    } catch (const std::bad_alloc&) {
        out.failure = std::string(programName(prog)) + ": out of memory";
    }
    // The fit's own arithmetic leaves no failure flags for later checks.
    fp::clear();
    return out;
}

FitOutcome fitDataFile(const std::string& path, std::optional<Program> program,
                       const FitOptions& options) {
    std::string text;
    try {
        // The programs' own open: the same message for a missing or too
        // large file.
        (void)DataReader::open(path);
        std::ifstream in(path, std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const RunFailure& failure) {
        FitOutcome out;
        out.failure = std::string(programName(program.value_or(Program::Quenfit))) + ": " + failure.what();
        return out;
    }
    return fitDataText(path, text, program, options);
}

}  // namespace qf::fit
