// Where the pick question's box goes: never over the marker, always on the
// screen.
#include <gtest/gtest.h>

#include "ui/fltk_dialogs.h"

namespace eld {
namespace {

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
