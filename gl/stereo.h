// Off-axis stereo projection and the interlaced-stereo stencil line mask.
#pragma once

#include <vector>

namespace eld {

// The numbers StereoFrustum hands to glFrustum and glTranslatef, held as
// 32-bit floats like the arithmetic that produces them.
struct StereoFrustumValues {
    float left = 0, right = 0, bottom = 0, top = 0;
    float clipNear = 0, clipFar = 0;
    float translateX = 0, translateY = 0, translateZ = 0;
};

// xmin..xmax, ymin..ymax: the rectangle shown in the zero-parallax plane;
// znear, zfar: scene z of the clipping planes; zzps: z of the zero-parallax
// plane; dist: distance of the eyes from it (must not be 0); eye: horizontal
// eye offset (negative left, positive right, 0 central).
StereoFrustumValues ComputeStereoFrustum(float xmin, float xmax, float ymin, float ymax,
                                         float znear, float zfar, float zzps, float dist,
                                         float eye);

// Selects the projection matrix, loads the identity, then multiplies the
// eye's frustum and translation onto it.
void StereoFrustum(float xmin, float xmax, float ymin, float ymax, float znear, float zfar,
                   float zzps, float dist, float eye);
// The same frustum and translation multiplied onto whatever matrix is current,
// selecting and resetting nothing (picking has put its pick region there).
void StereoFrustumMultiply(float xmin, float xmax, float ymin, float ymax, float znear, float zfar,
                           float zzps, float dist, float eye);

// Rebuilds the stencil line mask for a W x H window: stencil 1 on the even
// pixel rows counted from the bottom (the right eye's rows), 0 on the odd
// ones; floor(H/2) + 1 one-pixel lines are drawn. Leaves the viewport at the
// whole window, the stencil test on, the depth test off, the stencil function
// at always/1/1 and a 2D orthographic projection.
void BuildInterlaceStencil(int W, int H);
// The rows at which BuildInterlaceStencil draws its lines: 0, 2, ... up to H
// (the last one lies outside the window when H is even).
std::vector<int> InterlaceLineRows(int H);

}  // namespace eld
