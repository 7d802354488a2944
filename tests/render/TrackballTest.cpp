#include <cmath>

#include <gtest/gtest.h>

#include "render/ViewTransform.h"

namespace {
void ExpectQuat(const Quaternion& q, const Quaternion& want, float tol = 1e-6f)
{
    EXPECT_NEAR(q.x, want.x, tol);
    EXPECT_NEAR(q.y, want.y, tol);
    EXPECT_NEAR(q.z, want.z, tol);
    EXPECT_NEAR(q.w, want.w, tol);
}
const Quaternion kIdentity{0, 0, 0, 1};
} // namespace

TEST(TrackballQuat, IdenticalPointsGiveTheIdentity)
{
    for (auto [x, y] : {std::pair{0.0f, 0.0f}, {0.3f, -0.2f}, {0.9f, 0.9f}, {-1.0f, 1.0f}})
        EXPECT_EQ(TrackballQuat(x, y, x, y), kIdentity) << x << "," << y;
}

TEST(TrackballQuat, LiftsOntoSphereInsideAndSheetOutside)
{
    // From the centre (z 0.8) to (0.5, 0) (inside, z sqrt(0.39)): the rotation
    // axis is -y, the angle 2 asin(chord x 0.625).
    struct Case {
        float x2;
        float z2;
    };
    for (Case c : {Case{0.5f, std::sqrt(0.64f - 0.25f)}, Case{1.0f, 0.32f}}) {
        Quaternion q = TrackballQuat(0, 0, c.x2, 0);
        float chord = std::sqrt(c.x2 * c.x2 + (c.z2 - 0.8f) * (c.z2 - 0.8f));
        float phi = 2.0f * std::asin(chord * 0.625f);
        // axis = (0,0,0.8) x (x2,0,z2) = (0, 0.8 x2, 0), normalised (0,1,0).
        ExpectQuat(q, {0, std::sin(-phi / 2), 0, std::cos(-phi / 2)}, 1e-5f);
    }
}

TEST(CViewTransform, DragSpinsAndStopsWhenTheCursorRests)
{
    CViewTransform t;
    t.Init(200, 100);
    t.m_bDragging = true;
    t.m_nLastX = 100;
    t.m_nLastY = 50;
    Quaternion step = TrackballQuat(0, 0, 0.1f, 0);
    Quaternion q = t.Update(110, 50);
    EXPECT_TRUE(t.m_bSpinning);
    ExpectQuat(t.m_qSpin, step);
    ExpectQuat(q, step);

    // Released right after a move: it keeps turning by the same step.
    t.m_bDragging = false;
    Quaternion twice = step;
    AddQuats(twice, step);
    ExpectQuat(t.Update(0, 0), twice);
    EXPECT_TRUE(t.m_bSpinning);

    // A frame without movement while dragging stops it; released, it stays.
    t.m_bDragging = true;
    t.m_nLastX = 5;
    t.m_nLastY = 5;
    Quaternion held = t.Update(5, 5);
    EXPECT_FALSE(t.m_bSpinning);
    t.m_bDragging = false;
    EXPECT_EQ(t.Update(60, 60), held);
}

TEST(CViewTransform, WheelsTurnAboutMinusXPlusYPlusZ)
{
    const float a = 0.5f;
    struct Case {
        void (CViewTransform::*rotate)(float);
        CVector3 axis;
    };
    for (Case c : {Case{&CViewTransform::RotateX, {-1, 0, 0}}, Case{&CViewTransform::RotateY, {0, 1, 0}},
                   Case{&CViewTransform::RotateZ, {0, 0, 1}}}) {
        CViewTransform t;
        (t.*c.rotate)(a);
        float s = std::sin(-a / 2);
        ExpectQuat(t.m_qCurrent, {s * c.axis.x, s * c.axis.y, s * c.axis.z, std::cos(-a / 2)});
    }
}

TEST(CViewTransform, InitWithoutASizeKeepsThePreviousOne)
{
    CViewTransform t;
    t.Init(300, 200);
    t.RotateZ(1.0f);
    t.m_bSpinning = true;
    t.Init(0, -5);
    EXPECT_EQ(t.m_nWidth, 300);
    EXPECT_EQ(t.m_nHeight, 200);
    EXPECT_FALSE(t.m_bSpinning);
    EXPECT_EQ(t.m_qCurrent, kIdentity);

    // A drag in the minimised window still yields a finite rotation.
    t.m_bDragging = true;
    Quaternion q = t.Update(10, 10);
    EXPECT_TRUE(std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z) && std::isfinite(q.w));
}
