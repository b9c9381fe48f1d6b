// Marching-cubes iso-surfaces into the fixed triangle store.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "mapdata/scene_state.h"

namespace eld {

// Reads the case table. Throws EldError(Recoverable) naming the file when it is
// missing or short, EldError(FatalSilent) naming the file and the case when a
// record separator is not -99.
void ReadCellTable(CellTable& t, const std::string& path);  // CellTable: scene_state.h

// Percent (0..100) after each slab of axis 1; the viewer shows it in the
// progress window, eldmap on stderr.
using ProgressFn = std::function<void(int layer, int percent)>;

// Fills s.Triangles[L] from index 0 and sets s.TriangleCount[L]. Reads the case
// table from s.DataFolder on first use. Throws EldError(Fatal, "Sorry, to
// complicated scene, Number of reguired triangles > 1 200 000") when the layer
// needs more than 400 000 triangles.
// The case table lives in s.CellTables and is read once per run.
void GenerateLayerSurface(SceneState& s, float limit, int L, const ProgressFn& progress = {});

// The extraction half of the viewer's GenerateFields: the surface of every
// visible layer, then, when ShowContourMap is on, the contours of all three
// limits; clears SceneListValid.
void ExtractFields(SceneState& s, const ProgressFn& progress = {});

}  // namespace eld
