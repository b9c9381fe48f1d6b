// The GL window mode chosen for each display mode from what the display offers.
#include <FL/Enumerations.H>
#include <gtest/gtest.h>

#include "app/app.h"

namespace eld {
namespace {

TEST(GlWindowMode, ClosestFormatAndNoErrorWhenStencilOrStereoIsMissing) {
    const PixelFormatRequest interlaced = *PixelFormatFor(StereoMode::StereoInterlaced);
    const PixelFormatRequest hardware = *PixelFormatFor(StereoMode::StereoHW);
    const int base = FL_RGB | FL_DOUBLE | FL_DEPTH;
    auto any = [](int) { return true; };
    auto without = [](int bits) { return [bits](int m) { return (m & bits) == 0; }; };
    EXPECT_EQ(GlWindowMode(interlaced, any), base | FL_STENCIL);
    EXPECT_EQ(GlWindowMode(hardware, any), base | FL_STEREO);
    EXPECT_EQ(GlWindowMode(interlaced, without(FL_STENCIL)), base);
    EXPECT_EQ(GlWindowMode(hardware, without(FL_STEREO)), base);
    EXPECT_EQ(GlWindowMode(interlaced, without(FL_DEPTH)), int(FL_RGB));
    EXPECT_EQ(GlWindowMode(interlaced, [](int) { return false; }), 0);
}

}  // namespace
}  // namespace eld
