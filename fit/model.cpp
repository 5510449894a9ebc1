#include "fit/model.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <Eigen/Dense>

#include "band/band.h"


namespace qf::fit {

namespace {

std::size_t at(int k, int j, int nPoints) {
    return static_cast<std::size_t>(k) * static_cast<std::size_t>(nPoints) +
           static_cast<std::size_t>(j);
}

// Non-negative least squares of at most three unknowns from the normal
// equations: the unconstrained solution when it is non-negative, else the
// best of the solutions on every subset of the columns.
double solveNonNegative(const Eigen::MatrixXd& g, const Eigen::VectorXd& b, double yy,
                        std::vector<double>& amp) {
    const int n = static_cast<int>(b.size());
    double best = std::numeric_limits<double>::infinity();
    std::vector<double> bestAmp(static_cast<std::size_t>(n), 0.0);
    for (int mask = (1 << n) - 1; mask >= 0; --mask) {
        std::vector<int> cols;
        for (int i = 0; i < n; ++i) {
            if ((mask >> i) & 1) cols.push_back(i);
        }
        const int m = static_cast<int>(cols.size());
        Eigen::VectorXd x = Eigen::VectorXd::Zero(m);
        if (m > 0) {
            Eigen::MatrixXd gs(m, m);
            Eigen::VectorXd bs(m);
            for (int r = 0; r < m; ++r) {
                bs(r) = b(cols[static_cast<std::size_t>(r)]);
                for (int c = 0; c < m; ++c) {
                    gs(r, c) = g(cols[static_cast<std::size_t>(r)], cols[static_cast<std::size_t>(c)]);
                }
            }
            x = gs.ldlt().solve(bs);
            if (!x.allFinite() || (x.array() < 0.0).any()) continue;
        }
        // q = y'y - 2 x'b + x'Gx = y'y - x'b at the subset's solution.
        double q = yy;
        for (int r = 0; r < m; ++r) q -= x(r) * b(cols[static_cast<std::size_t>(r)]);
        if (q < best) {
            best = q;
            std::fill(bestAmp.begin(), bestAmp.end(), 0.0);
            for (int r = 0; r < m; ++r) bestAmp[static_cast<std::size_t>(cols[static_cast<std::size_t>(r)])] = x(r);
        }
        // The full set, when feasible, is the optimum of all subsets.
        if (mask == (1 << n) - 1) break;
    }
    amp = bestAmp;
    return best;
}

}  // namespace

double independentVariance(const NoiseModel& noise, double mu, double countingShape) {
    const double m = std::max(mu, 0.0);
    return noise.quantization + noise.additive * countingShape * countingShape +
           noise.poisson * m * countingShape + noise.relative * noise.relative * m * m;
}

double sharedVariance(const NoiseModel& noise, const Observations& obs, int j) {
    const double u = obs.standardShape.empty() ? 1.0 : obs.standardShape[static_cast<std::size_t>(j)];
    return noise.sharedRelative * noise.sharedRelative + noise.sharedCounting * u + noise.sharedAdditive * u * u;
}

Whitening unitWhitening(const Observations& obs) {
    Whitening w;
    w.dinv.assign(static_cast<std::size_t>(obs.size()), 1.0);
    w.uhat.assign(static_cast<std::size_t>(obs.size()), 0.0);
    w.shrink.assign(static_cast<std::size_t>(obs.nPoints), 0.0);
    return w;
}

Whitening noiseWhitening(const Observations& obs, const NoiseModel& noise,
                         const std::vector<double>& mu) {
    Whitening w = unitWhitening(obs);
    for (int j = 0; j < obs.nPoints; ++j) {
        const double s2 = sharedVariance(noise, obs, j);
        double norm2 = 0.0;
        for (int k = 0; k < obs.nSpec; ++k) {
            const std::size_t i = at(k, j, obs.nPoints);
            const double v = independentVariance(noise, mu[i], obs.countingShape[static_cast<std::size_t>(j)]);
            w.dinv[i] = 1.0 / std::sqrt(v);
            const double u = std::max(mu[i], 0.0) * w.dinv[i];
            w.uhat[i] = u;
            norm2 += u * u;
        }
        if (norm2 > 0.0 && s2 > 0.0) {
            const double norm = std::sqrt(norm2);
            for (int k = 0; k < obs.nSpec; ++k) w.uhat[at(k, j, obs.nPoints)] /= norm;
            // (I + s2 u u')^(-1/2) = I - (1 - 1/sqrt(1 + s2 |u|^2)) uhat uhat'.
            w.shrink[static_cast<std::size_t>(j)] = 1.0 - 1.0 / std::sqrt(1.0 + s2 * norm2);
        }
    }
    return w;
}

Problem::Problem(const Observations& obs, const Whitening& w, int components, double separation)
    : obs_(obs), w_(w), n_(components), separation_(separation) {
    raw_.resize(static_cast<std::size_t>(obs.size()));
    setData(obs.y);
    if (obs.series()) {
        const double amax = *std::max_element(obs.activity.begin(), obs.activity.end());
        const double scale = amax > 0.0 ? amax : 1.0;
        ksvLow_ = -0.5 / scale;
        ksvHigh_ = 500.0 / scale;
    }
}

void Problem::setData(const std::vector<double>& y) {
    ytilde_.assign(y.size(), 0.0);
    whiten(y.data(), ytilde_.data());
    yy_ = 0.0;
    for (double v : ytilde_) yy_ += v * v;
}

void Problem::whiten(const double* x, double* out) const {
    const int np = obs_.nPoints;
    for (int j = 0; j < np; ++j) {
        const double c = w_.shrink[static_cast<std::size_t>(j)];
        double s = 0.0;
        for (int k = 0; k < obs_.nSpec; ++k) {
            const std::size_t i = at(k, j, np);
            out[i] = w_.dinv[i] * x[i];
            s += w_.uhat[i] * out[i];
        }
        if (c != 0.0) {
            for (int k = 0; k < obs_.nSpec; ++k) {
                const std::size_t i = at(k, j, np);
                out[i] -= c * s * w_.uhat[i];
            }
        }
    }
}

void Problem::project(Params& p) const {
    // Order by position, carrying each component's Ksv along.
    std::vector<int> order(p.pos.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    std::sort(order.begin(), order.end(), [&p](int a, int b) {
        return p.pos[static_cast<std::size_t>(a)] < p.pos[static_cast<std::size_t>(b)];
    });
    Params sorted;
    for (int i : order) {
        sorted.pos.push_back(p.pos[static_cast<std::size_t>(i)]);
        if (!p.ksv.empty()) sorted.ksv.push_back(p.ksv[static_cast<std::size_t>(i)]);
    }
    p = sorted;
    const std::size_t n = p.pos.size();
    const double span = separation_ * static_cast<double>(n - 1);
    for (double& x : p.pos) {
        if (!std::isfinite(x)) x = 0.5 * (kLowestPosition + kHighestPosition);
    }
    // Push apart from the lowest upward, then pull back under the top.
    p.pos[0] = std::clamp(p.pos[0], kLowestPosition, kHighestPosition - span);
    for (std::size_t i = 1; i < n; ++i) {
        p.pos[i] = std::max(p.pos[i], p.pos[i - 1] + separation_);
    }
    if (p.pos[n - 1] > kHighestPosition) {
        p.pos[n - 1] = kHighestPosition;
        for (std::size_t i = n - 1; i-- > 0;) {
            p.pos[i] = std::min(p.pos[i], p.pos[i + 1] - separation_);
        }
    }
    for (double& k : p.ksv) k = std::isfinite(k) ? std::clamp(k, ksvLow_, ksvHigh_) : 0.0;
}

void Problem::column(const Params& p, int c, const std::vector<double>& shape, double* out) const {
    const int np = obs_.nPoints;
    for (int k = 0; k < obs_.nSpec; ++k) {
        const double g = obs_.series()
                             ? 1.0 / (1.0 + p.ksv[static_cast<std::size_t>(c)] *
                                                obs_.activity[static_cast<std::size_t>(k)])
                             : 1.0;
        for (int j = 0; j < np; ++j) raw_[at(k, j, np)] = g * shape[static_cast<std::size_t>(j)];
    }
    whiten(raw_.data(), out);
}

std::vector<double> Problem::shapeOf(double position) const {
    const BandShape band = bandShape(position);
    std::vector<double> shape(static_cast<std::size_t>(obs_.nPoints));
    for (int j = 0; j < obs_.nPoints; ++j) {
        shape[static_cast<std::size_t>(j)] = lognormalShape(band, obs_.lambda[static_cast<std::size_t>(j)]);
    }
    return shape;
}

double Problem::evaluate(const Params& p, std::vector<double>& amp,
                         std::vector<double>* resid) const {
    const std::size_t size = static_cast<std::size_t>(obs_.size());
    cols_.resize(size * static_cast<std::size_t>(n_));
    raw_.resize(size);
    for (int c = 0; c < n_; ++c) {
        column(p, c, shapeOf(p.pos[static_cast<std::size_t>(c)]), colPtr(c));
    }
    Eigen::MatrixXd g(n_, n_);
    Eigen::VectorXd b(n_);
    for (int r = 0; r < n_; ++r) {
        const double* cr = colPtr(r);
        double s = 0.0;
        for (std::size_t i = 0; i < size; ++i) s += cr[i] * ytilde_[i];
        b(r) = s;
        for (int c = 0; c <= r; ++c) {
            const double* cc = colPtr(c);
            double t = 0.0;
            for (std::size_t i = 0; i < size; ++i) t += cr[i] * cc[i];
            g(r, c) = t;
            g(c, r) = t;
        }
    }
    gram_ = g;
    std::vector<double> coef;
    solveNonNegative(g, b, yy_, coef);
    activeColumns_.clear();
    for (int c = 0; c < n_; ++c) {
        if (coef[static_cast<std::size_t>(c)] > 0.0) activeColumns_.push_back(c);
    }
    amp = coef;
    std::vector<double>& r = resid != nullptr ? *resid : resid_;
    r.assign(ytilde_.begin(), ytilde_.end());
    for (int c = 0; c < n_; ++c) {
        const double a = coef[static_cast<std::size_t>(c)];
        if (a == 0.0) continue;
        const double* cc = colPtr(c);
        for (std::size_t i = 0; i < size; ++i) r[i] -= a * cc[i];
    }
    double q = 0.0;
    for (double v : r) q += v * v;
    return q;
}

void Problem::jacobian(const Params& p, const std::vector<double>& amp, Eigen::MatrixXd& jac) const {
    // Kaufman's form of the variable-projection Jacobian: the derivative of
    // the model with the amplitudes held, projected off the span of the
    // active columns.
    const std::size_t size = static_cast<std::size_t>(obs_.size());
    const int np = obs_.nPoints;
    const int d = obs_.series() ? 2 * n_ : n_;
    jac.setZero(static_cast<Eigen::Index>(size), d);
    const std::vector<int>& active = activeColumns_;
    const int m = static_cast<int>(active.size());
    Eigen::MatrixXd ga(m, m);
    for (int r = 0; r < m; ++r) {
        for (int c = 0; c < m; ++c) ga(r, c) = gram_(active[static_cast<std::size_t>(r)], active[static_cast<std::size_t>(c)]);
    }
    const Eigen::LDLT<Eigen::MatrixXd> solver(ga);
    std::vector<double> dcol(size);
    for (int par = 0; par < d; ++par) {
        const int c = par % n_;
        const double a = amp[static_cast<std::size_t>(c)];
        if (a <= 0.0) continue;
        const double pos = p.pos[static_cast<std::size_t>(c)];
        if (par < n_) {
            // d shape / d position by a central difference of the band.
            const double h = 1e-3;
            const std::vector<double> up = shapeOf(pos + h);
            const std::vector<double> down = shapeOf(pos - h);
            std::vector<double> ds(static_cast<std::size_t>(np));
            for (int j = 0; j < np; ++j) {
                ds[static_cast<std::size_t>(j)] = a * (up[static_cast<std::size_t>(j)] - down[static_cast<std::size_t>(j)]) / (2.0 * h);
            }
            column(p, c, ds, dcol.data());
        } else {
            // d (1 / (1 + K a_k)) / dK = -a_k / (1 + K a_k)^2.
            const std::vector<double> shape = shapeOf(pos);
            const double ksv = p.ksv[static_cast<std::size_t>(c)];
            for (int k = 0; k < obs_.nSpec; ++k) {
                const double act = obs_.activity[static_cast<std::size_t>(k)];
                const double g = 1.0 / (1.0 + ksv * act);
                for (int j = 0; j < np; ++j) {
                    raw_[at(k, j, np)] = -a * act * g * g * shape[static_cast<std::size_t>(j)];
                }
            }
            whiten(raw_.data(), dcol.data());
        }
        // Project off the active columns: dcol - X (G^-1 X' dcol).
        Eigen::VectorXd xd(m);
        for (int r = 0; r < m; ++r) {
            const double* cr = colPtr(active[static_cast<std::size_t>(r)]);
            double s = 0.0;
            for (std::size_t i = 0; i < size; ++i) s += cr[i] * dcol[i];
            xd(r) = s;
        }
        const Eigen::VectorXd coef = m > 0 ? Eigen::VectorXd(solver.solve(xd)) : Eigen::VectorXd();
        for (int r = 0; r < m; ++r) {
            const double* cr = colPtr(active[static_cast<std::size_t>(r)]);
            const double f = coef(r);
            for (std::size_t i = 0; i < size; ++i) dcol[i] -= f * cr[i];
        }
        for (std::size_t i = 0; i < size; ++i) jac(static_cast<Eigen::Index>(i), par) = -dcol[i];
    }
}

std::vector<double> Problem::fitted(const Params& p, const std::vector<double>& amp) const {
    const int np = obs_.nPoints;
    std::vector<double> mu(static_cast<std::size_t>(obs_.size()), 0.0);
    for (int c = 0; c < n_; ++c) {
        const BandShape band = bandShape(p.pos[static_cast<std::size_t>(c)]);
        for (int j = 0; j < np; ++j) {
            const double s = amp[static_cast<std::size_t>(c)] *
                             lognormalShape(band, obs_.lambda[static_cast<std::size_t>(j)]);
            for (int k = 0; k < obs_.nSpec; ++k) {
                const double g = obs_.series()
                                     ? 1.0 / (1.0 + p.ksv[static_cast<std::size_t>(c)] *
                                                        obs_.activity[static_cast<std::size_t>(k)])
                                     : 1.0;
                mu[at(k, j, np)] += g * s;
            }
        }
    }
    return mu;
}

namespace {

std::vector<double> toVector(const Params& p) {
    std::vector<double> v = p.pos;
    v.insert(v.end(), p.ksv.begin(), p.ksv.end());
    return v;
}

Params fromVector(const std::vector<double>& v, int n, bool series) {
    Params p;
    p.pos.assign(v.begin(), v.begin() + n);
    if (series) p.ksv.assign(v.begin() + n, v.begin() + 2 * n);
    return p;
}

}  // namespace

Solution Problem::solve(const Params& start, int maxIter, double tolerance) const {
    const bool series = obs_.series();
    Params cur = start;
    project(cur);
    std::vector<double> amp;
    std::vector<double> r;
    double q = evaluate(cur, amp, &r);
    double lambda = 1e-3;
    std::vector<double> rTrial;
    std::vector<double> ampTrial;
    int quiet = 0;
    int it = 0;
    for (; it < maxIter; ++it) {
        const std::vector<double> theta = toVector(cur);
        const int d = static_cast<int>(theta.size());
        Eigen::MatrixXd jac;
        jacobian(cur, amp, jac);
        const Eigen::MatrixXd a = jac.transpose() * jac;
        Eigen::VectorXd g(d);
        for (int c = 0; c < d; ++c) {
            double s = 0.0;
            for (std::size_t i = 0; i < r.size(); ++i) s += jac(static_cast<Eigen::Index>(i), c) * r[i];
            g(c) = s;
        }
        bool accepted = false;
        double qNew = q;
        for (int trial = 0; trial < 12 && !accepted; ++trial) {
            Eigen::MatrixXd damped = a;
            for (int c = 0; c < d; ++c) damped(c, c) += lambda * std::max(a(c, c), 1e-12);
            const Eigen::VectorXd delta = damped.ldlt().solve(-g);
            std::vector<double> t = theta;
            for (int c = 0; c < d; ++c) t[static_cast<std::size_t>(c)] += delta(c);
            Params pt = fromVector(t, n_, series);
            project(pt);
            const double qt = evaluate(pt, ampTrial, &rTrial);
            if (qt < q) {
                accepted = true;
                qNew = qt;
                cur = pt;
                amp = ampTrial;
                r = rTrial;
                lambda = std::max(lambda / 3.0, 1e-9);
            } else {
                lambda *= 4.0;
            }
        }
        if (!accepted) break;
        const double gain = q - qNew;
        q = qNew;
        quiet = gain <= tolerance * q + 1e-12 ? quiet + 1 : 0;
        if (quiet >= 2) break;
    }
    return Solution{cur, amp, q, it};
}

}  // namespace qf::fit
