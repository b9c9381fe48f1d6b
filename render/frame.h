// One frame of the main window: per-eye projection, model-view set-up, the
// scene through display list 1, and the resize handling. Plain GL on the
// current context; the window code makes the context current, calls these and
// swaps the buffers itself.
#pragma once

#include <functional>

#include "mapdata/scene_state.h"

namespace eld {

// The display list that holds the whole scene except the view transform.
inline constexpr unsigned int kSceneList = 1;

// Projection for the central, left or right eye (replacing the projection
// matrix) or the picking eye (multiplied onto the current matrix, after a pick
// region). The zero-parallax plane shows x in +-6 AspectX and y in +-6 AspectY.
void Kamera(const SceneState& s, Eye eye);

// Window resized to w x h pixels (0 counts as 1 for both): aspect factors,
// the interlaced stencil mask in StereoInterlaced, viewport. Does not paint.
void ResizeFrame(SceneState& s, int w, int h);

// Model-view := R(ViewQuaternion) T(ViewTranslation) S(ViewScale); GL_NORMALIZE
// is on exactly when ViewScale is not 1.0.
void recalcModelView(const SceneState& s);

// What display list 1 holds, drawn directly: lighting on; pick marker, peaks,
// atoms; lighting off; surface grid by SurfaceStyle; contour map; cell. Also
// usable for selection-mode picking and exports.
void DrawSceneContent(const SceneState& s);

// What a frame records into display list 1; another drawer only in tests that
// compare two ways of drawing the same scene.
using SceneContentFn = void (*)(const SceneState&);

// Draws the scene. When SceneListValid is 0 the list is recompiled in
// GL_COMPILE_AND_EXECUTE (drawing while recording) and SceneListValid becomes
// 1; otherwise the list is only called.
void objekt(SceneState& s, SceneContentFn content = DrawSceneContent);

// Told the GL error pending when a frame starts, before anything is drawn.
using GlErrorReport = std::function<void(unsigned int error)>;

// One frame for every eye of s.program.DisplayMode (NoStereo: one, the stereo
// modes: two; Nothing draws nothing). A GL error pending when the frame starts
// goes to `report` (the viewer shows GlErrorWarning) before the frame is drawn,
// and is also returned (0 when none); drawing goes on regardless. w x h is the
// drawable's size: if the viewport differs (a resize that did not go through
// ResizeFrame), ResizeFrame runs first. Flushes but does not swap.
unsigned int PaintFrame(SceneState& s, int w, int h, SceneContentFn content = DrawSceneContent,
                        const GlErrorReport& report = {});

}  // namespace eld
