#include "figures/plot_style.h"

#include <array>
#include <cmath>
#include <stdexcept>

namespace qf::figures {

namespace {

// Colour-blind safe hues, ordered so that the first three (the components of
// a three-component fit) print as black, middle grey and light grey. Ten
// styles: one for each spectral class.
const std::array<Style, 10> kPalette = {{
    {"#000000", "", Marker::Circle, true, 1.5, 3.5},
    {"#0072b2", "7 4", Marker::Square, false, 1.5, 3.5},
    {"#e69f00", "2 3", Marker::TriangleUp, true, 1.8, 4.0},
    {"#009e73", "10 3 2 3", Marker::Diamond, false, 1.5, 4.0},
    {"#d55e00", "4 2", Marker::TriangleDown, false, 1.5, 4.0},
    {"#cc79a7", "1 2", Marker::Cross, true, 1.8, 3.5},
    {"#56b4e9", "12 4 4 4", Marker::Plus, true, 1.5, 4.0},
    {"#555555", "6 2 1 2 1 2", Marker::Square, true, 1.5, 3.0},
    {"#882255", "3 3 9 3", Marker::Circle, false, 1.5, 3.5},
    {"#117733", "14 2", Marker::TriangleUp, false, 1.5, 4.0},
}};

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

const Style& paletteStyle(std::size_t index) { return kPalette[index % kPalette.size()]; }

std::size_t paletteSize() { return kPalette.size(); }

double greyLevel(const std::string& colour) {
    if (colour.size() != 7 || colour[0] != '#') throw std::invalid_argument("not a #rrggbb colour: " + colour);
    int channel[3];
    for (int i = 0; i < 3; ++i) {
        const int high = hexDigit(colour[1 + 2 * i]);
        const int low = hexDigit(colour[2 + 2 * i]);
        if (high < 0 || low < 0) throw std::invalid_argument("not a #rrggbb colour: " + colour);
        channel[i] = high * 16 + low;
    }
    return (0.299 * channel[0] + 0.587 * channel[1] + 0.114 * channel[2]) / 255.0;
}

std::string greyColour(double level) {
    if (!(level >= 0)) level = 0;
    if (level > 1) level = 1;
    const int v = static_cast<int>(std::lround(level * 255));
    const char* digits = "0123456789abcdef";
    std::string text = "#";
    for (int i = 0; i < 3; ++i) {
        text += digits[v / 16];
        text += digits[v % 16];
    }
    return text;
}

}  // namespace qf::figures
