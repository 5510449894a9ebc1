#pragma once
// How a data series looks: colour, dash pattern, marker. The palette is made
// to survive grey print: neighbouring styles differ in lightness, and every
// style has its own dash pattern and its own marker, so lines stay apart
// where colours turn into the same grey.

#include <cstddef>
#include <string>

namespace qf::figures {

enum class Marker { None, Circle, Square, TriangleUp, TriangleDown, Diamond, Cross, Plus };

struct Style {
    std::string colour = "#000000";  // "#rrggbb"
    std::string dash;                // SVG stroke-dasharray; empty = solid
    Marker marker = Marker::Circle;
    bool filled = true;              // open markers are filled with white
    double lineWidth = 1.5;
    double markerSize = 3.5;         // half the marker's width
};

// Style `index` of the palette; indices past its end wrap around.
const Style& paletteStyle(std::size_t index);
std::size_t paletteSize();

// The grey a printer makes of "#rrggbb": 0 black .. 1 white (luma weights
// 0.299, 0.587, 0.114 of the sRGB values). Throws std::invalid_argument on
// any other text.
double greyLevel(const std::string& colour);

// "#rrggbb" for a grey level 0..1.
std::string greyColour(double level);

}  // namespace qf::figures
