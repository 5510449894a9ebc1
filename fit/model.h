#pragma once
// The separable model of the global fit and its least-squares solver.
//
// Spectrum k at window point j (wavenumber scale) is modelled as
//   sum_i A_i * g_ik * lognormalShape(p_i, lambda_j),
// g_ik = 1 / (1 + Ksv_i a_k) for a quenching series and 1 for a single
// spectrum. The positions p_i and the Ksv_i are the nonlinear parameters;
// the amplitudes A_i >= 0 are solved exactly for every trial of them (a
// non-negative least-squares problem of at most three unknowns), so the
// Levenberg-Marquardt iteration runs on the projected residual only
// (variable projection).
//
// The residuals are whitened by the noise model: at one wavelength the
// errors of the spectra share a multiplicative part, so their covariance is
// a diagonal plus a rank-one term, whose inverse square root is applied
// in closed form.

#include <vector>

#include <Eigen/Dense>

#include "fit/global_fit.h"

namespace qf::fit {

// The data the fit sees: spectra on the wavenumber scale, spectrum-major.
struct Observations {
    int nSpec = 0;
    int nPoints = 0;
    std::vector<double> lambda;    // nm, one per window point
    std::vector<double> y;         // nSpec * nPoints
    std::vector<double> activity;  // M, one per spectrum; empty: no quenching
    // Relative size of counting noise at each point on this scale (the
    // correction factor times the wavenumber-scale factor), mean 1.
    std::vector<double> countingShape;
    // The measured standard's maximum over its value at each point, mean 1
    // (how much noisier the standard's recording is there, relatively).
    std::vector<double> standardShape;

    bool series() const { return !activity.empty(); }
    int size() const { return nSpec * nPoints; }
};

// The whitening of the noise model for one set of reference values mu:
// per point the inverse independent s.d., per wavelength the rank-one
// direction and its shrink factor.
struct Whitening {
    std::vector<double> dinv;   // nSpec * nPoints
    std::vector<double> uhat;   // nSpec * nPoints (unit vector per wavelength)
    std::vector<double> shrink; // nPoints
};

Whitening unitWhitening(const Observations& obs);
Whitening noiseWhitening(const Observations& obs, const NoiseModel& noise,
                         const std::vector<double>& mu);
// Variance of the shared (relative) error at wavelength j.
double sharedVariance(const NoiseModel& noise, const Observations& obs, int j);
// Variance of the independent part of the error at one point.
double independentVariance(const NoiseModel& noise, double mu, double countingShape);

inline constexpr double kLowestPosition = 290.0;
inline constexpr double kHighestPosition = 400.0;
inline constexpr double kMinimumSeparation = 1.0;

struct Params {
    std::vector<double> pos;  // nm, increasing
    std::vector<double> ksv;  // 1/M; empty without quenching
};

struct Solution {
    Params params;
    std::vector<double> amp;
    double q = 0.0;  // weighted residual sum of squares
    int iterations = 0;
};

// One Problem serves one thread at a time: it keeps the work space of its
// last evaluation.
class Problem {
public:
    // `separation`: the least distance of two positions (nm).
    Problem(const Observations& obs, const Whitening& w, int components,
            double separation = kMinimumSeparation);

    // Replaces the data (bootstrap); the whitening stays.
    void setData(const std::vector<double>& y);

    // Weighted residual sum of squares at the parameters, with the optimal
    // non-negative amplitudes; the whitened residuals when asked.
    double evaluate(const Params& p, std::vector<double>& amp, std::vector<double>* resid) const;

    // Levenberg-Marquardt from `start`, at most `maxIter` iterations; stops
    // after two steps that each lower the sum of squares by less than
    // `tolerance` times itself.
    Solution solve(const Params& start, int maxIter, double tolerance = 1e-10) const;

    // A vector over every spectrum and point with the noise model's
    // whitening applied.
    std::vector<double> whitened(const std::vector<double>& x) const {
        std::vector<double> out(x.size());
        whiten(x.data(), out.data());
        return out;
    }

    // The model's values (wavenumber scale) for every spectrum and point.
    std::vector<double> fitted(const Params& p, const std::vector<double>& amp) const;

    // Keeps positions inside the band's range, in order and at least 1 nm
    // apart, and the quenching factors positive.
    void project(Params& p) const;

    int components() const { return n_; }

private:
    void whiten(const double* x, double* out) const;
    std::vector<double> shapeOf(double position) const;
    // Whitened column of component c for the band values `shape`.
    void column(const Params& p, int c, const std::vector<double>& shape, double* out) const;
    // Jacobian of the projected residual at the last evaluated parameters.
    void jacobian(const Params& p, const std::vector<double>& amp, Eigen::MatrixXd& jac) const;
    double* colPtr(int c) const { return cols_.data() + static_cast<std::size_t>(c) * ytilde_.size(); }

    const Observations& obs_;
    const Whitening& w_;
    int n_;
    double separation_;
    std::vector<double> ytilde_;
    double yy_ = 0.0;
    double ksvLow_ = 0.0;
    double ksvHigh_ = 0.0;
    // Work space of the last evaluation (a Problem serves one thread).
    mutable std::vector<double> cols_;
    mutable std::vector<double> raw_;
    mutable std::vector<double> resid_;
    mutable Eigen::MatrixXd gram_;
    mutable std::vector<int> activeColumns_;
};


}  // namespace qf::fit
