// Right-click picking with OpenGL selection mode (GL only, no toolkit).
//
// Both pickers draw named candidate primitives through a 1 x 1 pixel pick
// region around the mouse, under the same central-eye projection and
// model-view matrix as the picture, and read back the names that were hit.
//
// Calling convention for the main window:
//  - make the main window's rendering context current first; the viewport is
//    read from GL (it is the one the resize handler set), so X and Y must be in
//    the same pixels as that viewport;
//  - X, Y: mouse position in window pixels, Y counted downward from the top;
//  - on return the depth and stencil tests are OFF: the next frame enables what
//    it needs, so just repaint;
//  - when a picker returns true, SceneState::peaks.PickedPoint holds the point (scene
//    coordinates); show the marker and offer the point to the peak list.
//
// Selection names are 32-bit (quad k = 1..10201, triangle t = 1..surfaces.TriangleCount),
// so layers of any size up to the triangle store's capacity can be picked.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "mapdata/dialogs.h"
#include "mapdata/peak_search.h"
#include "mapdata/scene_state.h"

namespace eld {

// Size of the selection buffer handed to GL (in 32-bit words). With one name on
// the name stack each hit record is 4 words: count, zmin, zmax, name.
inline constexpr int kSelectBufferSize = 30000;
// Subdivisions of the section rectangle per axis (the loops make up to 101).
inline constexpr int kSectionSubdivisions = 100;

// The rectangle and height that the contour map's section occupies in the
// scene: x over axis 1, y over axis 2, z at ContourLayer along axis 3.
struct SectionRectangle {
    float x_low = 0, x_high = 0, y_low = 0, y_high = 0, z = 0;
};
SectionRectangle SectionPickRectangle(const SceneState& s);

// Result of one selection pass: the hit count (negative on buffer overflow) and
// the names of the hit records in the order GL wrote them.
struct SelectionHits {
    int count = 0;
    std::vector<std::uint32_t> names;
};

// 2D picking in the plane of the section. Draws the 100 x 100 (up to 101 x 101)
// candidate quads of the rectangle at height z; the point is the centre of the
// quad of the first hit record, at height z. Found when one to four quads are
// hit (a click on a shared corner hits up to four). Writes s.peaks.PickedPoint (the
// first hit's quad centre, or (0, 0, z) with no hit) and returns found.
// A rectangle of zero width or height finds nothing.
bool PickOnSection(SceneState& s, float X, float Y, float x_low, float x_high, float y_low,
                   float y_high, float z);

// 3D picking inside the iso-surface of the one visible layer. When the number of
// visible layers is not exactly 1, shows "Exactly 1 layer must be used for 3D
// ELD map picking  !!" through `dialogs` and returns false without touching GL.
// Otherwise runs the selection pass over that layer's triangles (depth test
// off; triangles that cannot reach the pick region are not sent, which changes
// no hit); found only when exactly two triangles are hit (the line of sight
// enters and leaves one closed blob): s.peaks.PickedPoint = midpoint of the two
// triangles' centroids. Nothing but PickedPoint changes.
bool PickOnSurface(SceneState& s, Dialogs& dialogs, float X, float Y);

// What a right click found.
struct PickResult {
    bool found = false;
    // The point is the density's maximum, found after the selection rule hit
    // nothing usable.
    bool fromDensity = false;
    // When nothing was found and no message box said why: the reason, for the
    // status output.
    std::string nothing;
    explicit operator bool() const { return found; }
};

// The main window's choice by PickingMode: Section2D picks on
// SectionPickRectangle(s), Surface3D on the surface. A point the selection rule
// finds stands. When it finds none, the pointer's line of sight is searched in
// the density instead (the triangles of a fine grid are a few pixels wide, so a
// one-pixel region often crosses three or more of them):
//  - 3D: the first stretch of the ray inside the picking layer's surface
//    (values above its limit), nearest the viewer, and the refined local
//    maximum there;
//  - 2D: where the ray meets the section, the region inside the innermost
//    contour around the pointer (the highest of the three limits below the
//    value there) and its refined highest point.
// The refusal with not exactly one visible layer (3D) stays as it is.
PickResult PickByMode(SceneState& s, Dialogs& dialogs, float X, float Y);

// The line of sight under window pixel (X, Y) (Y downward, the pickers'
// convention) for the central eye under the current view: from the near
// clipping plane towards the far one, in scene coordinates. Needs the context
// whose viewport the pickers read.
struct PickRay {
    Vec3 origin{};
    Vec3 direction{};  // near to far, not normalised
};
PickRay PickRayAt(const SceneState& s, float X, float Y);
// Where scene point p appears in window pixels (Y downward) for the same eye.
std::array<float, 2> SceneToWindow(const SceneState& s, const float p[3]);

// Inner steps, public for tests.
// One selection pass at mouse (X, Y) under the picking projection and the view;
// `draw` issues the named candidates. Depth and stencil tests end up off.
SelectionHits SelectionPass(const SceneState& s, float X, float Y,
                            const std::function<void()>& draw);
// The layer that 3D picking uses: the highest-numbered visible layer, or 0 when
// the number of visible layers is not exactly 1.
int PickingLayer(const SceneState& s);
// Draws the candidate quads, loading name k for quad k, and returns the quad
// centres: centres[k] = (x, y) for k = 1..; centres[0] = (0, 0).
std::vector<std::array<float, 2>> DrawSectionQuads(float x_low, float x_high, float y_low,
                                                   float y_high, float z);
// Loads name t (1-based) before triangle t of the layer and draws all of them.
void DrawSurfaceTriangles(const SceneState& s, int layer);
SelectionHits SelectSectionQuad(const SceneState& s, float X, float Y, const SectionRectangle& r,
                                std::vector<std::array<float, 2>>& centres);
SelectionHits SelectSurfaceTriangles(const SceneState& s, float X, float Y, int layer);

}  // namespace eld
