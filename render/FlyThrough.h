#pragma once
#include <cstdint>

#include "data/Vector3.h"
#include "render/Renderer.h"

class CVolume;

// The view's left and right mouse-button flags, which fly forward and
// back; read at every poll, not owned (the view outlives its camera).
struct ViewButtons {
    const bool* left = nullptr;
    const bool* right = nullptr;
};

// The camera of the fly-through mode: a free eye inside the volume, turned
// by the arrow keys or a joystick and moved by the view's mouse buttons or
// joystick buttons 1 and 3, at a speed proportional to the model's size.
// Each step stores the eye as the volume's current point (the light box
// follows it) and writes the renderer's look-at camera. Keys and joysticks
// come through the platform's seams (KeyState(), Joysticks()).
class CFlyThrough {
public:
    // Perspective with near 1 and far radius + 1, the eye at the volume's
    // current point looking down -z; joysticks 0..15 tried in turn. The
    // renderer's context must be current.
    CFlyThrough(CRenderer* renderer, const ViewButtons& view, CVolume* volume);
    virtual ~CFlyThrough();
    CFlyThrough(const CFlyThrough&) = delete;
    CFlyThrough& operator=(const CFlyThrough&) = delete;

    // The look-at from the eye, its direction and up, loaded into the
    // modelview.
    void ApplyCamera();
    // Near 1 and far radius + 1 at the renderer's field of view, so that
    // an eye inside the volume sees all of it.
    void ApplyPerspective();
    // One step of `dt` seconds; true when the camera moved. A dt that is
    // not finite counts as no time.
    bool Poll(float dt);

    bool m_bJoystickPresent = false;
    bool m_bUseJoystick = false;
    std::uint32_t m_nJoystickId = 0;
    ViewButtons m_view;
    CRenderer* m_pRenderer = nullptr;
    CVolume* m_pVolume = nullptr;
    float m_fRadius = 0.0f;
    CameraLookAt* m_pLookAt = nullptr;
    CVector3 m_vEye;
    CVector3 m_vDir{0, 0, -1};
    CVector3 m_vUp{0, 1, 0};
    CVector3 m_vRight{1, 0, 0};
};
