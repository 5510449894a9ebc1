#include "phase/trial_bands.h"

#include <algorithm>
#include <utility>

#include "textio/checked.h"
#include "textio/double_chars.h"

namespace qf {

namespace {

constexpr std::size_t kInitialCapacity = 16384;

// Beyond this exponent a band height could leave the normal range once
// divided by another, and the band ratio could overflow.
constexpr double kLargestExponent = 80.0;

// Trial positions differ in any bit of the mantissa, often only in the high
// ones (300, 301, ...): mix all bits before taking the low ones.
std::size_t hashOf(std::uint64_t key) {
    key ^= key >> 33;
    key *= 0xff51afd7ed558ccdull;
    key ^= key >> 33;
    key *= 0xc4ceb9fe1a85ec53ull;
    key ^= key >> 33;
    return static_cast<std::size_t>(key);
}

}  // namespace

TrialBands::TrialBands(std::vector<double> wl)
    : wl_(std::move(wl)), points_(wl_.size()), keys_(kInitialCapacity, 0),
      slots_(kInitialCapacity, -1) {
    nu_.reserve(points_);
    for (double lambda : wl_) nu_.push_back(wavenumber(lambda));
}

int TrialBands::slotOf(double lambdaM) {
    const std::uint64_t key = text::bitCast<std::uint64_t>(lambdaM);
    const std::size_t mask = slots_.size() - 1;
    std::size_t h = hashOf(key) & mask;
    while (slots_[h] >= 0) {
        if (keys_[h] == key) return slots_[h];
        h = (h + 1) & mask;
    }
    const int slot = static_cast<int>(bands_.size());
    bands_.push_back(bandShape(lambdaM));
    if (bands_.size() > capacity_) growHeights();
    fillHeights(slot, bands_.back());
    successor_.resize(successor_.size() + kMoves, -1);
    keys_[h] = key;
    slots_[h] = slot;
    if (2 * bands_.size() > slots_.size()) growMap();
    return slot;
}

// Height of the band at grid point k: exp(-E) with E = c (ln q)^2, where
// q = (nuLimit - nu) / (nuLimit - nuMax). The band ratio of the model is
// exp(-c ln(q_k q_j) ln(q_k / q_j)) = exp(E_j - E_k); the two evaluations
// differ by rounding in the logarithms, the products, the quotients and the
// exponentials, which stays below about 10 units in the last place times
// w_k + w_j, w = 1 + E + c |ln q|. The tolerance of a slot takes the largest
// w of its grid points. Heights are only kept where every operation of the
// band ratio is defined and the exponent is moderate, so that a sign decided
// from them never hides a failure of the band model.
void TrialBands::fillHeights(int slot, const BandShape& band) {
    using fp::Real;
    weight_.push_back(0.0);
    if (!(band.rho > 0.0) || band.lnRho == 0.0) return;
    const Real c = band.shapeCoefficient;
    const Real d0 = Real(band.nuLimit) - band.nuMax;
    if (!std::isfinite(c.value()) || !(c > 0.0) || !std::isfinite(d0.value()) || d0 == 0.0) return;
    double largest = 0.0;
    for (std::size_t k = 0; k < points_; ++k) {
        const Real q = (Real(band.nuLimit) - nu_[k]) / d0;
        if (!(q > 0.0) || !std::isfinite(q.value())) continue;
        const Real lnQ = log(q);
        const Real e = c * (lnQ * lnQ);
        if (!(e <= kLargestExponent)) continue;
        height_[k * capacity_ + static_cast<std::size_t>(slot)] = static_cast<float>(std::exp(-e.value()));
        largest = std::max(largest, (1.0 + e + c * fabs(lnQ)).value());
    }
    // A quotient of two heights rounded to single precision differs from the
    // band ratio by at most two single-precision roundings plus the rounding
    // of the two evaluations; twice that bounds |x - x~| / x~.
    const double quotient = 2.0 * 0x1p-24 * 1.0001 + kRatioTolerance * (2.0 * largest);
    weight_.back() = 2.0 * quotient;
}

double TrialBands::exactCrossing(int slot, double a, double b, int j, int k, int l) const {
    const BandShape& band = bands_[static_cast<std::size_t>(slot)];
    const double lambdaJ = wl_[static_cast<std::size_t>(j)];
    return (fp::Real(a) + fp::Real(b) * shapeRatio(band, wl_[static_cast<std::size_t>(k)], lambdaJ) -
            shapeRatio(band, wl_[static_cast<std::size_t>(l)], lambdaJ))
        .value();
}

void TrialBands::recordSignEvents(double a, double b, double x, double y, double weight) {
    using fp::Real;
    (void)(Real(a) + Real(b) * x - y);
    const Real bx = fabs(Real(b)) * x;
    (void)(Real(weight) * (bx + y) + kSumTolerance * (fabs(Real(a)) + bx + y));
}

void TrialBands::growHeights() {
    const std::size_t capacity = std::max<std::size_t>(2 * capacity_, kInitialCapacity);
    std::vector<float> height(points_ * capacity, 0.0F);
    for (std::size_t k = 0; k < points_; ++k) {
        std::copy_n(height_.data() + k * capacity_, capacity_, height.data() + k * capacity);
    }
    height_ = std::move(height);
    capacity_ = capacity;
}

void TrialBands::growMap() {
    std::vector<std::uint64_t> keys(keys_.size() * 2, 0);
    std::vector<int> slots(slots_.size() * 2, -1);
    const std::size_t mask = slots.size() - 1;
    for (std::size_t s = 0; s < slots_.size(); ++s) {
        if (slots_[s] < 0) continue;
        std::size_t h = hashOf(keys_[s]) & mask;
        while (slots[h] >= 0) h = (h + 1) & mask;
        keys[h] = keys_[s];
        slots[h] = slots_[s];
    }
    keys_ = std::move(keys);
    slots_ = std::move(slots);
}

}  // namespace qf
