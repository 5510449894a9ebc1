#include "instrument/grid.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "instrument/text_table.h"
#include "textio/double_chars.h"
#include "textio/failure.h"

namespace qf::instrument {

namespace {

constexpr double kWholeTolerance = 1e-9;
constexpr double kShortestWavelength = 190.0;  // nm: the x values of a spectrum lie here
constexpr double kLongestWavelength = 1100.0;
constexpr double kLargestGap = 5.0;      // nm: the farthest neighbours a grid value is drawn between
constexpr double kDefaultFirst = 300.0;  // nm: the default grid starts here at the earliest

[[noreturn]] void refuseAt(const std::string& file, int line, const std::string& cause) {
    fail(file + ", line " + std::to_string(line) + ": " + cause);
}

std::string nm(double v) { return exactText(v); }

std::string spanText(const OrderedSpectrum& s) {
    return nm(s.samples.front().x) + "-" + nm(s.samples.back().x) + " nm";
}

bool wholeMultiple(double distance, double step) {
    const double n = distance / step;
    return std::fabs(n - std::round(n)) <= kWholeTolerance;
}

int countPoints(double first, double last, double step) {
    return static_cast<int>(std::lround((last - first) / step)) + 1;
}

// The neighbours of a grid point are too far apart to draw a line between.
[[noreturn]] void refuseGap(const OrderedSpectrum& s, const Sample& a, const Sample& b, double lambda) {
    refuseAt(s.file, b.line,
             "\"" + s.name + "\" has no point between " + nm(a.x) + " and " + nm(b.x) +
                 " nm; the grid point " + nm(lambda) + " nm would be interpolated across that gap "
                 "(neighbours at most " + nm(kLargestGap) + " nm apart)");
}

// The stretch of the spectrum around 320-380 nm whose neighbours lie at
// most kLargestGap apart; a gap inside 320-380 nm is refused.
std::pair<double, double> gapFreeStretch(const OrderedSpectrum& s) {
    const std::vector<Sample>& v = s.samples;
    std::size_t from = 0;
    std::size_t to = v.size() - 1;
    for (std::size_t i = 1; i < v.size(); ++i) {
        if (v[i].x - v[i - 1].x <= kLargestGap + kSameWavelength) continue;
        if (v[i].x <= 320.0 + kSameWavelength) {
            from = i;  // a gap below the window
        } else if (v[i - 1].x >= 380.0 - kSameWavelength) {
            to = i - 1;  // a gap above the window
            break;
        } else {
            // The first whole nm inside the gap that the window needs.
            const double inside = std::floor(v[i - 1].x + kSameWavelength) + 1.0;
            refuseGap(s, v[i - 1], v[i], std::clamp(inside, 320.0, 380.0));
        }
    }
    return {v[from].x, v[to].x};
}

[[noreturn]] void refuseGrid(const WavelengthGrid& g, const std::string& cause) {
    fail("--grid " + nm(g.first) + ":" + nm(g.last) + ":" + nm(g.step) + ": " + cause);
}

}  // namespace

std::string portableExactText(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0.0 ? "-inf" : "inf";
    if (value == 0.0) return std::signbit(value) ? "-0" : "0";
    // The fewest significant digits that read back to the same double.
    char buf[48];
    for (int precision = 0; precision < 17; ++precision) {
        std::snprintf(buf, sizeof buf, "%.*e", precision, value);
        if (std::strtod(buf, nullptr) == value) break;
    }
    const std::string e(buf);  // [-]d.ddde+XX
    const bool negative = e.front() == '-';
    const std::size_t mark = e.find('e');
    std::string digits;
    for (std::size_t i = negative ? 1 : 0; i < mark; ++i) {
        if (e[i] != '.') digits += e[i];
    }
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    const int exponent = std::atoi(e.c_str() + mark + 1);
    const int n = static_cast<int>(digits.size());
    // Scientific: d.ddde+XX, the exponent of at least two digits.
    const std::string power = std::to_string(exponent < 0 ? -exponent : exponent);
    std::string scientific = digits.substr(0, 1) + (n > 1 ? "." + digits.substr(1) : std::string()) +
                             "e" + (exponent < 0 ? "-" : "+") + (power.size() < 2 ? "0" : "") + power;
    // Fixed: the same digits with the point put in place.
    std::string fixed;
    if (exponent >= n - 1) {
        // A whole number: its exact digits, as printf writes them.
        char whole[400];
        std::snprintf(whole, sizeof whole, "%.0f", std::fabs(value));
        fixed = whole;
    } else if (exponent >= 0) {
        fixed = digits.substr(0, static_cast<std::size_t>(exponent) + 1) + "." +
                digits.substr(static_cast<std::size_t>(exponent) + 1);
    } else {
        fixed = "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    }
    // The shorter form, fixed when both are as long.
    return (negative ? "-" : "") + (fixed.size() <= scientific.size() ? fixed : scientific);
}

std::string exactText(double value) {
#if defined(__cpp_lib_to_chars)
    char buf[64];
    const auto [end, ec] = text::toChars(buf, buf + sizeof buf, value);
    return ec == std::errc{} ? std::string(buf, end) : std::string("nan");
#else
    // A C++ library without std::to_chars for double (the browser build's).
    return portableExactText(value);
#endif
}

OrderedSpectrum orderSpectrum(const std::string& file, const ExportSpectrum& spectrum) {
    OrderedSpectrum out{file, spectrum.name, spectrum.samples};
    std::vector<Sample>& s = out.samples;
    if (s.size() < 2) {
        refuseAt(file, s.empty() ? 1 : s.front().line,
                 "\"" + spectrum.name + "\" has fewer than two points");
    }
    // A spectrum's x values are wavelengths: anything else (seconds of a
    // time trace, row numbers, header numbers) is no emission scan.
    for (const Sample& sample : s) {
        if (!(sample.x >= kShortestWavelength && sample.x <= kLongestWavelength)) {
            refuseAt(file, sample.line,
                     "not a wavelength scan: \"" + spectrum.name + "\" has x = " + nm(sample.x) +
                         " here, and the wavelengths of a spectrum lie between " +
                         nm(kShortestWavelength) + " and " + nm(kLongestWavelength) + " nm");
        }
    }
    const bool down = s[1].x < s[0].x;
    for (std::size_t i = 1; i < s.size(); ++i) {
        const double d = down ? s[i - 1].x - s[i].x : s[i].x - s[i - 1].x;
        if (!(d > kSameWavelength)) {
            const bool restart = std::fabs(s[i].x - s[0].x) <= kSameWavelength;
            refuseAt(file, s[i].line,
                     "the wavelengths of \"" + spectrum.name + "\" do not run strictly " +
                         (down ? "downward" : "upward") + " (" + nm(s[i].x) + " nm after " +
                         nm(s[i - 1].x) + " nm)" +
                         (restart ? "; if every return to the first wavelength begins the next "
                                    "spectrum, say --format restarts"
                                  : ""));
        }
    }
    if (down) std::reverse(s.begin(), s.end());
    return out;
}

bool parseGridText(const std::string& text, WavelengthGrid& grid) {
    const std::size_t a = text.find(':');
    const std::size_t b = a == std::string::npos ? a : text.find(':', a + 1);
    if (b == std::string::npos || text.find(':', b + 1) != std::string::npos) return false;
    const std::string_view t(text);
    return parseNumber(t.substr(0, a), false, grid.first) &&
           parseNumber(t.substr(a + 1, b - a - 1), false, grid.last) &&
           parseNumber(t.substr(b + 1), false, grid.step);
}

WavelengthGrid chooseGrid(const std::vector<const OrderedSpectrum*>& spectra, int maxPoints,
                          const WavelengthGrid* requested) {
    if (requested != nullptr) {
        WavelengthGrid g = *requested;
        if (!(g.step > 0.0)) refuseGrid(g, "the step must be greater than 0");
        if (!(g.first <= 320.0 && g.last >= 380.0)) refuseGrid(g, "the grid must hold 320-380 nm");
        if (!wholeMultiple(320.0 - g.first, g.step) || !wholeMultiple(g.last - 380.0, g.step) ||
            !wholeMultiple(60.0, g.step)) {
            refuseGrid(g, "320 and 380 nm must be grid points (320 - first, last - 380 and 60 "
                          "whole multiples of the step)");
        }
        // Counted in doubles first: a tiny step must not overflow the count.
        const double points = (g.last - g.first) / g.step + 1.0;
        const double window = 60.0 / g.step + 1.0;
        if (!(points <= maxPoints && window <= maxPoints)) {
            refuseGrid(g, exactText(std::round(std::max(points, window))) + " points, more than the " +
                              std::to_string(maxPoints) + " the program reads");
        }
        g.points = countPoints(g.first, g.last, g.step);
        for (const OrderedSpectrum* s : spectra) {
            if (s->samples.front().x > g.first + kSameWavelength) {
                refuseAt(s->file, s->samples.front().line,
                         "\"" + s->name + "\" covers " + spanText(*s) + ", not the grid's " +
                             nm(g.first) + "-" + nm(g.last) + " nm");
            }
            if (s->samples.back().x < g.last - kSameWavelength) {
                refuseAt(s->file, s->samples.back().line,
                         "\"" + s->name + "\" covers " + spanText(*s) + ", not the grid's " +
                             nm(g.first) + "-" + nm(g.last) + " nm");
            }
        }
        return g;
    }
    // Every spectrum must hold 320-380 nm without a gap; the grid is the
    // whole nm that all of them cover without a gap, from 300 nm at most.
    double lo = -1e300;
    double hi = 1e300;
    for (const OrderedSpectrum* s : spectra) {
        if (s->samples.front().x > 320.0 + kSameWavelength) {
            refuseAt(s->file, s->samples.front().line,
                     "\"" + s->name + "\" covers " + spanText(*s) +
                         "; the programs need 320-380 nm");
        }
        if (s->samples.back().x < 380.0 - kSameWavelength) {
            refuseAt(s->file, s->samples.back().line,
                     "\"" + s->name + "\" covers " + spanText(*s) +
                         "; the programs need 320-380 nm");
        }
        const auto [from, to] = gapFreeStretch(*s);
        lo = std::max(lo, from);
        hi = std::min(hi, to);
    }
    WavelengthGrid g;
    g.step = 1.0;
    g.first = std::max(kDefaultFirst, std::ceil(lo - kSameWavelength));
    g.last = std::min(std::floor(hi + kSameWavelength), g.first + (maxPoints - 1) * g.step);
    g.points = countPoints(g.first, g.last, g.step);
    return g;
}

std::vector<double> valuesOnGrid(const OrderedSpectrum& spectrum, const WavelengthGrid& grid,
                                 bool& interpolated) {
    const std::vector<Sample>& s = spectrum.samples;
    std::vector<double> values;
    values.reserve(static_cast<std::size_t>(grid.points));
    auto usable = [&](const Sample& sample, double lambda) {
        if (!sample.flaw.empty()) {
            refuseAt(spectrum.file, sample.line,
                     sample.flaw + " (\"" + spectrum.name + "\" at " + nm(sample.x) +
                         " nm, needed for the grid point " + nm(lambda) + " nm)");
        }
        return sample.y;
    };
    for (int k = 0; k < grid.points; ++k) {
        const double lambda = grid.at(k);
        // First sample not below lambda - 0.001.
        const auto it = std::lower_bound(s.begin(), s.end(), lambda - kSameWavelength,
                                         [](const Sample& a, double x) { return a.x < x; });
        if (it != s.end() && std::fabs(it->x - lambda) <= kSameWavelength) {
            values.push_back(usable(*it, lambda));
            continue;
        }
        if (it == s.begin() || it == s.end()) {
            refuseAt(spectrum.file, it == s.end() ? s.back().line : s.front().line,
                     "\"" + spectrum.name + "\" covers " + spanText(spectrum) +
                         ", not the grid point " + nm(lambda) + " nm");
        }
        const Sample& a = *(it - 1);
        const Sample& b = *it;
        if (b.x - a.x > kLargestGap + kSameWavelength) refuseGap(spectrum, a, b, lambda);
        const double ya = usable(a, lambda);
        const double yb = usable(b, lambda);
        const double y = ya + (yb - ya) * ((lambda - a.x) / (b.x - a.x));
        if (!std::isfinite(y)) {
            refuseAt(spectrum.file, b.line,
                     "the values of \"" + spectrum.name + "\" around " + nm(lambda) +
                         " nm are too large to interpolate");
        }
        values.push_back(y);
        interpolated = true;
    }
    return values;
}

double typicalStep(const OrderedSpectrum& spectrum) {
    std::vector<double> d;
    for (std::size_t i = 1; i < spectrum.samples.size(); ++i) {
        d.push_back(spectrum.samples[i].x - spectrum.samples[i - 1].x);
    }
    if (d.empty()) return 0.0;
    std::nth_element(d.begin(), d.begin() + static_cast<std::ptrdiff_t>(d.size() / 2), d.end());
    return std::round(d[d.size() / 2] * 1000.0) / 1000.0;
}

}  // namespace qf::instrument
