#pragma once
#include <cmath>

#include "data/Vector3.h"

// Upper triangle of the symmetric 4x4 error matrix of a plane
// a*x + b*y + c*z + d = 0: a2, ab, ac, ad, b2, bc, bd, c2, cd, d2.
struct Quadric {
    double a2 = 0, ab = 0, ac = 0, ad = 0, b2 = 0, bc = 0, bd = 0, c2 = 0, cd = 0, d2 = 0;
};

// Inline throughout: a decimation evaluates these millions of times.

// The quadric of the plane with unit normal (a, b, c) and offset d, times w.
inline Quadric PlaneQuadric(double a, double b, double c, double d, double w = 1.0)
{
    return {a * a * w, a * b * w, a * c * w, a * d * w, b * b * w,
            b * c * w, b * d * w, c * c * w, c * d * w, d * d * w};
}

// p^T Q p with p = (x, y, z, 1).
inline double EvaluateQuadric(const Quadric& q, const CVector3& p)
{
    const double x = p.x, y = p.y, z = p.z;
    return x * x * q.a2 + 2 * x * y * q.ab + 2 * x * z * q.ac + 2 * x * q.ad + y * y * q.b2 + 2 * y * z * q.bc +
           2 * y * q.bd + z * z * q.c2 + 2 * z * q.cd + q.d2;
}

// EvaluateQuadric at two points at once, each rounded exactly as alone.
inline void EvaluateQuadric2(const Quadric& q, const CVector3& p, const CVector3& r, double& ep, double& er)
{
    typedef double Pair __attribute__((vector_size(16)));
    const Pair x = {p.x, r.x}, y = {p.y, r.y}, z = {p.z, r.z};
    const Pair two = {2.0, 2.0};
    const Pair tx = two * x, ty = two * y, tz = two * z;
    const Pair e = x * x * q.a2 + tx * y * q.ab + tx * z * q.ac + tx * q.ad + y * y * q.b2 + ty * z * q.bc +
                   ty * q.bd + z * z * q.c2 + tz * q.cd + q.d2;
    ep = e[0];
    er = e[1];
}

inline void AddQuadric(Quadric& dst, const Quadric& src)
{
    dst.a2 += src.a2;
    dst.ab += src.ab;
    dst.ac += src.ac;
    dst.ad += src.ad;
    dst.b2 += src.b2;
    dst.bc += src.bc;
    dst.bd += src.bd;
    dst.c2 += src.c2;
    dst.cd += src.cd;
    dst.d2 += src.d2;
}

// 3x3 single-precision matrix, row-major m[0..8].
class CMatrix3 {
public:
    CMatrix3() = default;
    // The upper-left 3x3 block of the quadric.
    explicit CMatrix3(const Quadric& q)
        : m{float(q.a2), float(q.ab), float(q.ac), float(q.ab), float(q.b2),
            float(q.bc), float(q.ac), float(q.bc), float(q.c2)}
    {
    }

    void Clear()
    {
        for (float& v : m)
            v = 0.0f;
    }

    // Inverse from the cofactors; the determinant is returned in double. A
    // determinant of exactly 0 leaves `inverse` untouched.
    double Invert(CMatrix3& inverse) const
    {
        float c[9];
        c[0] = m[4] * m[8] - m[5] * m[7];
        c[1] = m[5] * m[6] - m[3] * m[8];
        c[2] = m[3] * m[7] - m[4] * m[6];
        c[3] = m[2] * m[7] - m[1] * m[8];
        c[4] = m[0] * m[8] - m[2] * m[6];
        c[5] = m[1] * m[6] - m[0] * m[7];
        c[6] = m[1] * m[5] - m[2] * m[4];
        c[7] = m[2] * m[3] - m[0] * m[5];
        c[8] = m[0] * m[4] - m[1] * m[3];
        const double det = double(m[0]) * c[0] + double(m[1]) * c[1] + double(m[2]) * c[2];
        if (det == 0.0)
            return det;
        const double s = 1.0 / det;
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 3; ++k)
                inverse.m[r * 3 + k] = float(c[k * 3 + r] * s);
        return det;
    }

    float m[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0};
};

// The point of least error of q; false (point untouched) when the system is
// singular, |det| < 1e-12. The arithmetic of CMatrix3 (Q) and Invert, each
// step rounded alike, with every cofactor of the symmetric block computed
// once: m3 = m1, m6 = m2, m7 = m5, so C3 = C1, C6 = C2 and C7 = C5.
inline bool SolveOptimalPoint(const Quadric& q, CVector3& point)
{
    const float a = float(q.a2), b = float(q.ab), c = float(q.ac);
    const float e = float(q.b2), f = float(q.bc), i = float(q.c2);
    const float c0 = e * i - f * f;
    const float c1 = f * c - b * i;
    const float c2 = b * f - e * c;
    const float c4 = a * i - c * c;
    const float c5 = b * c - a * f;
    const float c8 = a * e - b * b;
    const double det = double(a) * c0 + double(b) * c1 + double(c) * c2;
    // Also a determinant of exactly 0, for which no inverse is formed.
    if (std::fabs(det) < 1e-12)
        return false;
    const double s = 1.0 / det;
    const float i0 = float(c0 * s), i1 = float(c1 * s), i2 = float(c2 * s);
    const float i4 = float(c4 * s), i5 = float(c5 * s), i8 = float(c8 * s);
    const float px = float(i0 * q.ad + i1 * q.bd + i2 * q.cd);
    const float py = float(i1 * q.ad + i4 * q.bd + i5 * q.cd);
    const float pz = float(i2 * q.ad + i5 * q.bd + i8 * q.cd);
    point = {-px, -py, -pz};
    return true;
}
