// Vectors, 3x3 matrices and cell maths: the few formulas that the readers,
// the view, the scene drawing, picking and the writers share. No GL, no
// state.
//
// Two precisions on purpose: the program's own scene arithmetic runs in
// 32-bit floats and rounds where the formulas below say so, so a drag or a
// peak gives the same numbers on every machine; the import of other programs'
// maps works in double precision.
#pragma once

#include <array>
#include <string>

namespace eld {

// ---- 32-bit floats: the scene's own arithmetic ----

struct XYZ {
    float x = 0, y = 0, z = 0;
};

using Matrix3 = std::array<std::array<float, 3>, 3>;  // M[row][col], 0-based

// Vectors are float arrays of four elements: a 3-vector uses 0..2 and carries
// element 3 along in VectorCopy.
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

// The adjugate over the determinant, in floats; a singular matrix gives
// infinities or NaNs, as the division does.
Matrix3 InvertMatrix3(const Matrix3& a);
// Inverts the rotation part (elements 0,1,2,4,5,6,8,9,10) of m into n; the
// other seven elements of n are left as they were.
void InvertRotationPart(const float m[16], float n[16]);

// ---- double precision: cells of imported maps ----

using Vec3d = std::array<double, 3>;
using Mat3d = std::array<std::array<double, 3>, 3>;  // m[row][col]

Vec3d MatVec(const Mat3d& m, const Vec3d& v);
// The determinant: a cell matrix's volume, signed.
double Determinant3(const Mat3d& m);
// Throws EldError naming `what` when the matrix is singular.
Mat3d Inverse3(const Mat3d& m, const std::string& what);
// The orthogonalisation matrix of a cell: a along x, b in the xy plane.
// Lengths in Ångström, angles in degrees.
Mat3d OrthogonalisationMatrix(const double cell[6]);
// Lengths and angles (degrees) of the columns of a cell matrix.
void CellParametersOf(const Mat3d& cell, double out[6]);

}  // namespace eld
