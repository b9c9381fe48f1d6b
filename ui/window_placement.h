// Where the windows open: the control panel beside the main window rather
// than over its picture. Plain arithmetic on screen rectangles (pixels, y
// down), no toolkit, so any screen size can be tried in tests.
#pragma once

#include "mapdata/dialogs.h"  // ScreenPoint

namespace eld {

struct ScreenRect {
    int x = 0, y = 0, w = 0, h = 0;
};

// Room left between the client areas of two windows for their frames.
inline constexpr int kWindowGap = 16;
// Room above a client area for its title bar.
inline constexpr int kTitleRoom = 32;

// The panel's top-left corner: right of the main window when the work area
// has room there, else left of it, else against the screen edge on the roomier
// side (overlapping as little as the screen allows). Its top is level with the
// main window's, moved down or up to stay on the work area.
ScreenPoint PanelBeside(const ScreenRect& work, const ScreenRect& main_window, int panel_w,
                        int panel_h);

// Where the main window opens (before it is first shown): with the panel
// beside it, the pair centred on the work area when it fits, else the main
// window alone centred; never above the work area's top plus a title bar.
ScreenPoint MainWindowStart(const ScreenRect& work, int main_w, int main_h, int panel_w);

}  // namespace eld
