// Layer defaults for a freshly loaded map.
#pragma once

#include "mapdata/scene_state.h"

namespace eld {

// Limits at 0.1, 0.3 and 0.5 of [low, high], all layers on, SurfaceStyle 1,
// ContourLayer 1, ShowContourMap on, the default colours.
void SetLayersProperites(SceneState& s, float low, float high);

// The high value the map opening passes: DensityMax for .mt1/.fou, and
// DensityMin + DensityMax / 500 for .grd maps.
float LayerHighValue(const SceneState& s, const std::string& path);

}  // namespace eld
