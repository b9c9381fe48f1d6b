// The drawing procedures recorded into display list 1: surface line grids,
// contour map with its section frame, unit cell, atoms with bonds, peaks and
// the pick marker. Each only issues GL commands from the scene state.
#pragma once

#include <string>

#include "mapdata/scene_state.h"

namespace eld {

// Line widths and colours of the decorations.
inline constexpr float kContourLineWidth = 3.0f;
inline constexpr float kSectionFrameWidth = 2.0f;
inline constexpr float kSectionFrameColour[3] = {0.7f, 0.7f, 0.7f};
inline constexpr float kCellLineWidth = 2.0f;
inline constexpr float kCellColour[3] = {0.5f, 0.5f, 0.5f};
inline constexpr float kBondColour[3] = {0.7f, 0.7f, 0.7f};
inline constexpr float kPeakColour[3] = {1.0f, 0.6f, 0.1f};
inline constexpr double kPeakRadius = 0.25;
inline constexpr int kSphereDetail = 8;
inline constexpr double kPickMarkerEdge = 0.3;

// Surface and bond lines are doubled in interlaced stereo, where every second
// row of a one-pixel line would be lost.
float SurfaceLineWidth(StereoMode DisplayMode);

// Each visible layer's triangles as three spokes from the centroid.
void SpiderGrid(const SceneState& s);
// Each visible layer's triangles as closed line loops.
void TriangleGrid(const SceneState& s);
// Contour segments of all three limits, then the grey frame of the section at
// the height of ContourLayer.
void ContourMap(const SceneState& s);
// The grey frame of the contour section alone.
void ContourSectionFrame(const SceneState& s);
// The twelve edges of the unit cell from CellCorners.
void DrawCell(const SceneState& s);
// Lit spheres by atom name, then the bonds unlit; lighting is off afterwards.
void DrawAtoms(const SceneState& s);
// Orange spheres of radius 0.25 at the new peaks.
void DrawPeaks(const SceneState& s);
// White cube of edge 0.3 at PickedPoint.
void DrawPickMarker(const SceneState& s);

}  // namespace eld
