#include "eldmap/load.h"

#include <unistd.h>

#include <cstdio>

#include "mapdata/atoms.h"
#include "mapdata/data_files.h"
#include "mapdata/presets.h"
#include "mapdata/read_map.h"
#include "surface/layer_properties.h"
#include "surface/marching_cubes.h"
#include "view/view_control.h"

namespace eld::eldmap {

MapDetails OpenMap(SceneState& s, const std::string& path, const std::string& model_path,
                   const ConvertOptions& o) {
    if (s.program.DataFolder.empty()) s.program.DataFolder = FindDataFolder();
    std::vector<std::string> warnings;
    const MapDetails d = OpenAnyMap(s, path, model_path, o, &warnings);
    for (const std::string& w : warnings) std::fprintf(stderr, "eldmap: warning: %s\n", w.c_str());
    s.map.MapFileName = path;
    return d;
}

void OpenMapWithLayerDefaults(SceneState& s, const std::string& path,
                              const std::string& model_path) {
    OpenMap(s, path, model_path);
    SetLayersProperites(s, s.map.MapGrid.DensityMin, LayerHighValue(s, path));
}

void LoadForView(SceneState& s, const std::string& path, const std::string& model_path) {
    OpenMapWithLayerDefaults(s, path, model_path);
    FindBonds(s);

    // Big maps take seconds: show where the extraction is, but only to a
    // person watching (not into logs or test output).
    ProgressFn progress;
    const bool tty = ::isatty(2);
    if (tty) {
        progress = [](int layer, int percent) {
            if (percent == kLayerDone) return;
            std::fprintf(stderr, "\reldmap: surface of layer %d: %3d%%", layer, percent);
            if (percent >= 100) std::fputc('\n', stderr);
        };
    }
    ExtractFields(s, progress);

    ResetViewFields(s);
    s.program.QuitRequested = kFalse;
    s.switches.ShowAtoms = kTrue;
    s.switches.PickingMode = PickMode::Surface3D;
    s.switches.ShowPickMarker = kFalse;
    s.switches.ShowCell = kFalse;
    s.peaks.PeakCount = 0;
    s.switches.SurfaceStyle = 1;
    LoadLayerLimitPresets(s);
    InvalidateScene(s);
}

}  // namespace eld::eldmap
