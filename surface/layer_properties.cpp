#include "surface/layer_properties.h"

#include "mapdata/read_map.h"

namespace eld {

void SetLayersProperites(SceneState& s, float low, float high) {
    static const float kSurface[3][3] = {
        {0.1f, 0.7f, 0.1f}, {0.1f, 0.1f, 0.7f}, {0.7f, 0.1f, 0.1f}};
    static const float kContour[3][3] = {
        {0.2f, 0.9f, 0.2f}, {0.4f, 0.4f, 1.0f}, {1.0f, 0.3f, 0.3f}};
    s.switches.SurfaceStyle = 1;
    const float range = high - low;  // held as a 32-bit float
    for (int l = 1; l <= 3; ++l) s.layers.LayerVisible[l] = kTrue;
    s.surfaces.ContourLayer = 1;
    s.switches.ShowContourMap = kTrue;
    s.layers.LayerLimit[1] = static_cast<float>(double(low) + double(range) * 0.1);
    s.layers.LayerLimit[2] = static_cast<float>(double(low) + double(range) * 0.3);
    s.layers.LayerLimit[3] = static_cast<float>(double(low) + double(range) * 0.5);
    for (int l = 1; l <= 3; ++l)
        for (int c = 0; c < 3; ++c) {
            s.layers.SurfaceColour[l][c] = kSurface[l - 1][c];
            s.layers.ContourColour[l][c] = kContour[l - 1][c];
        }
}

float LayerHighValue(const SceneState& s, const std::string& path) {
    if (MapFormatName(path) == "grd")
        return s.map.MapGrid.DensityMin + s.map.MapGrid.DensityMax / 500.0f;
    return s.map.MapGrid.DensityMax;
}

}  // namespace eld
