// What the main window's input does to the view fields of the scene state:
// axis views, the spin step, the drag arithmetic and the pan keys. The window
// code only forwards events and repaints where these functions say so.
#pragma once

#include "mapdata/scene_state.h"

namespace eld {

// The view part of the view reset: aspect factors 1, drag and spin flags off,
// scale 1, zero translation, SpinQuaternion zero and ViewQuaternion the
// identity (made by the trackball from a zero-length drag). DragLastX/Y keep
// their values. The caller repaints.
void ResetViewFields(SceneState& s);

// Looks along the axis (a half turn about (0,1,1), (1,0,1) or (1,1,0)). Stops
// drags and spinning and clears the translation; the scale stays. The caller
// repaints.
void SetView(SceneState& s, Axis Direction);

// One step of continuous rotation: SpinQuaternion composed onto
// ViewQuaternion. The caller repaints.
void SpinStep(SceneState& s);

// Mouse position (pixels, y down) to the trackball's normalised coordinate.
float NormalisedTrackballX(int x, int W);
float NormalisedTrackballY(int y, int H);

// Left button down at (X, Y): stops spinning, starts a rotate drag, or a zoom
// drag when Shift is the only modifier.
void BeginDrag(SceneState& s, float X, float Y, bool shiftOnly);
// Left button up: the drag ends, spinning (if any) goes on.
void EndDrag(SceneState& s);
// Mouse move in a W x H window. A zoom drag scales by (DragLastY - Y) / H + 1
// (unclamped: a full-height step down gives 0) and returns true, meaning
// "repaint now". A rotate drag sets SpinQuaternion from the trackball and
// SpinActive, and returns false: the spin step applies it and repaints.
// Without a drag nothing changes. W and H of 0 are taken as 1.
bool DragMove(SceneState& s, float X, float Y, int W, int H);

// Pan keys: ViewTranslation moves 0.3 model units, whatever the scale, along
// a row of the inverse N of the rotation matrix M of ViewQuaternion
// (elements 1, 5, 9 for Up/Down; 0, 4, 8 for Right/Left; 2, 6, 10 for a/s).
// Under axis views (half turns) that is straight along the screen's axes.
enum class PanKey {
    Up,     // Up arrow: screen y down
    Down,   // Down arrow
    Right,  // Right arrow: screen x left
    Left,   // Left arrow
    Near,   // "a": towards the viewer
    Far,    // "s": away from the viewer
};
inline constexpr double kPanStep = 0.3;
// Stops spinning and moves ViewTranslation. The caller repaints.
void PanView(SceneState& s, PanKey key);
// "c": zero translation and scale 1; the orientation stays.
void CentreView(SceneState& s);

// The zoom of a Shift+drag moved up by `up` pixels in a window H pixels high:
// ViewScale times (up / H + 1). H of 0 is taken as 1.
void ZoomByDrag(SceneState& s, double up, int H);
// Mouse wheel: each notch (negative dy away from the user) zooms as a
// Shift+drag over a tenth of the window height, up enlarging, down shrinking.
inline constexpr double kWheelNotchHeight = 0.1;
void WheelZoom(SceneState& s, int dy, int H);
// Half the span of the smaller window side in the zero-parallax plane (z = 0
// in view space), in model units: the frame's projections show +-6 there.
inline constexpr double kHalfViewSpan = 6.0;
// Middle-button drag by (dx, dy) pixels (y down) in a W x H window: the scene
// moves with the pointer, a point in the zero-parallax plane by exactly that
// many pixels whatever the orientation (the smaller window side spans 12
// units there). The scale and the spinning stay.
void PanByPixels(SceneState& s, float dx, float dy, int W, int H);

// The scene point the view turns about. The model-view matrix draws p at
// R (T + s p), so the point at the eye's origin is -T / s (-T at scale 0).
XYZ CentreOfView(const SceneView& v);
// Pans so that p becomes the centre of view (T := -s p); orientation and
// scale stay, spinning stops.
void CentreViewOn(SceneState& s, const float p[3]);

// With a map radius the stores hold the map about RegionCentre; the viewer
// extracts about the centre of view. RegionLagsView: a pan, a zoom about a
// panned view or a centring has moved the centre of view away from it (never
// with MapRadius 0).
void CentreRegionOnView(SceneState& s);
bool RegionLagsView(const SceneState& s);

}  // namespace eld
