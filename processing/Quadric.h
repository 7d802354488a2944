#pragma once
#include <cmath>
#include <cstddef>

#include "data/Vector3.h"

// The arithmetic under mesh decimation: the error quadric of a plane, its
// value at a point, the point where a sum of quadrics is least, and the
// choice of a pair's target. These scalar functions are the reference: the
// vector kernel of PairKeys.cpp promises their results bit for bit.

// Upper triangle of the symmetric 4x4 error matrix of a plane
// a*x + b*y + c*z + d = 0: a2, ab, ac, ad, b2, bc, bd, c2, cd, d2.
struct Quadric {
    double a2 = 0, ab = 0, ac = 0, ad = 0, b2 = 0, bc = 0, bd = 0, c2 = 0, cd = 0, d2 = 0;
};
// The pair-key kernel loads the entries four and two at a time.
static_assert(sizeof(Quadric) == 10 * sizeof(double));
static_assert(offsetof(Quadric, a2) == 0 && offsetof(Quadric, ad) == 3 * sizeof(double) &&
              offsetof(Quadric, b2) == 4 * sizeof(double) && offsetof(Quadric, c2) == 7 * sizeof(double) &&
              offsetof(Quadric, cd) == 8 * sizeof(double) && offsetof(Quadric, d2) == 9 * sizeof(double));

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

// The point of least error of q, and the determinant of its system; false
// (point untouched) when the system is singular, |det| < 1e-12.
inline bool SolveOptimalPoint(const Quadric& q, CVector3& point, double& det)
{
    CMatrix3 inverse;
    det = CMatrix3(q).Invert(inverse);
    // Also a determinant of exactly 0, for which no inverse is formed.
    if (std::fabs(det) < 1e-12)
        return false;
    const float* v = inverse.m;
    point = {-float(v[0] * q.ad + v[1] * q.bd + v[2] * q.cd), -float(v[3] * q.ad + v[4] * q.bd + v[5] * q.cd),
             -float(v[6] * q.ad + v[7] * q.bd + v[8] * q.cd)};
    return true;
}

inline bool SolveOptimalPoint(const Quadric& q, CVector3& point)
{
    double det;
    return SolveOptimalPoint(q, point, det);
}

// A point no farther from the edge (a, b)'s midpoint than the edge is long.
inline bool NearEdge(const CVector3& t, const CVector3& a, const CVector3& b)
{
    const CVector3 e = b - a;
    const CVector3 m = (a + b) * 0.5f - t;
    return Dot(m, m) <= Dot(e, e);
}

// A flat or straight neighbourhood: the determinant `det` of q's system is
// below a thousandth of that of the system with the same trace spread evenly
// over three orthogonal planes, (trace / 3)^3. Unlike the singular limit,
// this does not change with the size of the faces. A NaN counts as nearly
// singular.
inline bool NearlySingular(const Quadric& q, double det)
{
    const double third = (q.a2 + q.b2 + q.c2) / 3;
    return !(std::fabs(det) >= 1e-3 * third * third * third);
}

struct PairChoice {
    CVector3 target;
    double cost = 0;
};

// Where the contraction of the edge (p1, p2) with the summed quadric q puts
// the kept vertex, and the error there. The optimal point when the system is
// solved, unless the system is nearly singular and the point lies far from
// the edge; otherwise the better end, the second on equal errors. The
// singular limit alone does not scale with the mesh: a flat patch of large
// faces passes it on rounding, and its "optimal" point lies anywhere along
// the plane, hundreds of edge lengths away.
inline PairChoice ChoosePairTarget(const Quadric& q, const CVector3& p1, const CVector3& p2)
{
    CVector3 target;
    double det;
    if (SolveOptimalPoint(q, target, det) && (!NearlySingular(q, det) || NearEdge(target, p1, p2)))
        return {target, EvaluateQuadric(q, target)};
    const double c1 = EvaluateQuadric(q, p1), c2 = EvaluateQuadric(q, p2);
    return c1 < c2 ? PairChoice{p1, c1} : PairChoice{p2, c2};
}
