#pragma once
#include "data/Quaternion.h"

// The view's virtual trackball: left-button drags become a rotation that
// keeps spinning after release when the last step moved; the X, Y and Z
// thumb-wheels compose their rotations into the same quaternion.
class CViewTransform {
public:
    CViewTransform() = default;

    // A size of 0 or less (a minimised window) keeps the previous one.
    void Init(int width, int height);
    // Called once per frame with the cursor (window pixels, y downward).
    Quaternion Update(int x, int y);
    void RotateX(float angle);
    void RotateY(float angle);
    void RotateZ(float angle);

    Quaternion m_qSpin{0, 0, 0, 1};
    Quaternion m_qCurrent{0, 0, 0, 1};
    int m_nLastY = 0, m_nLastX = 0;
    int m_nHeight = 100, m_nWidth = 100;
    bool m_bDragging = false;
    bool m_bSpinning = false;
};

// The rotation of a drag from (x1, y1) to (x2, y2), all in -1..1 with y up.
Quaternion TrackballQuat(float x1, float y1, float x2, float y2);
