#pragma once
// The global fit: a second analysis of a data file beside the legacy's
// decomposition. The spectra are read, corrected and normalized exactly as
// the programs prepare their 320-380 nm window; then N = 1, 2 and 3
// components of the project's log-normal band are fitted to all spectra at
// once, with continuous positions and, for a quenching series, amplitudes
// that follow the Stern-Volmer law A_i / (1 + Ksv_i a_k) over the quencher
// activities a_k. Errors are weighted by a noise model estimated from the
// residuals that allows for an error shared by all spectra at one
// wavelength (the recording of the standard) besides independent noise.
// Every position, Ksv and share at zero quencher gets a 95 % interval, and
// the component counts are compared (AICc, BIC, Akaike weights, an F-test of
// N against N + 1, leave-one-spectrum-out stability) into a verdict.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "classify/spectral_class.h"
#include "textio/program.h"

namespace qf::fit {

// A fitted value with its 95 % interval. `low` and `high` are NaN when no
// interval was computed (FitOptions::intervals off).
struct Estimate {
    double value = 0.0;
    double low = 0.0;
    double high = 0.0;
};

struct ComponentFit {
    // Band maximum lambdaM (nm): the position parameter of the band, as the
    // legacy fits use it (its wavenumber is the reports' "V (1/cm)").
    Estimate position;
    // Peak of the band on the wavelength-intensity scale (nm), the quantity
    // the reports print as "L (nm)"; the same interval carried through the
    // (increasing) map from lambdaM.
    Estimate peak;
    // Stern-Volmer constant (1/M); series only.
    std::optional<Estimate> ksv;
    // Share of the component in the spectrum at zero quencher (% of the
    // area on the wavenumber scale); for a single spectrum its share.
    Estimate share;
    // Spectral class by the programs' rules from the peak rounded to 0.1 nm.
    SpectralClass spectralClass = SpectralClass::WrongComponent;
};

enum class Verdict { Chosen, Undecided, Rejected };

struct ModelFit {
    int components = 0;                  // N
    std::vector<ComponentFit> component; // ordered by position
    double rss = 0.0;       // weighted residual sum of squares under the noise model
    int parameters = 0;     // positions, Ksv, amplitudes and the noise scale
    int dof = 0;            // observations - fitted parameters (without the noise scale)
    double aicc = 0.0;
    double bic = 0.0;
    double akaikeWeight = 0.0;
    std::optional<double> pVsNext;  // F-test of N against N + 1; none for N = 3
    // Series with N >= 2: the largest shift of a position (nm) when one
    // spectrum at a time is left out; none when not computed.
    std::optional<double> leaveOneOutShift;
    Verdict verdict = Verdict::Rejected;
};

// The noise model the weights come from: at wavelength j the error of
// spectrum k is mu_kj * d_j + e_kj, d_j shared by all spectra with s.d.
// `sharedRelative`, e_kj independent with variance
// `quantization` + `additive` * c_j^2 + `poisson` * mu_kj * c_j +
// `relative`^2 * mu_kj^2, mu the fitted value on the wavenumber scale
// (largest value about 10000) and c_j the factor that took the recorded
// intensity to that scale at wavelength j (correction, normalization,
// wavenumber scale; mean 1 over the window): noise of the same size at
// every intensity, counting noise and noise in proportion to the intensity.
// The shared part's variance at wavelength j is `sharedRelative`^2 +
// `sharedCounting` * u_j + `sharedAdditive` * u_j^2, u_j the measured
// standard's maximum over its value at j (mean 1 over the window): the
// recording of the standard is noisier, relative to itself, where it is weak.
struct NoiseModel {
    double sharedRelative = 0.0;
    double sharedCounting = 0.0;
    double sharedAdditive = 0.0;
    double additive = 0.0;
    double poisson = 0.0;
    double relative = 0.0;
    double quantization = 1.0 / 12.0;
};

struct GlobalFit {
    Program program = Program::Quenfit;
    int nSpec = 0;
    int nPoints = 0;
    double step = 0.0;
    int quencherType = 0;          // series only
    std::vector<double> activity;  // M, series only
    double ksvTrp = 0.0;           // 1/M, series only
    NoiseModel noise;
    std::array<ModelFit, 3> models;  // N = 1, 2, 3

    // The verdict: `chosen` is the component count the data support, or 0
    // when the fit cannot tell between `undecidedLow` and `undecidedLow + 1`.
    int chosen = 0;
    int undecidedLow = 0;
    std::string reason;  // one sentence, for the page and the table

    // Warnings the program would print and that do not stop it (numbers after
    // the measured standard).
    std::vector<std::string> warnings;
};

struct FitOptions {
    // Starting positions (band maxima lambdaM, nm) the legacy's own fits
    // found for N = 1, 2, 3 (index N - 1), e.g. 10^7 / "V (1/cm)" of its
    // Table 1; empty when not known. They join the fit's own starts.
    std::array<std::vector<double>, 3> legacyStarts;
    bool intervals = true;   // bootstrap intervals (off: value only, NaN bounds)
    int bootstrapRounds = 200;
    bool leaveOneOut = true; // series: stability of positions
    std::uint64_t seed = 20240611;  // the bootstrap is deterministic for a seed
};

// Outcome of fitting one data file: the fit, or the one-line message the
// program itself would print for a data file it refuses or cannot read
// ("quenfit: DATA.: line 3: ..."), with the status it would exit with.
struct FitOutcome {
    std::optional<GlobalFit> fit;
    std::string failure;  // empty on success
};

// Fits the data file whose text is `text`; `name` stands for the file in
// messages (the programs use the path they opened). `program`: the analyser
// that reads the file; without it the file's line 2 tells (three numbers a
// single spectrum, five or more a quenching series). A file the reading
// refuses gets the program's own check's message, which names a file of the
// other program as such ("line 2 holds 3 numbers, the parameter line of a
// single spectrum: analyse it with monofit").
FitOutcome fitDataText(const std::string& name, const std::string& text,
                       std::optional<Program> program = std::nullopt,
                       const FitOptions& options = {});

// The same for a file on disk (a file that cannot be opened gives the
// programs' message).
FitOutcome fitDataFile(const std::string& path, std::optional<Program> program = std::nullopt,
                       const FitOptions& options = {});

// Whether a band maximum (nm) lies at an end of the positions the fit
// searches (within 0.5 nm of 290 or 400 nm): the band may lie beyond it, and
// its interval is cut there.
bool atPositionLimit(double lambdaM);
// The ends of the positions searched (nm), for texts that name them.
double lowestPosition();
double highestPosition();

// "chosen", "undecided" or "rejected".
const char* verdictText(Verdict verdict);

}  // namespace qf::fit
