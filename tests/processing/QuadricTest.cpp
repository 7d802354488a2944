#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "processing/Quadric.h"

TEST(Quadric, PlaneQuadricGivesSquaredDistance)
{
    // Plane through (0, 0, 2) with unit normal (0, 0.6, 0.8): d = -1.6.
    const Quadric q = PlaneQuadric(0.0, 0.6, 0.8, -1.6);
    struct Row {
        CVector3 p;
        double distance;
    } rows[] = {
        {{0, 0, 2}, 0.0}, {{5, 0, 2}, 0.0}, {{0, 0.6f, 2.8f}, 1.0}, {{1, -1.2f, 0.4f}, -2.0}, {{0, 0, 0}, -1.6},
    };
    for (const Row& r : rows)
        EXPECT_NEAR(EvaluateQuadric(q, r.p), r.distance * r.distance, 1e-6) << r.p.x << "," << r.p.y << "," << r.p.z;

    Quadric sum = q;
    AddQuadric(sum, PlaneQuadric(1, 0, 0, -1, 3.0)); // x = 1 weighted 3
    EXPECT_NEAR(EvaluateQuadric(sum, {3, 0, 2}), 3.0 * 4.0, 1e-6);
}

TEST(Quadric, InvertFromCofactors)
{
    CMatrix3 a;
    const float m[9] = {2, -1, 0, -1, 2, -1, 0, -1, 2};
    std::copy(m, m + 9, a.m);
    CMatrix3 inv;
    EXPECT_DOUBLE_EQ(a.Invert(inv), 4.0);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            float s = 0;
            for (int k = 0; k < 3; ++k)
                s += a.m[r * 3 + k] * inv.m[k * 3 + c];
            EXPECT_NEAR(s, r == c ? 1.0f : 0.0f, 1e-6f);
        }

    // An exactly singular matrix leaves the output as it was.
    CMatrix3 singular;
    CMatrix3 out;
    out.m[4] = 7.0f;
    EXPECT_EQ(singular.Invert(out), 0.0);
    EXPECT_EQ(out.m[4], 7.0f);
    out.Clear();
    EXPECT_EQ(out.m[4], 0.0f);
}

TEST(Quadric, OptimalPointAndSingularLimit)
{
    // Three orthogonal planes through (1, 2, 3) meet there.
    Quadric q = PlaneQuadric(1, 0, 0, -1);
    AddQuadric(q, PlaneQuadric(0, 1, 0, -2));
    AddQuadric(q, PlaneQuadric(0, 0, 1, -3));
    CVector3 p;
    ASSERT_TRUE(SolveOptimalPoint(q, p));
    EXPECT_NEAR(p.x, 1.0f, 1e-6f);
    EXPECT_NEAR(p.y, 2.0f, 1e-6f);
    EXPECT_NEAR(p.z, 3.0f, 1e-6f);

    // One plane, or two, leave a line or a plane of optima: singular.
    const CVector3 untouched{9, 9, 9};
    p = untouched;
    EXPECT_FALSE(SolveOptimalPoint(PlaneQuadric(0, 0, 1, -3), p));
    Quadric two = PlaneQuadric(1, 0, 0, -1);
    AddQuadric(two, PlaneQuadric(0, 1, 0, -2));
    EXPECT_FALSE(SolveOptimalPoint(two, p));
    EXPECT_EQ(p, untouched);

    // The determinant is the a2 entry as a float times 1 * 1.
    const float at = std::nextafter(float(1e-12), 1.0f);
    const float below = std::nextafter(float(1e-12), 0.0f);
    ASSERT_GE(double(at), 1e-12);
    struct Row {
        float a2;
        bool solved;
    } rows[] = {{1e-13f, false}, {below, false}, {at, true}, {1e-6f, true}, {1.0f, true}};
    for (const Row& r : rows) {
        Quadric d;
        d.a2 = r.a2;
        d.b2 = 1.0;
        d.c2 = 1.0;
        d.cd = -4.0;
        p = untouched;
        EXPECT_EQ(SolveOptimalPoint(d, p), r.solved) << r.a2;
        if (r.solved)
            EXPECT_NEAR(p.z, 4.0f, 1e-5f);
        else
            EXPECT_EQ(p, untouched);
    }
}

TEST(Quadric, OptimalPointMinimisesTheError)
{
    // Random sums of planes, well and badly conditioned, at several scales:
    // the verdict follows the determinant of CMatrix3's inverse, and a solved
    // point of a well-conditioned sum is where the error is least, below its
    // value a small step away along any axis.
    std::uint32_t seed = 7;
    auto next = [&] {
        seed = seed * 1664525u + 1013904223u;
        return double(seed >> 8) / double(1u << 24) - 0.5;
    };
    int checked = 0;
    for (int n = 0; n < 2000; ++n) {
        Quadric q;
        const int planes = 1 + n % 4;
        const double scale = n % 3 == 0 ? 1e-4 : (n % 3 == 1 ? 1.0 : 300.0);
        const bool flat = n % 5 == 0;
        for (int k = 0; k < planes; ++k) {
            CVector3 normal{float(next()), float(next()), float(next() * (flat ? 1e-3 : 1.0))};
            normal.Normalize();
            AddQuadric(q, PlaneQuadric(normal.x, normal.y, normal.z, next() * scale, 1.0 + next()));
        }
        CMatrix3 inverse;
        const double det = CMatrix3(q).Invert(inverse);
        CVector3 p{9, 9, 9};
        double solvedDet = 0;
        ASSERT_EQ(SolveOptimalPoint(q, p, solvedDet), !(std::fabs(det) < 1e-12)) << n;
        EXPECT_EQ(solvedDet, det) << n;
        if (std::fabs(det) < 1e-12) {
            EXPECT_EQ(p, (CVector3{9, 9, 9})) << n;
            continue;
        }
        if (flat || planes < 3 || std::fabs(det) < 1e-2)
            continue;
        ++checked;
        const double least = EvaluateQuadric(q, p);
        const float step = 1e-2f * float(std::max(1.0, scale));
        for (const CVector3 d : {CVector3{step, 0, 0}, CVector3{0, step, 0}, CVector3{0, 0, step}}) {
            EXPECT_LT(least, EvaluateQuadric(q, p + d)) << n;
            EXPECT_LT(least, EvaluateQuadric(q, p - d)) << n;
        }
    }
    EXPECT_GT(checked, 300);
}
