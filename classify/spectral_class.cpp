#include "classify/spectral_class.h"

#include <array>

namespace qf {

namespace {

struct ClassBound {
    double upper;  // inclusive upper bound of the class (nm)
    std::string_view text;
};

constexpr std::array<ClassBound, 9> kClasses{{
    {315.0, "A"},
    {321.0, "A or S"},
    {326.0, "S"},
    {330.0, "S or I"},
    {336.0, "I"},
    {340.0, "I or II"},
    {345.0, "II"},
    {347.0, "II or III"},
    {355.0, "III"},
}};

}  // namespace

std::string_view spectralClass(double peakNm) {
    for (const ClassBound& c : kClasses) {
        if (peakNm <= c.upper) return c.text;
    }
    return "Wrong comp.";
}

}  // namespace qf
