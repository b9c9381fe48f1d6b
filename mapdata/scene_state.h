// The program-wide scene state: one plain struct, owned by the application
// (or by eldmap, or by a test) and passed by reference to the free functions of
// every module. Nothing here knows about GL or FLTK.
//
// Index conventions, kept the same everywhere:
//  - layers are numbered 1..3; per-layer arrays have 4 slots and slot 0 is unused;
//  - axes are numbered 1..3 in names (N1, GridStep(2)) but stored 0-based in
//    the small arrays (GridPoints[0] is N1);
//  - grid points are numbered from 1 (DensityGrid::at(1,1,1) is the first value,
//    index-0 planes exist and hold 0);
//  - atoms, bonds, triangles, segments and peaks are 0-based in memory; files
//    and eldmap output count them from 1.
//  - switches are int16 booleans: 0 is false, -1 is true (kTrue), and a toggle
//    sets false only when the value is exactly kTrue.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "mapdata/geometry.h"
#include "mapdata/modes.h"

namespace eld {

using Switch = std::int16_t;
inline constexpr Switch kTrue = -1;
inline constexpr Switch kFalse = 0;
inline bool On(Switch s) {
    return s != 0;
}

// Fixed capacities of the stores.
inline constexpr int kMaxGridPoints = 32766;  // per axis (16-bit loop counters)
inline constexpr int kMaxAtoms = 32766;
inline constexpr int kMaxTrianglesPerLayer = 400000;
inline constexpr int kMaxSegmentsPerLimit = 100000;
inline constexpr int kMaxBonds = 100000;
inline constexpr int kMaxPeaks = 200;
inline constexpr int kLayers = 3;

struct SurfaceTriangle {
    XYZ v[3];  // vertex 1, 2, 3
};
static_assert(sizeof(SurfaceTriangle) == 36);

struct ContourSegment {
    XYZ end[2];  // first end, second end
};

// MapGrid: eleven floats in the file formats' sense; counts are whole numbers
// held as floats.
struct MapGridRecord {
    float GridPoints[3] = {0, 0, 0};  // N1, N2, N3
    float GridOrigin[3] = {0, 0, 0};
    float GridStep[3] = {0, 0, 0};
    float DensityMin = 0;
    float DensityMax = 0;
    // Mean and rms deviation from the mean of the N1*N2*N3 stored values (the
    // zero index-0 planes left out), computed in double when the map is read.
    double DensityMean = 0;
    double DensityRms = 0;

    int N(int axis) const { return static_cast<int>(GridPoints[axis - 1]); }  // axis 1..3
};

// DensityGrid(0..N1, 0..N2, 0..N3); the third index runs fastest in memory, so
// the innermost extraction loop (axis 3) walks contiguous floats.
struct DensityGridArray {
    int n1 = 0, n2 = 0, n3 = 0;
    std::vector<float> values;  // (n1+1)*(n2+1)*(n3+1), all zero after Create

    void Create(int N1, int N2, int N3) {
        n1 = N1;
        n2 = N2;
        n3 = N3;
        values.assign(static_cast<std::size_t>(N1 + 1) * (N2 + 1) * (N3 + 1), 0.0f);
    }
    std::size_t Index(int i1, int i2, int i3) const {
        return (static_cast<std::size_t>(i1) * (n2 + 1) + i2) * (n3 + 1) + i3;
    }
    float& at(int i1, int i2, int i3) { return values[Index(i1, i2, i3)]; }
    float at(int i1, int i2, int i3) const { return values[Index(i1, i2, i3)]; }
};

// One preset of layer limits: three limits and the description shown as tooltip.
struct LayerLimitPreset {
    double Limit[3] = {0, 0, 0};
    std::string Description;
};

// Marching-cubes case tables, read from cell_table.dat once per run.
struct CellTable {
    std::int16_t TriangleTable[256][31] = {};  // [case][0] = triangle count, then edges 1..12
    std::int16_t CutEdgeTable[256][13] = {};   // [case][0] = cut-edge count, then edges
    bool CellTableLoaded = false;
};

struct Bond {
    std::int16_t a = 0, b = 0;  // 0-based atom indices, a < b
};

// The scene state in named groups. Field names are the program's own; the
// group only says which part of the program fills them.

// What the open map holds: grid, cell placement, atoms and bonds (readers and
// the bond search fill it; nothing else writes it).
struct SceneMap {
    std::string MapFileName;
    MapGridRecord MapGrid;
    DensityGridArray DensityGrid;
    Matrix3 CellMatrix{};
    float CellShift[3] = {0, 0, 0};
    float CellParameters[6] = {0, 0, 0, 0, 0, 0};
    XYZ CellCorners[8];

