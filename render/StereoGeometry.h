#pragma once
// The arithmetic of the stereo window, apart from any GL or window: where
// the two eyes stand, the off-axis frustum of each, the viewports, the
// colour channels each eye writes in an anaglyph, and the focal length and
// eye separation the attributes' bars give.
//
// The pair is the usual parallel-axis stereo: both eyes look along the same
// direction from either side of the camera, and each frustum is sheared so
// that the two images coincide at the focal distance F (zero parallax
// there; nearer points come out of the screen). At the near plane the shift
// is near / F x E / 2 for an eye separation E.
#include <array>

#include "data/Vector3.h"

struct CameraLookAt;

enum StereoMethod : int { kStereoDualViewports = 0, kStereoAnaglyph = 1 };
// Left eye / right eye.
enum StereoGlasses : int {
    kGlassesRedBlue = 0,
    kGlassesRedGreen = 1,
    kGlassesRedCyan = 2,
    kGlassesBlueRed = 3,
    kGlassesGreenRed = 4,
    kGlassesCyanRed = 5,
};

// left, right, bottom, top, near, far as glFrustum takes them.
using StereoFrustum = std::array<double, 6>;

struct StereoGeometry {
    CVector3 leftEye, rightEye, centre, up;
    StereoFrustum leftFrustum{}, rightFrustum{};
    int viewWidth = 0, viewHeight = 0; // one eye's viewport
};

// What the renderer's camera and projection give for a client area of
// `width` x `height` pixels; false, and `out` untouched, when the area
// cannot hold a pair (no height, or less than 2 pixels wide).
struct StereoCamera {
    const CameraLookAt* lookAt = nullptr;
    double fovY = 30.0, zNear = 1.0, zFar = 2.0;
};
bool ComputeStereoGeometry(const StereoCamera& camera, int width, int height, int method, double focalLength,
                           double eyeSeparation, StereoGeometry& out);

// Half the eye separation along the camera's right-hand side: the viewing
// direction (centre - eye) crossed with up, normalised. A camera without a
// direction, or looking along up, gives zero.
CVector3 StereoHalfOffset(const CameraLookAt& camera, double eyeSeparation);

// The channels one eye writes in an anaglyph (alpha is always written).
struct ColourMask {
    bool red = true, green = true, blue = true;
    bool operator==(const ColourMask&) const = default;
};
ColourMask LeftEyeMask(int glasses);
ColourMask RightEyeMask(int glasses);

// Focal length and eye separation from the attributes' bars.
inline constexpr float kEyeSeparationPerFocal = 0.033333335f;
struct StereoDistances {
    float focal = 0;          // passed to the stereo window
    float eyeSeparation = 0;  // focal x 0.033333335, kept by the view
    float separation = 0;     // passed to the stereo window
};
// The base focal length at a near-plane distance: 1.5 x near when the
// stereo windows open, 1.0 x near when fly-through starts.
StereoDistances StereoBaseDistances(double nearPlane, float factor);
// Fractions 0..1 of the focal and separation bars; 0.25 and 0.5 (their
// start positions) give the base values.
StereoDistances StereoDistancesFromBars(float baseFocal, float focalFraction, float separationFraction);
