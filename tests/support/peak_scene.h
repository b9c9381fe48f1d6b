// A scene with the unit cell as its cell matrix, and peaks appended to its
// list: the fractional coordinates of a peak are then its scene position.
#pragma once

#include "mapdata/scene_state.h"

namespace eld {

inline SceneState IdentityCell() {
    SceneState s;
    s.map.CellMatrix = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    return s;
}

inline void AddPeak(SceneState& s, float x, float y, float z) {
    s.peaks.PeakList[s.peaks.PeakCount][0] = x;
    s.peaks.PeakList[s.peaks.PeakCount][1] = y;
    s.peaks.PeakList[s.peaks.PeakCount][2] = z;
    ++s.peaks.PeakCount;
}

}  // namespace eld