    int AtomCount = 0;
    std::vector<std::string> AtomNames;  // 4 characters each
    // AtomData[n][0..2] = scene position, [12] = type number; 13 columns.
    std::vector<std::array<float, 13>> AtomData;
    // The model's own atom names ("C14", "CA") of a map opened with a model or
    // converted from another program; empty when the map has none.
    std::vector<std::string> AtomLabels;
    std::vector<Bond> BondList;  // BondCount == BondList.size()
    int BondCount = 0;
};

// The three layers (index 1..3) and the presets the control panel offers.
struct SceneLayers {
    LayerLimitPreset LayerLimitPresets[3];
    float LayerLimit[4] = {0, 0, 0, 0};
    Switch LayerVisible[4] = {0, 0, 0, 0};
    float SurfaceColour[4][3] = {};
    float ContourColour[4][3] = {};
};

// What extraction makes from the map and the layers.
struct SceneSurfaces {
    // Marching-cubes triangles per layer (1..3): each store holds
    // kMaxTrianglesPerLayer triangles once allocated; entries above
    // TriangleCount are stale.
    std::vector<SurfaceTriangle> Triangles[4];
    int TriangleCount[4] = {0, 0, 0, 0};
    // 400 000 in the viewer. Batch work sets 0, and the stores grow with the
    // triangles found, or a limit that is not preallocated.
    std::int64_t TriangleCapacity = kMaxTrianglesPerLayer;
    CellTable CellTables;

    // Marching-squares segments per limit (1..3) in section ContourLayer.
    std::vector<ContourSegment> ContourSegments[4];
    int ContourSegmentCount[4] = {0, 0, 0, 0};
    std::int16_t ContourLayer = 1;

    // The centre of view when the stores were last filled: with a map radius
    // they hold only the cubes and squares near it.
    float RegionCentre[3] = {0, 0, 0};
};

// The main window's view: orientation, translation, zoom, drags, spin and the
// background colour.
struct SceneView {
    float ViewQuaternion[4] = {0, 0, 0, 1};
    float SpinQuaternion[4] = {0, 0, 0, 0};
    float ViewTranslation[3] = {0, 0, 0};
    float ViewScale = 1.0f;
    float AspectX = 1.0f, AspectY = 1.0f;
    Switch RotateDragActive = kFalse;
    Switch ZoomDragActive = kFalse;
    std::int16_t DragLastX = 0, DragLastY = 0;
    Switch SpinActive = kFalse;
    float ClearColour[4] = {0, 0, 0, 0};  // View > Background Color
};

// What is drawn and how a right click picks.
struct SceneSwitches {
    Switch ShowContourMap = kTrue;
    Switch ShowAtoms = kTrue;
    Switch ShowCell = kFalse;
    Switch ShowPickMarker = kFalse;
    std::int16_t SurfaceStyle = 1;  // 1 = SpiderGrid, 2 = TriangleGrid
    PickMode PickingMode = PickMode::Surface3D;
    // Map radius in scene units (A): above 0 only the cubes and squares whose
    // centre lies within it of the centre of view are extracted; 0 is the
    // whole map.
    float MapRadius = 0;
};

// Peaks picked in this run and the pick marker's position.
struct ScenePeaks {
    int PeakCount = 0;
    float PeakList[kMaxPeaks][3] = {};
    float PickedPoint[3] = {0, 0, 0};
};

// The run itself: display mode, data folder, quit flag.
struct SceneProgram {
    StereoMode DisplayMode = StereoMode::Nothing;
    std::string DataFolder;  // folder holding cell_table.dat, atompar2.txt, ...
    Switch QuitRequested = kFalse;
};

struct SceneState {
    SceneProgram program;
    SceneMap map;
    SceneLayers layers;
    SceneSurfaces surfaces;
    SceneView view;
    SceneSwitches switches;
    ScenePeaks peaks;
    // 1 while display list 1 holds the current scene; cleared only through
    // InvalidateScene, set only by the frame that recompiles the list.
    std::uint8_t SceneListValid = 0;
};

// Every change of scene content (map, layers, surfaces, switches, peaks, pick
// marker) ends here, so the next frame recompiles display list 1.
inline void InvalidateScene(SceneState& s) {
    s.SceneListValid = 0;
}

}  // namespace eld
