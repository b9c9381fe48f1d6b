// The program's selectors as enums. Inside the program they are compared as
// values; their texts appear only where the program meets the user: the About
// window shows the display mode, eldmap reads an axis name.
#pragma once

#include <optional>
#include <string_view>

namespace eld {

// How a frame is drawn. Nothing until the map-opening flow sets a mode; a
// frame in Nothing draws nothing and has no pixel format.
enum class StereoMode { Nothing, NoStereo, StereoHW, StereoInterlaced };

// Which picker a right click runs: in the contour section or on a surface.
enum class PickMode { Section2D, Surface3D };

// The projections Kamera sets; the picking eye multiplies onto a pick region.
enum class Eye { CentralEye, LeftEye, RightEye, CentralEyePicking };

// Axis views.
enum class Axis { X, Y, Z };

constexpr const char* Text(StereoMode m) {
    switch (m) {
        case StereoMode::NoStereo:
            return "NoStereo";
        case StereoMode::StereoHW:
            return "StereoHW";
        case StereoMode::StereoInterlaced:
            return "StereoInterlaced";
        case StereoMode::Nothing:
            break;
    }
    return "Nothing";
}

constexpr const char* Text(Axis a) {
    return a == Axis::X ? "X" : a == Axis::Y ? "Y" : "Z";
}

// "X", "Y" or "Z", exact and case-sensitive; anything else is no axis.
constexpr std::optional<Axis> AxisFromText(std::string_view t) {
    if (t == "X") return Axis::X;
    if (t == "Y") return Axis::Y;
    if (t == "Z") return Axis::Z;
    return std::nullopt;
}

}  // namespace eld
