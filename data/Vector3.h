#pragma once
#include <cmath>

// Three floats for points, normals, directions, bounds corners and colours.
struct CVector3 {
    float x = 0.0f, y = 0.0f, z = 0.0f;

    CVector3() = default;
    constexpr CVector3(float ax, float ay, float az) : x(ax), y(ay), z(az) {}

    // Unit length; a zero vector stays zero. Inline: mesh loops call it per
    // vertex.
    void Normalize()
    {
        const float len = Length();
        if (len == 0.0f) {
            x = y = z = 0.0f;
            return;
        }
        const float inv = 1.0f / len;
        x *= inv;
        y *= inv;
        z *= inv;
    }
    float Length() const { return std::sqrt(x * x + y * y + z * z); }

    CVector3 operator+(const CVector3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    CVector3 operator-(const CVector3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    CVector3 operator*(float s) const { return {x * s, y * s, z * s}; }
    CVector3& operator+=(const CVector3& o)
    {
        x += o.x;
        y += o.y;
        z += o.z;
        return *this;
    }
    bool operator==(const CVector3& o) const = default;
};

inline float Dot(const CVector3& a, const CVector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline CVector3 Cross(const CVector3& a, const CVector3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
