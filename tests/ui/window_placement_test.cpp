// Where the control panel opens beside the main window, on screens of several
// sizes (work areas in pixels; the main window 564 x 519, the panel 450 x 470),
// and where the pick question's box goes: never over the marker, always on the
// screen.
#include "ui/window_placement.h"

#include <gtest/gtest.h>

#include "ui/fltk_dialogs.h"

namespace eld {
namespace {

bool Overlap(const ScreenRect& a, const ScreenRect& b) {
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

TEST(WindowPlacement, PanelBesideTheMainWindowWhereTheScreenAllows) {
    struct Case {
        const char* what;
        ScreenRect work, main;
        ScreenPoint want;
    };
    const int g = kWindowGap;
    const Case cases[] = {
        {"room on the right", {0, 0, 1280, 1024}, {100, 200, 564, 519}, {100 + 564 + g, 200}},
        {"main at the right edge", {0, 0, 1280, 1024}, {700, 50, 564, 519}, {700 - g - 450, 50}},
        {"second monitor", {1280, 0, 1920, 1080}, {1300, 100, 564, 519}, {1300 + 564 + g, 100}},
        {"small screen, more room right", {0, 0, 1024, 768}, {100, 60, 564, 519}, {1024 - 450, 60}},
        {"small screen, more room left", {0, 0, 1024, 768}, {400, 60, 564, 519}, {0, 60}},
        {"main low on the screen", {0, 0, 1280, 800}, {0, 600, 564, 519}, {564 + g, 800 - 470}},
        {"panel taller than the screen", {0, 0, 1280, 400}, {0, 100, 564, 300}, {564 + g, kTitleRoom}},
    };
    for (const Case& c : cases) {
        const ScreenPoint p = PanelBeside(c.work, c.main, 450, 470);
        EXPECT_EQ(p.x, c.want.x) << c.what;
        EXPECT_EQ(p.y, c.want.y) << c.what;
        const bool fits_beside = c.work.w >= c.main.w + g + 450;
        if (fits_beside && c.work.h >= 470)
            EXPECT_FALSE(Overlap({p.x, p.y, 450, 470}, c.main)) << c.what;
    }
}

TEST(WindowPlacement, MainWindowStartsSoThatThePanelFitsBesideIt) {
    for (ScreenRect work : {ScreenRect{0, 0, 1280, 1024}, ScreenRect{0, 0, 1920, 1080},
                            ScreenRect{1280, 24, 1600, 900}}) {
        const ScreenPoint m = MainWindowStart(work, 564, 519, 450);
        const ScreenPoint p = PanelBeside(work, {m.x, m.y, 564, 519}, 450, 470);
        EXPECT_EQ(p.x, m.x + 564 + kWindowGap) << work.x << " " << work.w;
        EXPECT_EQ(m.x - work.x, work.x + work.w - (p.x + 450)) << "the pair is centred";
        EXPECT_GE(m.y, work.y + kTitleRoom);
    }
    // Too narrow for the pair: the main window alone is centred, its title
    // bar kept on a low screen.
    const ScreenPoint m = MainWindowStart({0, 0, 800, 540}, 564, 519, 450);
    EXPECT_EQ(m.x, (800 - 564) / 2);
    EXPECT_EQ(m.y, kTitleRoom);
}

TEST(BoxPositionAwayFrom, LeavesThePointAndItsGapUncoveredAndStaysOnTheScreen) {
    struct Case {
        const char* what;
        ScreenPoint avoid;
        int sw, sh;
        ScreenPoint want;
    };
    const Case cases[] = {
        {"room above: centred over the point", {640, 500}, 1280, 1024, {435, 357}},
        {"near the top: below", {640, 100}, 1280, 1024, {435, 140}},
        {"left edge", {10, 500}, 1280, 1024, {0, 357}},
        {"right edge", {1275, 500}, 1280, 1024, {870, 357}},
        {"no room either way: on the screen", {200, 60}, 300, 120, {0, 17}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ScreenPoint p = BoxPositionAwayFrom(c.avoid, 410, 103, 40, 0, 0, c.sw, c.sh);
        EXPECT_EQ(p.x, c.want.x);
        EXPECT_EQ(p.y, c.want.y);
        const bool covers = c.avoid.x >= p.x && c.avoid.x < p.x + 410 && c.avoid.y + 40 > p.y &&
                            c.avoid.y - 40 < p.y + 103;
        if (c.sh > 200) EXPECT_FALSE(covers);
    }
}

}  // namespace
}  // namespace eld
