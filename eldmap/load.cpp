#include "eldmap/load.h"

#include <unistd.h>

#include <cstdio>

#include "eldmap/text.h"
#include "mapdata/atoms.h"
#include "mapdata/data_files.h"
#include "mapdata/presets.h"
#include "mapdata/read_map.h"
#include "surface/layer_properties.h"
#include "surface/marching_cubes.h"
#include "view/view_control.h"

namespace eld::eldmap {

MapDetails OpenMapForCommand(SceneState& s, const MapInput& in, MapUse use,
                             std::int64_t maxTriangles, const ConvertOptions& convert) {
    if (s.program.DataFolder.empty()) s.program.DataFolder = FindDataFolder();
    s.surfaces.TriangleCapacity = maxTriangles;
    std::vector<std::string> warnings;
    const MapDetails d = OpenAnyMap(s, in.path, in.model, convert, &warnings);
    for (const std::string& w : warnings)
        std::fprintf(stderr, "eldmap: warning: %s\n", Printable(w).c_str());
    s.map.MapFileName = in.path;
    if (use == MapUse::LayerDefaults)
        SetLayersProperites(s, s.map.MapGrid.DensityMin, LayerHighValue(s, in.path));
    return d;
}

void LoadForView(SceneState& s, const MapInput& in, std::int64_t maxTriangles,
                 const RegionOptions& region) {
    OpenMapForCommand(s, in, MapUse::LayerDefaults, maxTriangles);
    FindBonds(s);
    ApplyRegion(s, region);

    // Big maps take seconds: show where the extraction is, but only to a
    // person watching (not into logs or test output).
    ProgressFn progress;
    if (::isatty(2)) {
        progress = [](int layer, int percent) {
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
