#pragma once
#include "data/Vector3.h"

// Upper triangle of the symmetric 4x4 error matrix of a plane
// a*x + b*y + c*z + d = 0: a2, ab, ac, ad, b2, bc, bd, c2, cd, d2.
struct Quadric {
    double a2 = 0, ab = 0, ac = 0, ad = 0, b2 = 0, bc = 0, bd = 0, c2 = 0, cd = 0, d2 = 0;
};

// The quadric of the plane with unit normal (a, b, c) and offset d, times w.
Quadric PlaneQuadric(double a, double b, double c, double d, double w = 1.0);
// p^T Q p with p = (x, y, z, 1).
double EvaluateQuadric(const Quadric& q, const CVector3& p);
void AddQuadric(Quadric& dst, const Quadric& src);

// 3x3 single-precision matrix, row-major m[0..8].
class CMatrix3 {
public:
    CMatrix3() = default;
    // The upper-left 3x3 block of the quadric.
    explicit CMatrix3(const Quadric& q);

    void Clear();
    // Inverse from the cofactors; the determinant is returned in double. A
    // determinant of exactly 0 leaves `inverse` untouched.
    double Invert(CMatrix3& inverse) const;

    float m[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0};
};

// The point of least error of q; false (point untouched) when the system is
// singular, |det| < 1e-12.
bool SolveOptimalPoint(const Quadric& q, CVector3& point);
