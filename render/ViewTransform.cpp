#include "render/ViewTransform.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr float kBallRadius = 0.8f;

// Inside a sphere of radius 0.8, outside on a hyperbolic sheet that meets it.
float LiftToBall(float x, float y)
{
    float d = std::sqrt(x * x + y * y);
    if (d < kBallRadius * 0.70710678118654752440f)
        return std::sqrt(kBallRadius * kBallRadius - d * d);
    return 0.32f / d;
}
} // namespace

Quaternion TrackballQuat(float x1, float y1, float x2, float y2)
{
    if (x1 == x2 && y1 == y2)
        return {0, 0, 0, 1};
    const CVector3 p1(x1, y1, LiftToBall(x1, y1));
    const CVector3 p2(x2, y2, LiftToBall(x2, y2));
    CVector3 axis = Cross(p1, p2);
    axis.Normalize();
    float t = (p2 - p1).Length() * 0.625f; // 1 / (2 x radius)
    t = std::clamp(t, -1.0f, 1.0f);
    float phi = 2.0f * std::asin(t);
    return AxisAngleToQuat(axis, phi);
}

void CViewTransform::Init(int width, int height)
{
    if (width > 0)
        m_nWidth = width;
    if (height > 0)
        m_nHeight = height;
    m_bDragging = false;
    m_bSpinning = false;
    m_qCurrent = {0, 0, 0, 1};
}

Quaternion CViewTransform::Update(int x, int y)
{
    if (m_bDragging) {
        if (x == m_nLastX && y == m_nLastY) {
            m_bSpinning = false;
        } else {
            auto toBallX = [this](int px) { return 2.0f * px / m_nWidth - 1.0f; };
            auto toBallY = [this](int py) { return 1.0f - 2.0f * py / m_nHeight; };
            m_qSpin = TrackballQuat(toBallX(m_nLastX), toBallY(m_nLastY), toBallX(x), toBallY(y));
            m_bSpinning = true;
        }
        m_nLastX = x;
        m_nLastY = y;
    }
    if (m_bSpinning)
        AddQuats(m_qCurrent, m_qSpin);
    return m_qCurrent;
}

void CViewTransform::RotateX(float angle) { AddQuats(m_qCurrent, AxisAngleToQuat(CVector3(-1, 0, 0), angle)); }
void CViewTransform::RotateY(float angle) { AddQuats(m_qCurrent, AxisAngleToQuat(CVector3(0, 1, 0), angle)); }
void CViewTransform::RotateZ(float angle) { AddQuats(m_qCurrent, AxisAngleToQuat(CVector3(0, 0, 1), angle)); }
