// The 3D view's mouse, spin timer and thumb-wheel handlers.
#include "app/LightBox.h"
#include "app/Vexilo.h"
#include "app/dialogs/StereoDlg.h"

namespace {
constexpr float kDegreesToRadians = 0.017453292f;

bool IsPlaneMode(int mode) { return mode == kRenderMpr || mode == kRenderCutPlanes; }
} // namespace

void CVexilo::OnTimer(wxTimerEvent&) { Invalidate(); }

void CVexilo::OnLButtonDown(wxMouseEvent& event)
{
    m_bLeftButton = true;
    m_ptLast = event.GetPosition();
    if (!HasCapture())
        CaptureMouse();
    if (m_pModel && m_nRenderMode != kRenderFlyThrough) {
        // The drag starts here, not where the last one ended.
        m_transform.m_nLastX = m_ptLast.x;
        m_transform.m_nLastY = m_ptLast.y;
        m_transform.m_bDragging = true;
        Invalidate();
    }
}

void CVexilo::OnLButtonUp(wxMouseEvent&)
{
    if (HasCapture())
        ReleaseMouse();
    m_bLeftButton = false;
    if (m_nRenderMode == kRenderFlyThrough)
        return;
    m_transform.m_bDragging = false;
    Invalidate();
    if (m_transform.m_bSpinning) {
        m_spinTimer.Start(1);
        m_nSpinTimer = kSpinTimerId;
    } else {
        m_spinTimer.Stop();
        m_nSpinTimer = 0;
    }
}

void CVexilo::OnMouseMove(wxMouseEvent& event)
{
    const wxPoint p = event.GetPosition();
    if (m_bLeftButton && m_nRenderMode == kRenderFlyThrough)
        m_ptLast = p;
    if (m_bRightButton) {
        if (event.ControlDown() && m_nRenderMode == kRenderCutPlanes && m_pRenderer) {
            MakeRendererCurrent();
            m_pRenderer->RotateCutPlaneByDrag(p.x, p.y);
        }
        if (m_nPickedPlane >= 0) {
            if (m_pRenderer && m_pRenderer->m_nPicked >= 0 && IsPlaneMode(m_pRenderer->m_nRenderMode)) {
                MakeRendererCurrent();
                m_pRenderer->Drag(p.x - m_ptLast.x, p.y - m_ptLast.y);
            }
            m_ptLast = p;
            if (m_nRenderMode == kRenderMpr)
                if (CLightBox* lightBox = LightBox())
                    lightBox->SetSlicesFromCamera();
        }
        RedrawNow();
    }
    if (m_transform.m_bDragging)
        Invalidate();
}

void CVexilo::OnRButtonDown(wxMouseEvent& event)
{
    m_bRightButton = true;
    if (!HasCapture())
        CaptureMouse();
    const wxPoint p = event.GetPosition();
    if (m_pRenderer && IsPlaneMode(m_nRenderMode)) {
        MakeRendererCurrent();
        if (event.ControlDown() && m_nRenderMode == kRenderCutPlanes) {
            // The pivot of the custom cut plane; nothing else moves.
            m_pRenderer->ScreenToModelDir(p.x, p.y, m_pRenderer->m_vPickPoint);
            return;
        }
        m_nPickedPlane = m_pRenderer->PickFace(p.x, p.y);
        if (m_nPickedPlane >= 0) {
            m_ptLast = p;
            LightBox();
            m_transform.m_bDragging = false;
            m_transform.m_bSpinning = false;
            m_bLeftButton = false;
            m_spinTimer.Stop();
            m_nSpinTimer = 0;
        }
    }
    Invalidate();
}

void CVexilo::OnRButtonUp(wxMouseEvent&)
{
    m_bRightButton = false;
    if (HasCapture())
        ReleaseMouse();
    if (m_pRenderer && IsPlaneMode(m_nRenderMode)) {
        MakeRendererCurrent();
        m_nPickedPlane = m_pRenderer->PickFace(-1, -1);
        Invalidate();
    }
}

void CVexilo::OnCaptureLost(wxMouseCaptureLostEvent&)
{
    // Another window took the mouse (a dialog): no button-up will come.
    m_bLeftButton = m_bRightButton = false;
    m_transform.m_bDragging = false;
}

void CVexilo::OnRotateWheel(CThumbWheelEvent& event, int axis)
{
    const int value = int(event.m_wParam >> 16);
    const int step = value - m_nLastWheel[axis];
    m_nLastWheel[axis] = value;
    const float angle = float(step) * kDegreesToRadians;
    switch (axis) {
    case 0: m_transform.RotateX(angle); break;
    case 1: m_transform.RotateY(angle); break;
    default: m_transform.RotateZ(angle); break;
    }
    Invalidate();
}

void CVexilo::OnWheelX(CThumbWheelEvent& event) { OnRotateWheel(event, 0); }
void CVexilo::OnWheelY(CThumbWheelEvent& event) { OnRotateWheel(event, 1); }
void CVexilo::OnWheelZ(CThumbWheelEvent& event) { OnRotateWheel(event, 2); }

void CVexilo::OnWheelZoom(CThumbWheelEvent&)
{
    // Read from the wheel itself: the message's 16 bits would lose the sign
    // of a zoom beyond 32767 steps.
    m_nLastWheel[3] = m_wheelZoom.m_nAngle;
    if (m_pRenderer) {
        MakeRendererCurrent();
        m_pRenderer->Zoom(m_nLastWheel[3]);
    }
    if (CStereoDlg* stereo = StereoWindow())
        stereo->UpdateFrustums();
    Invalidate();
}
