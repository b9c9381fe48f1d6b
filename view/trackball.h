// Quaternion virtual trackball with its small vector helpers, and the triangle
// centroid. Pure arithmetic on 32-bit floats: every intermediate that the
// rotation depends on is rounded to float where noted, so a drag gives the
// same rotation on every machine.
//
// Vectors and quaternions are float arrays of four elements: a 3-vector uses
// 0..2 and carries element 3 along in VectorCopy; a quaternion is (x, y, z, w).
// The 16-float rotation matrix is handed unchanged to glMultMatrixf.
#pragma once

#include "mapdata/scene_state.h"

namespace eld {

inline constexpr float TrackballRadius = 0.8f;

// q = rotation that carries the previous mouse position p1 to the current one
// p2, both in normalised window coordinates (-1..1, y up). Equal points give
// the identity without dividing.
void Trackball(float q[4], float p1x, float p1y, float p2x, float p2y);
// z of (x, y) on the trackball: on the sphere of radius r near the centre, on
// the hyperbola z = r^2 / (2 d) farther out.
float TrackballProjectToSphere(float r, float x, float y);
// a is normalised in place; q = rotation by phi radians about a.
void AxisToQuaternion(float a[4], float phi, float q[4]);
// dest = q1 composed onto q2 (q2 first, then q1), normalised. dest may be q2
// (or q1): all inputs are read before dest is written.
void AddQuaternions(const float q1[4], const float q2[4], float dest[4]);
void NormalizeQuaternion(float q[4]);
// m[4r + c] = entry (r, c) of the rotation of q.
void BuildRotationMatrix(float m[16], const float q[4]);
// Radians; exactly 1.0 gives pi/2 without dividing.
double ArcSin(float x);

void VectorZero(float v[4]);
void VectorSet(float v[4], float x, float y, float z);
void VectorSubtract(const float a[4], const float b[4], float dst[4]);
void VectorCopy(const float src[4], float dst[4]);  // all four elements
// dst = a x b through a zeroed temporary, so dst[3] becomes 0; dst may alias.
void VectorCross(const float a[4], const float b[4], float dst[4]);
double VectorLength(const float v[4]);
void VectorScale(float v[4], float s);
void VectorNormalize(float v[4]);
float VectorDot(const float a[4], const float b[4]);
void VectorAdd(const float a[4], const float b[4], float dst[4]);

// Mean of the three corners, each sum divided by the float 3.
XYZ TriangleCentroid(const XYZ& a, const XYZ& b, const XYZ& c);

}  // namespace eld
