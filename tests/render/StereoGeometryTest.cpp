#include <cmath>

#include <gtest/gtest.h>

#include "render/Renderer.h"
#include "render/StereoGeometry.h"

namespace {
StereoCamera CameraOf(const CameraLookAt& lookAt, double fovY = 30, double zNear = 10, double zFar = 100)
{
    return {&lookAt, fovY, zNear, zFar};
}

void ExpectVector(const CVector3& got, const CVector3& want, const char* why)
{
    EXPECT_NEAR(got.x, want.x, 1e-5) << why;
    EXPECT_NEAR(got.y, want.y, 1e-5) << why;
    EXPECT_NEAR(got.z, want.z, 1e-5) << why;
}
} // namespace

// The eyes stand E apart on the camera's right-hand line, the left eye on
// the left, both looking at the camera's centre with its up. The reset
// camera, and two fly-through cameras away from the origin: looking along
// -x, where the centre point's cross product with up points the other way
// (the eyes would swap), and with the centre on the up axis, where it is
// zero (the eyes would merge).
TEST(StereoGeometry, EyesStandApartAlongTheViewersRight)
{
    struct Case {
        const char* what;
        CameraLookAt camera;
        CVector3 right; // unit vector to the right eye
    };
    const Case cases[] = {
        {"reset camera", {{0, 0, 48.5f}, {0, 0, -1}, {0, 1, 0}}, {1, 0, 0}},
        {"flying along -x", {{10, 0, 0}, {9, 0, 0}, {0, 1, 0}}, {0, 0, -1}},
        {"centre on the up axis", {{0, 3, 1}, {0, 3, 0}, {0, 1, 0}}, {1, 0, 0}},
        {"looking down, up along -z", {{2, 5, 2}, {2, 4, 2}, {0, 0, -1}}, {1, 0, 0}},
    };
    const double separation = 0.8;
    for (const Case& c : cases) {
        StereoGeometry g;
        ASSERT_TRUE(ComputeStereoGeometry(CameraOf(c.camera), 400, 300, kStereoAnaglyph, 20, separation, g)) << c.what;
        ExpectVector(g.leftEye, c.camera.eye - c.right * 0.4f, c.what);
        ExpectVector(g.rightEye, c.camera.eye + c.right * 0.4f, c.what);
        EXPECT_EQ(g.centre, c.camera.centre) << c.what;
        EXPECT_EQ(g.up, c.camera.up) << c.what;
        ExpectVector(StereoHalfOffset(c.camera, separation), c.right * 0.4f, c.what);
    }
}

// Each eye's frustum is the camera's, sheared toward the other eye by
// near / F x E / 2 at the near plane; the viewport is half the window for
// dual viewports (an odd width losing a column) and all of it for the
// anaglyph.
TEST(StereoGeometry, FrustumsAndViewports)
{
    const CameraLookAt reset{{0, 0, 5}, {0, 0, -1}, {0, 1, 0}};
    // fovy 90: top = near; a viewport of 100 x 100: aspect 1; F 2, E 0.4,
    // near 1: shift 0.1.
    StereoGeometry g;
    ASSERT_TRUE(ComputeStereoGeometry(CameraOf(reset, 90, 1, 50), 201, 100, kStereoDualViewports, 2, 0.4, g));
    EXPECT_EQ(g.viewWidth, 100);
    EXPECT_EQ(g.viewHeight, 100);
    const StereoFrustum left = {-0.9, 1.1, -1, 1, 1, 50}, right = {-1.1, 0.9, -1, 1, 1, 50};
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(g.leftFrustum[i], left[i], 1e-12) << i;
        EXPECT_NEAR(g.rightFrustum[i], right[i], 1e-12) << i;
    }

    struct Size {
        int method, width, height, viewWidth;
    };
    const Size sizes[] = {
        {kStereoDualViewports, 641, 480, 320},
        {kStereoDualViewports, 640, 480, 320},
        {kStereoDualViewports, 2, 1, 1},
        {kStereoAnaglyph, 641, 480, 641},
    };
    for (const Size& s : sizes) {
        ASSERT_TRUE(ComputeStereoGeometry(CameraOf(reset), s.width, s.height, s.method, 20, 1, g)) << s.width;
        EXPECT_EQ(g.viewWidth, s.viewWidth) << s.width;
        EXPECT_EQ(g.viewHeight, s.height) << s.width;
        const double top = 10 * std::tan(30 * M_PI / 360), a = double(s.viewWidth) / s.height;
        EXPECT_NEAR(g.leftFrustum[1] - g.leftFrustum[0], 2 * top * a, 1e-9) << "the eye's aspect";
        EXPECT_NEAR(g.leftFrustum[3], top, 1e-12);
    }
}

