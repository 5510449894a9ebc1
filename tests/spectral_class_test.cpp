// The spectral classes: one list, in order from blue to red, whose names
// are the summary report's and read back into the same class.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "classify/spectral_class.h"
#include "textio/program.h"

namespace qf {
namespace {

// A boundary value belongs to the class below it; the next 0.1 nm (the
// resolution of a peak) to the class above.
TEST(SpectralClass, EveryBoundaryBelongsToTheClassBelowIt) {
    const struct {
        double upper;
        SpectralClass below;
    } bounds[] = {{315.0, SpectralClass::A},   {321.0, SpectralClass::AorS},  {326.0, SpectralClass::S},
                  {330.0, SpectralClass::SorI}, {336.0, SpectralClass::I},    {340.0, SpectralClass::IorII},
                  {345.0, SpectralClass::II},  {347.0, SpectralClass::IIorIII}, {355.0, SpectralClass::III}};
    for (std::size_t k = 0; k < std::size(bounds); ++k) {
        EXPECT_EQ(classOfPeak(bounds[k].upper), bounds[k].below) << bounds[k].upper;
        EXPECT_EQ(classOfPeak(bounds[k].upper + 0.1), kSpectralClasses[k + 1]) << bounds[k].upper;
    }
    EXPECT_EQ(classOfPeak(290.0), SpectralClass::A);
    EXPECT_EQ(classOfPeak(420.0), SpectralClass::WrongComponent);
    EXPECT_EQ(spectralClass(355.1), "Wrong comp.");
    EXPECT_EQ(spectralClass(329.9), "S or I");
}

TEST(SpectralClass, NamesAreDistinctAndReadBackIntoTheirClass) {
    std::set<std::string> names;
    for (std::size_t k = 0; k < kSpectralClasses.size(); ++k) {
        const SpectralClass c = kSpectralClasses[k];
        EXPECT_EQ(static_cast<std::size_t>(c), k);
        names.insert(std::string(spectralClassName(c)));
        EXPECT_EQ(spectralClassNamed(spectralClassName(c)), c);
    }
    EXPECT_EQ(names.size(), kSpectralClasses.size());
    for (const char* other : {"", "IV", "Wrong comp", "s", "A or S "}) EXPECT_FALSE(spectralClassNamed(other)) << other;
}

TEST(Program, NamesReadBackIntoTheirProgram) {
    for (Program p : {Program::Quenfit, Program::Monofit}) EXPECT_EQ(programNamed(programName(p)), p);
    EXPECT_EQ(std::string(programName(Program::Monofit)), "monofit");
    EXPECT_FALSE(programNamed("auto"));
    EXPECT_FALSE(programNamed("Quenfit"));
}

}  // namespace
}  // namespace qf
