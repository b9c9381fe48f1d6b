// Layer-limit presets and the 3x3 inverses.
#pragma once

#include "mapdata/scene_state.h"

namespace eld {

// Reads DataFolder/layer_limit_presets.txt into LayerLimitPresets. Throws
// EldError (Recoverable, naming the file) when it is missing or short; the
// presets are then left empty.
void LoadLayerLimitPresets(SceneState& s);

Matrix3 InvertMatrix3(const Matrix3& a);
// Inverts the rotation part (elements 0,1,2,4,5,6,8,9,10) of m into n; the
// other seven elements of n are left as they were.
void InvertRotationPart(const float m[16], float n[16]);

}  // namespace eld
