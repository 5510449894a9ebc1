#pragma once
// Random simulated data files with their truth, for measuring how well an
// analysis recovers what a file holds. A case is fixed by its seed: the same
// seed gives the same truth and the same file text on every run.
//
// The cases imitate what instruments record: 1 to 3 components with maxima
// anywhere from 306 to 358 nm, at least 6 nm apart, each contributing 15 to
// 100 % of the unquenched spectrum's area; Stern-Volmer constants spread from
// nearly buried to fully exposed tryptophan of the series' quencher (types 1
// to 5, quenched against the chemical activity); Gaussian or Poisson-like
// noise up to 2 % of the peak; a noisy recording of the standard.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/synthetic_data.h"

namespace qf::synth {

struct CaseOptions {
    int components = 0;        // 1 to 3; 0 draws it
    bool series = true;        // quenching series (quenfit) or one spectrum (monofit)
    int quencherType = 0;      // 1 to 5; 0 draws it
    double maxNoise = 0.02;    // the noise level is drawn from 0.002 to this
    double maxStandardNoise = 0.01;  // the standard's level from 0.001 to this (0: exact)
};

// What generated a case. Components are in ascending order of position.
struct CaseTruth {
    bool series = true;
    int quencherType = 1;
    std::vector<double> positions;     // band maxima, nm
    std::vector<double> ksv;           // 1/M against the activity (series only)
    std::vector<double> sharePercent;  // area contributions in the unquenched spectrum, sum 100
    std::vector<double> concentrations;
    std::vector<double> activities;
    NoiseKind noiseKind = NoiseKind::Gaussian;
    double noise = 0.0;
    double standardNoise = 0.0;
};

struct SimulatedCase {
    std::uint64_t seed = 0;
    SeriesSpec input;  // what the generator was given, noise seed included
    CaseTruth truth;
    std::string text;  // the data file
};

// The case of `seed` under `options`.
SimulatedCase simulateCase(std::uint64_t seed, const CaseOptions& options = {});

// Area contribution (%) of every component of `series` in the spectrum at
// activity `activity`, from the band areas on the wavenumber scale.
std::vector<double> areaShares(const SeriesSpec& series, double activity);

// Name of a noise kind ("uniform", "gaussian", "poisson").
const char* noiseKindName(NoiseKind kind);

}  // namespace qf::synth
