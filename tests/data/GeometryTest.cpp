#include <cmath>

#include <gtest/gtest.h>

#include "data/Colour.h"
#include "data/Quaternion.h"

namespace {
void ExpectMatrix(const float* m, std::initializer_list<float> want)
{
    int i = 0;
    for (float w : want) {
        EXPECT_NEAR(m[i], w, 1e-6f) << "element " << i;
        ++i;
    }
}
const std::initializer_list<float> kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
} // namespace

TEST(CVector3, DefaultIsZeroAndNormalizeKeepsZero)
{
    CVector3 v;
    EXPECT_EQ(v, CVector3(0, 0, 0));
    v.Normalize();
    EXPECT_EQ(v, CVector3(0, 0, 0));
    CVector3 w(3, 0, 4);
    w.Normalize();
    EXPECT_FLOAT_EQ(w.x, 0.6f);
    EXPECT_FLOAT_EQ(w.y, 0.0f);
    EXPECT_FLOAT_EQ(w.z, 0.8f);
}

TEST(Rotation, AxisAngleNormalisesACopyOfTheAxis)
{
    float a[16], b[16];
    CVector3 axis(0, 0, 2);
    AxisAngleToMatrix(axis, 0.7f, a);
    AxisAngleToMatrix(CVector3(0, 0, 1), 0.7f, b);
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(a[i], b[i]);
    EXPECT_EQ(axis, CVector3(0, 0, 2));
    AxisAngleToMatrix(CVector3(1, 0, 0), 0.0f, a);
    ExpectMatrix(a, kIdentity);
}

TEST(Rotation, QuatToMatrixOfIdentityAndZero)
{
    float m[16];
    QuatToMatrix({0, 0, 0, 1}, m);
    ExpectMatrix(m, kIdentity);
    QuatToMatrix({0, 0, 0, 0}, m);
    ExpectMatrix(m, kIdentity);
}

TEST(Rotation, QuarterTurnAboutZ)
{
    // (sin(-a/2) axis, cos(-a/2)) with a = 90 degrees turns +x towards -y.
    float m[16];
    AxisAngleToMatrix(CVector3(0, 0, 1), 90.0f * kDegToRad, m);
    CVector3 p(1, 0, 0);
    TransformPoint(m, p);
    EXPECT_NEAR(p.x, 0.0f, 1e-6f);
    EXPECT_NEAR(p.y, -1.0f, 1e-6f);
}

TEST(Rotation, TransformPointUsesFirstThreeRowsOnly)
{
    float m[16] = {1, 0, 0, 5, 0, 1, 0, 0, 0, 0, 1, 0, 9, 9, 9, 9};
    CVector3 p(1, 2, 3);
    TransformPoint(m, p);
    EXPECT_EQ(p, CVector3(6, 2, 3));
}

TEST(AddQuats, HamiltonProduct)
{
    Quaternion i{1, 0, 0, 0}, j{0, 1, 0, 0};
    Quaternion q = i;
    AddQuats(q, j); // i * j = k
    EXPECT_FLOAT_EQ(q.z, 1.0f);
    EXPECT_FLOAT_EQ(q.x + q.y + q.w, 0.0f);
}

TEST(AddQuats, EveryNinetyEighthCallRescalesBySumOfSquares)
{
    // q = (0,0,0,2) times identity stays 2 unless the rescale divides it by 4.
    auto step = [] {
        Quaternion q{0, 0, 0, 2};
        AddQuats(q, {0, 0, 0, 1});
        return q.w;
    };
    int guard = 0;
    while (step() != 0.5f && ++guard < 200) {
    }
    ASSERT_LT(guard, 200) << "the counter is process-wide; some call must rescale";
    for (int i = 1; i <= 97; ++i)
        ASSERT_FLOAT_EQ(step(), 2.0f) << "call " << i << " after a rescale";
    EXPECT_FLOAT_EQ(step(), 0.5f) << "the 98th call rescales by 1/(sum of squares), not 1/length";

    // A unit quaternion is unchanged by the rescale; a zero one stays finite.
    for (int i = 0; i < 97; ++i)
        step();
    Quaternion zero{0, 0, 0, 0};
    AddQuats(zero, {0, 0, 0, 1});
    EXPECT_EQ(zero, (Quaternion{0, 0, 0, 0})) << "0/0 must not put NaN in";
}

TEST(ColorRefToRGB, ScalesBytesAndIgnoresTopByte)
{
    CVector3 c;
    ColorRefToRGB(0x02661FB3, c);
    EXPECT_EQ(c, CVector3(179 * kByteToUnit, 31 * kByteToUnit, 102 * kByteToUnit));
    ColorRefToRGB(0x00FFFFFF, c);
    EXPECT_FLOAT_EQ(c.x, 1.0f);
    EXPECT_FLOAT_EQ(c.z, 1.0f);
}
