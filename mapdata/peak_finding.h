// Edit > Find Peaks: the density peaks above the lowest layer shown go into
// the peak list, to be reviewed, cleared or saved like picked ones.
#pragma once

#include <string>

#include "mapdata/scene_state.h"

namespace eld {

struct FoundPeaksReport {
    int layer = 0;      // the visible layer with the lowest limit; 0: none visible
    double level = 0;   // its limit
    int added = 0;      // new rows of PeakList
    int already = 0;    // peaks found that the list held already (within a grid step)
    bool full = false;  // the list reached its capacity before the search ran out
};

// Searches the refined local maxima above the lowest visible layer's limit,
// highest first, and appends those not yet in the list until it holds
// kMaxPeaks. Nothing changes when no layer is visible.
FoundPeaksReport AddFoundPeaks(SceneState& s);

// What the command tells the user, e.g. "Find Peaks: 3 peaks above 2.016
// (layer 1, 4.1 σ) added to the peak list, now 3 in all".
std::string FoundPeaksText(const SceneState& s, const FoundPeaksReport& r);

}  // namespace eld
