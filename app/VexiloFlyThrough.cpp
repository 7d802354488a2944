// What the fly-through camera adds to the 3D view: making and deleting it,
// its joystick, its step each frame and its move to the light box's point.
#include "app/Vexilo.h"

#include "data/Volume.h"

bool CVexilo::MakeFlyThroughCamera()
{
    m_pFlyThrough.reset();
    if (!m_pRenderer || !m_pModel || !m_pModel->IsVolume())
        return false;
    MakeRendererCurrent();
    m_pFlyThrough = std::make_unique<CFlyThrough>(m_pRenderer.get(), ViewButtons{&m_bLeftButton, &m_bRightButton},
                                                  static_cast<CVolume*>(m_pModel));
    // The first step counts from now, not from a reading that may be
    // minutes old.
    m_timer.GetElapsed();
    return true;
}

void CVexilo::DeleteFlyThroughCamera() { m_pFlyThrough.reset(); }

bool CVexilo::FlyThroughHasJoystick() const { return m_pFlyThrough && m_pFlyThrough->m_bJoystickPresent; }

void CVexilo::UseFlyThroughJoystick()
{
    if (m_pFlyThrough)
        m_pFlyThrough->m_bUseJoystick = true;
}

bool CVexilo::PollFlyThrough(float seconds)
{
    if (!m_pFlyThrough || m_bLoading)
        return false;
    // The step loads the camera into the renderer's modelview.
    MakeRendererCurrent();
    return m_pFlyThrough->Poll(seconds);
}

void CVexilo::ReapplyFlyThroughCamera()
{
    if (!m_pFlyThrough)
        return;
    MakeRendererCurrent();
    m_pFlyThrough->ApplyPerspective();
    m_pFlyThrough->ApplyCamera();
}

void CVexilo::MoveCameraToCurrentPoint()
{
    if (!m_pFlyThrough)
        return;
    m_pFlyThrough->m_vEye = m_pFlyThrough->m_pVolume->m_vEntry;
    MakeRendererCurrent();
    m_pFlyThrough->ApplyCamera();
}
