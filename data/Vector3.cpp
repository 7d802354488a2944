#include "data/Vector3.h"

#include <cmath>

float CVector3::Length() const { return std::sqrt(x * x + y * y + z * z); }

void CVector3::Normalize()
{
    float len = Length();
    if (len == 0.0f) {
        x = y = z = 0.0f;
        return;
    }
    float inv = 1.0f / len;
    x *= inv;
    y *= inv;
    z *= inv;
}
