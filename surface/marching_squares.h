// Marching-squares contour lines of one grid section.
#pragma once

#include "mapdata/scene_state.h"

namespace eld {

// Replaces s.surfaces.ContourSegments[L] (from index 0) for section
// s.surfaces.ContourLayer, with the squares of ExtractionRegion(s).
// Stops appending at 100 000 segments; returns false when it had to stop.
bool GenerateContour(SceneState& s, float limit, int L);

}  // namespace eld
