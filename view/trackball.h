// Quaternion virtual trackball. Pure arithmetic on 32-bit floats: every
// intermediate that the rotation depends on is rounded to float where noted,
// so a drag gives the same rotation on every machine.
//
// Quaternions are float arrays (x, y, z, w); the vector helpers it uses are in
// mapdata/geometry.h. The 16-float rotation matrix is handed unchanged to
// glMultMatrixf.
#pragma once

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

}  // namespace eld
