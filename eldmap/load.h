// Opening a map for an eldmap command, the way the viewer does.
#pragma once

#include <cstdint>
#include <string>

#include "eldmap/cli.h"
#include "mapdata/open_map.h"
#include "mapdata/scene_state.h"

namespace eld::eldmap {

// What a command needs of the map beyond reading it.
enum class MapUse {
    Grid,          // ReadMapFile only (info)
    LayerDefaults  // then the layer defaults (SetLayersProperites with DensityMin and
                   // LayerHighValue)
};

// Every command opens its map here: any map the programs take (.mt1, .fou,
// .grd; CCP4/MRC, also .gz; Gaussian cube, converted as eldmap convert does
// with its defaults) with the model's atoms when in.model is given.
// DataFolder := FindDataFolder() when it is empty; MapFileName := path; then
// what `use` asks for. Warnings are printed as "eldmap: warning: ...". The
// surface stores grow as needed unless maxTriangles (> 0) limits them.
// Errors are thrown as EldError (the message names the file). Returns what
// info reports beyond the scene (cell, space group and its operations, mean
// and rms).
// Maps of other programs are converted with `convert` (peaks wants the
// whole cell).
MapDetails OpenMapForCommand(SceneState& s, const MapInput& in, MapUse use,
                             std::int64_t maxTriangles = 0, const ConvertOptions& convert = {});

// The viewer's map opening and view reset, without windows:
//  - OpenMapForCommand with the layer defaults, FindBonds, the region
//    (ApplyRegion) and the extraction of the visible layers' surfaces and of
//    the contours within it (ExtractFields);
//  - the view reset: aspect 1, no drag or spin, scale 1, no translation,
//    identity orientation, atoms on, cell off, no pick marker, no peaks,
//    picking "3D", SurfaceStyle 1, the layer-limit presets, SceneListValid 0.
// DisplayMode is left as it is. Extraction progress goes to stderr when it is
// a terminal.
void LoadForView(SceneState& s, const MapInput& in, std::int64_t maxTriangles,
                 const RegionOptions& region);

}  // namespace eld::eldmap
