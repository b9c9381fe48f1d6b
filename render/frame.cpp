#include "render/frame.h"

#include <GL/gl.h>

#include "gl/stereo.h"
#include "render/scene.h"
#include "view/trackball.h"
#include "view/view_control.h"

namespace eld {

namespace {

// The viewing volume every eye shares: zero-parallax plane at z = 0 seen from
// 22.5 units, scene z in -15..15 between the clipping planes.
constexpr float kHalfView = static_cast<float>(kHalfViewSpan);
constexpr float kNearZ = 15.0f;
constexpr float kFarZ = -15.0f;
constexpr float kZeroParallaxZ = 0.0f;
constexpr float kEyeDistance = 22.5f;
constexpr float kEyeOffset = 0.31f;

void DrawEye(SceneState& s, Eye eye, SceneContentFn content) {
    Kamera(s, eye);
    glMatrixMode(GL_MODELVIEW);
    recalcModelView(s);
    objekt(s, content);
}

}  // namespace

void Kamera(const SceneState& s, Eye eye) {
    const float xmax = kHalfView * s.view.AspectX, ymax = kHalfView * s.view.AspectY;
    switch (eye) {
        case Eye::CentralEye:
            StereoFrustum(-xmax, xmax, -ymax, ymax, kNearZ, kFarZ, kZeroParallaxZ, kEyeDistance,
                          0.0f);
            break;
        case Eye::LeftEye:
            StereoFrustum(-xmax, xmax, -ymax, ymax, kNearZ, kFarZ, kZeroParallaxZ, kEyeDistance,
                          -kEyeOffset);
            break;
        case Eye::RightEye:
            StereoFrustum(-xmax, xmax, -ymax, ymax, kNearZ, kFarZ, kZeroParallaxZ, kEyeDistance,
                          kEyeOffset);
            break;
        case Eye::CentralEyePicking:
            StereoFrustumMultiply(-xmax, xmax, -ymax, ymax, kNearZ, kFarZ, kZeroParallaxZ,
                                  kEyeDistance, 0.0f);
            break;
    }
}

void ResizeFrame(SceneState& s, int w, int h) {
    if (w == 0 || h == 0) w = h = 1;  // a minimised window
    s.view.AspectX = 1.0f;
    s.view.AspectY = 1.0f;
    if (s.program.DisplayMode == StereoMode::StereoInterlaced) BuildInterlaceStencil(w, h);
    glViewport(0, 0, w, h);
    // The smaller dimension always spans 12 units; the larger shows more.
    const double r = static_cast<double>(h) / w;
    if (r > 1) s.view.AspectY = static_cast<float>(r);
    if (r < 1) s.view.AspectX = static_cast<float>(static_cast<double>(w) / h);
}

void recalcModelView(const SceneState& s) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    float m[16];
    BuildRotationMatrix(m, s.view.ViewQuaternion);
    glMultMatrixf(m);
    // Scaling shortens the normals of lit spheres; renormalise only then.
    if (s.view.ViewScale == 1.0f) {
        glDisable(GL_NORMALIZE);
    } else {
        glEnable(GL_NORMALIZE);
    }
    glTranslatef(s.view.ViewTranslation[0], s.view.ViewTranslation[1], s.view.ViewTranslation[2]);
    glScalef(s.view.ViewScale, s.view.ViewScale, s.view.ViewScale);
}

void DrawSceneContent(const SceneState& s) {
    glEnable(GL_LIGHTING);
    if (On(s.switches.ShowPickMarker)) DrawPickMarker(s);
    if (s.peaks.PeakCount > 0) DrawPeaks(s);
    if (On(s.switches.ShowAtoms)) DrawAtoms(s);
    glDisable(GL_LIGHTING);
    if (s.switches.SurfaceStyle == 1) {
        SpiderGrid(s);
    } else if (s.switches.SurfaceStyle == 2) {
        TriangleGrid(s);
    }
    if (On(s.switches.ShowContourMap)) ContourMap(s);
    if (On(s.switches.ShowCell)) DrawCell(s);
}

void objekt(SceneState& s, SceneContentFn content) {
    if (s.SceneListValid == 1) {
        glCallList(kSceneList);
        return;
    }
    // Recorded once per change of scene content; every later frame and eye
    // only replays it under its own matrices.
    glNewList(kSceneList, GL_COMPILE_AND_EXECUTE);
    content(s);
    glEndList();
    s.SceneListValid = 1;
}

unsigned int PaintFrame(SceneState& s, int w, int h, SceneContentFn content,
                        const GlErrorReport& report) {
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR && report) report(error);
    if (w <= 0 || h <= 0) w = h = 1;
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (viewport[0] != 0 || viewport[1] != 0 || viewport[2] != w || viewport[3] != h) {
        ResizeFrame(s, w, h);
    }
    glClearColor(s.view.ClearColour[0], s.view.ClearColour[1], s.view.ClearColour[2],
                 s.view.ClearColour[3]);
    glEnable(GL_DEPTH_TEST);
    if (s.program.DisplayMode == StereoMode::NoStereo) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        DrawEye(s, Eye::CentralEye, content);
        glFlush();
    } else if (s.program.DisplayMode == StereoMode::StereoHW) {
        glDrawBuffer(GL_BACK_LEFT);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        DrawEye(s, Eye::LeftEye, content);
        glDrawBuffer(GL_BACK_RIGHT);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        DrawEye(s, Eye::RightEye, content);
        glFlush();
    } else if (s.program.DisplayMode == StereoMode::StereoInterlaced) {
        glEnable(GL_STENCIL_TEST);
        // The stencil keeps the line mask made at the last resize.
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glStencilFunc(GL_NOTEQUAL, 1, 1);
        DrawEye(s, Eye::LeftEye, content);
        // One depth buffer for both eyes: their rows never overlap.
        glStencilFunc(GL_EQUAL, 1, 1);
        DrawEye(s, Eye::RightEye, content);
        glFlush();
    }
    return error;
}

}  // namespace eld
