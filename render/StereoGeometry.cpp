#include "render/StereoGeometry.h"

#include <cmath>
#include <numbers>

#include "render/Renderer.h"

CVector3 StereoHalfOffset(const CameraLookAt& camera, double eyeSeparation)
{
    // The direction, not the centre point: a camera away from the origin
    // (fly-through) would otherwise swap or merge the eyes.
    CVector3 side = Cross(camera.centre - camera.eye, camera.up);
    side.Normalize();
    return side * float(eyeSeparation / 2.0);
}

bool ComputeStereoGeometry(const StereoCamera& camera, int width, int height, int method, double focalLength,
                           double eyeSeparation, StereoGeometry& out)
{
    if (!camera.lookAt || height <= 0 || width < 2)
        return false;
    StereoGeometry g;
    const CameraLookAt& c = *camera.lookAt;
    g.centre = c.centre;
    g.up = c.up;
    const CVector3 side = StereoHalfOffset(c, eyeSeparation);
    g.leftEye = c.eye - side;
    g.rightEye = c.eye + side;

    g.viewWidth = method == kStereoDualViewports ? (width & ~1) / 2 : width;
    g.viewHeight = height;

    const double top = camera.zNear * std::tan(camera.fovY * std::numbers::pi / 360.0);
    const double a = double(g.viewWidth) / double(g.viewHeight);
    // A focal length of 0 has no convergence plane; the eyes then look
    // straight ahead, unshifted.
    const double w = focalLength != 0.0 ? camera.zNear / focalLength * eyeSeparation / 2.0 : 0.0;
    g.leftFrustum = {w - top * a, w + top * a, -top, top, camera.zNear, camera.zFar};
    g.rightFrustum = {-top * a - w, top * a - w, -top, top, camera.zNear, camera.zFar};
    out = g;
    return true;
}

ColourMask LeftEyeMask(int glasses)
{
    switch (glasses) {
    case kGlassesBlueRed: return {false, false, true};
    case kGlassesGreenRed: return {false, true, false};
    case kGlassesCyanRed: return {false, true, true};
    default: return {true, false, false};
    }
}

ColourMask RightEyeMask(int glasses)
{
    switch (glasses) {
    case kGlassesRedBlue: return {false, false, true};
    case kGlassesRedGreen: return {false, true, false};
    case kGlassesRedCyan: return {false, true, true};
    default: return {true, false, false};
    }
}

StereoDistances StereoBaseDistances(double nearPlane, float factor)
{
    StereoDistances d;
    d.focal = float(nearPlane * double(factor));
    d.eyeSeparation = d.focal * kEyeSeparationPerFocal;
    d.separation = d.eyeSeparation;
    return d;
}

StereoDistances StereoDistancesFromBars(float baseFocal, float focalFraction, float separationFraction)
{
    StereoDistances d;
    d.focal = ((focalFraction - 0.25f) * 4.0f + 1.0f) * baseFocal;
    d.eyeSeparation = d.focal * kEyeSeparationPerFocal;
    d.separation = d.eyeSeparation * ((separationFraction - 0.5f) * 2.0f + 1.0f);
    return d;
}
