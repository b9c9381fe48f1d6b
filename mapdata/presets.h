// Layer-limit presets.
#pragma once

#include "mapdata/scene_state.h"

namespace eld {

// Reads DataFolder/layer_limit_presets.txt into LayerLimitPresets. Throws
// EldError (Recoverable, naming the file) when it is missing or short; the
// presets are then left empty.
void LoadLayerLimitPresets(SceneState& s);

}  // namespace eld
