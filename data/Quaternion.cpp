#include "data/Quaternion.h"

#include <cmath>

namespace {
int g_addQuatsCount = 0;
}

void AddQuats(Quaternion& q, const Quaternion& r)
{
    Quaternion t;
    t.x = q.w * r.x + r.w * q.x + (q.y * r.z - q.z * r.y);
    t.y = q.w * r.y + r.w * q.y + (q.z * r.x - q.x * r.z);
    t.z = q.w * r.z + r.w * q.z + (q.x * r.y - q.y * r.x);
    t.w = q.w * r.w - (q.x * r.x + q.y * r.y + q.z * r.z);
    q = t;

    if (++g_addQuatsCount > 97) {
        g_addQuatsCount = 0;
        float sum = q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w;
        // A zero or overflowed sum would leave NaN in the orientation for good.
        if (sum != 0.0f && std::isfinite(sum)) {
            float inv = 1.0f / sum;
            q.x *= inv;
            q.y *= inv;
            q.z *= inv;
            q.w *= inv;
        }
    }
}

void QuatToMatrix(const Quaternion& q, float m[16])
{
    const float x = q.x, y = q.y, z = q.z, w = q.w;
    m[0] = 1.0f - 2.0f * (y * y + z * z);
    m[1] = 2.0f * (x * y - w * z);
    m[2] = 2.0f * (x * z + w * y);
    m[3] = 0.0f;
    m[4] = 2.0f * (x * y + w * z);
    m[5] = 1.0f - 2.0f * (x * x + z * z);
    m[6] = 2.0f * (y * z - w * x);
    m[7] = 0.0f;
    m[8] = 2.0f * (x * z - w * y);
    m[9] = 2.0f * (y * z + w * x);
    m[10] = 1.0f - 2.0f * (x * x + y * y);
    m[11] = m[12] = m[13] = m[14] = 0.0f;
    m[15] = 1.0f;
}

Quaternion AxisAngleToQuat(const CVector3& axis, float angle)
{
    float s = std::sin(-angle / 2.0f);
    return {s * axis.x, s * axis.y, s * axis.z, std::cos(-angle / 2.0f)};
}

void AxisAngleToMatrix(const CVector3& axis, float angle, float m[16])
{
    CVector3 a = axis;
    if (std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z) != 1.0f)
        a.Normalize();
    QuatToMatrix(AxisAngleToQuat(a, angle), m);
}

void TransformPoint(const float m[16], CVector3& p)
{
    const float x = p.x, y = p.y, z = p.z;
    p.x = m[0] * x + m[1] * y + m[2] * z + m[3];
    p.y = m[4] * x + m[5] * y + m[6] * z + m[7];
    p.z = m[8] * x + m[9] * y + m[10] * z + m[11];
}