// A window without height or narrower than 2 pixels holds no pair: the
// geometry is left as it was (no division by a zero height or width).
TEST(StereoGeometry, CollapsedWindowKeepsThePair)
{
    const CameraLookAt reset{{0, 0, 5}, {0, 0, -1}, {0, 1, 0}};
    StereoGeometry g;
    g.viewWidth = 7;
    const int sizes[][2] = {{400, 0}, {1, 300}, {0, 300}, {-5, 300}, {400, -1}};
    for (const auto& s : sizes)
        for (int method : {kStereoDualViewports, kStereoAnaglyph}) {
            EXPECT_FALSE(ComputeStereoGeometry(CameraOf(reset), s[0], s[1], method, 20, 1, g)) << s[0] << "x" << s[1];
            EXPECT_EQ(g.viewWidth, 7);
        }
    EXPECT_FALSE(ComputeStereoGeometry(StereoCamera{}, 400, 300, kStereoAnaglyph, 20, 1, g)) << "no camera";
}

// Left eye, then right eye, per pair of glasses.
TEST(StereoGeometry, GlassesMasks)
{
    const ColourMask red{true, false, false}, green{false, true, false}, blue{false, false, true},
        cyan{false, true, true};
    const struct {
        int glasses;
        ColourMask left, right;
    } cases[] = {
        {kGlassesRedBlue, red, blue},  {kGlassesRedGreen, red, green}, {kGlassesRedCyan, red, cyan},
        {kGlassesBlueRed, blue, red},  {kGlassesGreenRed, green, red}, {kGlassesCyanRed, cyan, red},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LeftEyeMask(c.glasses), c.left) << c.glasses;
        EXPECT_EQ(RightEyeMask(c.glasses), c.right) << c.glasses;
    }
}

// The bars' start positions (0.25 and 0.5) give the base values: the focal
// length the base, the eye separation a thirtieth of it; the bars' ends
// scale them.
TEST(StereoGeometry, DistancesFromTheBars)
{
    const StereoDistances base = StereoBaseDistances(40, 1.5f);
    EXPECT_FLOAT_EQ(base.focal, 60);
    EXPECT_FLOAT_EQ(base.eyeSeparation, 60 * 0.033333335f);
    EXPECT_FLOAT_EQ(base.separation, base.eyeSeparation);
    EXPECT_FLOAT_EQ(StereoBaseDistances(1, 1.0f).focal, 1);

    const struct {
        float f, s;
        float focal, separation;
    } cases[] = {
        {0.25f, 0.5f, 60, 2},      // the base values
        {1.0f, 0.5f, 240, 8},      // focal 4 B at 100
        {0.01f, 0.5f, 2.4f, 0.08f},
        {0.25f, 1.0f, 60, 4},      // separation doubled at 100
        {0.25f, 0.01f, 60, 0.04f},
        {0.5f, 0.75f, 120, 6},
    };
    for (const auto& c : cases) {
        const StereoDistances d = StereoDistancesFromBars(60, c.f, c.s);
        EXPECT_NEAR(d.focal, c.focal, 1e-4) << c.f << " " << c.s;
        EXPECT_NEAR(d.eyeSeparation, c.focal * 0.033333335f, 1e-5) << c.f << " " << c.s;
        EXPECT_NEAR(d.separation, c.separation, 1e-4) << c.f << " " << c.s;
    }
}
