// Opening a map the way the viewer does, for eldmap's commands that show or
// export a view (render, pov).
#pragma once

#include <string>

#include "mapdata/open_map.h"
#include "mapdata/scene_state.h"

namespace eld::eldmap {

// Every subcommand opens its map here: any map the programs take (.mt1, .fou,
// .grd; CCP4/MRC, also .gz; Gaussian cube, converted as eldmap convert does
// with its defaults, or with `o`) with an optional structure model (model_path
// "" for none). DataFolder := FindDataFolder() when it is empty; MapFileName := path.
// Warnings are printed as "eldmap: warning: ...". Returns what info reports
// beyond the scene (cell, space group and its operations, mean and rms).
MapDetails OpenMap(SceneState& s, const std::string& path, const std::string& model_path,
                   const ConvertOptions& o = {});

// The first half of the viewer's map opening: OpenMap, then the layer
// defaults (SetLayersProperites with DensityMin and LayerHighValue).
void OpenMapWithLayerDefaults(SceneState& s, const std::string& path,
                              const std::string& model_path);

// The viewer's map opening and view reset, without windows:
//  - OpenMap (with the model, if any), then SetLayersProperites with DensityMin and LayerHighValue,
//    FindBonds, and the extraction of the visible layers' surfaces and of the
//    contours (ExtractFields);
//  - the view reset: aspect 1, no drag or spin, scale 1, no translation,
//    identity orientation, atoms on, cell off, no pick marker, no peaks,
//    picking "3D", SurfaceStyle 1, the layer-limit presets, SceneListValid 0.
// DisplayMode is left as it is. Extraction progress goes to stderr when it is
// a terminal. Errors are thrown as EldError (the message names the file).
void LoadForView(SceneState& s, const std::string& path, const std::string& model_path);

}  // namespace eld::eldmap
