#include "ui/window_placement.h"

#include <algorithm>

namespace eld {

ScreenPoint PanelBeside(const ScreenRect& work, const ScreenRect& main_window, int panel_w,
                        int panel_h) {
    const int work_right = work.x + work.w;
    const int right = main_window.x + main_window.w + kWindowGap;
    const int left = main_window.x - kWindowGap - panel_w;
    ScreenPoint p;
    if (right + panel_w <= work_right) {
        p.x = right;
    } else if (left >= work.x) {
        p.x = left;
    } else {
        const int room_right = work_right - (main_window.x + main_window.w);
        const int room_left = main_window.x - work.x;
        p.x = room_right >= room_left ? work_right - panel_w : work.x;
    }
    p.x = std::max(p.x, work.x);
    // std::clamp needs low <= high; a panel taller than the screen keeps its top on it.
    p.y = std::max(std::min(main_window.y, work.y + work.h - panel_h), work.y + kTitleRoom);
    return p;
}

ScreenPoint MainWindowStart(const ScreenRect& work, int main_w, int main_h, int panel_w) {
    const int pair = main_w + kWindowGap + panel_w;
    const int width = pair <= work.w ? pair : main_w;
    ScreenPoint p;
    p.x = work.x + std::max(0, (work.w - width) / 2);
    p.y = work.y + std::max(kTitleRoom, (work.h - main_h) / 2);
    return p;
}

}  // namespace eld
