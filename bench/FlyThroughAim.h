#pragma once
#include "data/Vector3.h"
#include "render/FlyThrough.h"

namespace bench {

// Turns the fly-through camera to look along `look`, its up as near to +y
// as the direction lets it (+z when it looks along y); the eye stays.
inline void AimFlyThrough(CFlyThrough& camera, CVector3 look)
{
    look.Normalize();
    CVector3 right = Cross(look, CVector3(0, 1, 0));
    if (right.Length() < 1e-3f)
        right = Cross(look, CVector3(0, 0, 1));
    right.Normalize();
    camera.m_vDir = look;
    camera.m_vRight = right;
    camera.m_vUp = Cross(right, look);
    camera.ApplyCamera();
}

} // namespace bench
