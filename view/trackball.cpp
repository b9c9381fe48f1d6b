#include "view/trackball.h"

#include <cmath>

#include "mapdata/geometry.h"

namespace eld {

double ArcSin(float x) {
    if (x == 1.0f) return 3.14159265358979 / 2;
    const double xd = x;
    return std::atan(xd / std::sqrt(1.0 - xd * xd));
}

float TrackballProjectToSphere(float r, float x, float y) {
    const float d = static_cast<float>(std::sqrt(static_cast<double>(x * x + y * y)));
    const float inner = static_cast<float>(r * 0.707106781186548);
    if (d < inner) return static_cast<float>(std::sqrt(static_cast<double>(r * r - d * d)));
    // Beyond r/sqrt(2) the sphere gives way to the hyperbola z = t^2 / d, which
    // meets it smoothly and never runs out for points off the ball.
    const float t = static_cast<float>(r / 1.4142135623731);
    return t * t / d;
}

void AxisToQuaternion(float a[4], float phi, float q[4]) {
    VectorNormalize(a);
    VectorCopy(a, q);
    VectorScale(q, static_cast<float>(std::sin(phi / 2.0)));
    q[3] = static_cast<float>(std::cos(phi / 2.0));
}

void NormalizeQuaternion(float q[4]) {
    const float m = static_cast<float>(
        std::sqrt(static_cast<double>(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3])));
    for (int i = 0; i < 4; ++i) q[i] = q[i] / m;
}

void AddQuaternions(const float q1[4], const float q2[4], float dest[4]) {
    float t1[4] = {0, 0, 0, 0}, t2[4] = {0, 0, 0, 0}, t3[4] = {0, 0, 0, 0};
    float tf[4] = {0, 0, 0, 0};
    VectorCopy(q1, t1);
    VectorScale(t1, q2[3]);
    VectorCopy(q2, t2);
    VectorScale(t2, q1[3]);
    VectorCross(q2, q1, t3);
    VectorAdd(t1, t2, tf);
    VectorAdd(t3, tf, tf);
    tf[3] = q1[3] * q2[3] - VectorDot(q1, q2);
    for (int i = 0; i < 4; ++i) dest[i] = tf[i];
    // Renormalised on every call so that spinning for hours does not let the
    // rounding errors grow into a scaling of the scene.
    NormalizeQuaternion(dest);
}

void BuildRotationMatrix(float m[16], const float q[4]) {
    m[0] = 1.0f - 2.0f * (q[1] * q[1] + q[2] * q[2]);
    m[1] = 2.0f * (q[0] * q[1] - q[2] * q[3]);
    m[2] = 2.0f * (q[2] * q[0] + q[1] * q[3]);
    m[3] = 0.0f;
    m[4] = 2.0f * (q[0] * q[1] + q[2] * q[3]);
    m[5] = 1.0f - 2.0f * (q[2] * q[2] + q[0] * q[0]);
    m[6] = 2.0f * (q[1] * q[2] - q[0] * q[3]);
    m[7] = 0.0f;
    m[8] = 2.0f * (q[2] * q[0] - q[1] * q[3]);
    m[9] = 2.0f * (q[1] * q[2] + q[0] * q[3]);
    m[10] = 1.0f - 2.0f * (q[1] * q[1] + q[0] * q[0]);
    m[11] = m[12] = m[13] = m[14] = 0.0f;
    m[15] = 1.0f;
}

void Trackball(float q[4], float p1x, float p1y, float p2x, float p2y) {
    if (p1x == p2x && p1y == p2y) {
        VectorZero(q);
        q[3] = 1.0f;
        return;
    }
    float p1[4] = {0, 0, 0, 0}, p2[4] = {0, 0, 0, 0}, a[4] = {0, 0, 0, 0}, d[4] = {0, 0, 0, 0};
    VectorSet(p1, p1x, p1y, TrackballProjectToSphere(TrackballRadius, p1x, p1y));
    VectorSet(p2, p2x, p2y, TrackballProjectToSphere(TrackballRadius, p2x, p2y));
    VectorCross(p2, p1, a);
    VectorSubtract(p1, p2, d);
    // 1.6 is twice the radius, taken as the exact decimal constant.
    float t = static_cast<float>(VectorLength(d) / 1.6);
    if (t > 1.0f) t = 1.0f;
    if (t < -1.0f) t = -1.0f;
    const float phi = static_cast<float>(2.0 * ArcSin(t));
    AxisToQuaternion(a, phi, q);
}

}  // namespace eld
