#include <cmath>

#include <gtest/gtest.h>

#include "data/Volume.h"
#include "support/GlRecorder.h"
#include "render/MeshRenderer.h"

namespace {
struct BoxFixture {
    CRecordingSurface surface{100, 100};
    CMeshRenderer renderer{nullptr, &surface, 100, 100};
    BoxFixture() { renderer.AttachModel(nullptr); }
    ~BoxFixture() { GlMakeCurrent(nullptr, nullptr); }
    double D(int face) const { return renderer.m_dPlanes[face][3]; }
};

void ExpectNear(const CVector3& a, const CVector3& b, float tol = 1e-5f)
{
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}
} // namespace

TEST(CutPlaneBox, StartsAsTheUnitBoxOnTheAxes)
{
    BoxFixture f;
    const double normals[6][3] = {{-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}, {0, 0, -1}, {0, 0, 1}};
    for (int i = 0; i < 6; ++i) {
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(f.renderer.m_dPlanes[i][k], normals[i][k]) << "plane " << i;
        EXPECT_EQ(f.D(i), 1.0);
    }
    EXPECT_EQ(f.renderer.m_nFaceMask, 63);
    EXPECT_EQ(f.renderer.m_nPicked, -1);
}

TEST(CutPlaneBox, FaceQuadsAreInsetTo95Percent)
{
    BoxFixture f;
    f.renderer.SetClipExtents(10, 1, 2, 3); // extents 2, 3, 4 along n, u, v
    EXPECT_EQ(f.renderer.m_dMaxDistance, 11);
    // Face 0 at +2 along x spans u in -3..3 and v in -4..4, inset.
    const CVector3 face0[4] = {{2, -2.85f, -3.8f}, {2, -2.85f, 3.8f}, {2, 2.85f, 3.8f}, {2, 2.85f, -3.8f}};
    for (int k = 0; k < 4; ++k)
        ExpectNear(f.renderer.m_vFaceQuads[0][k], face0[k]);
    // Its opposite takes the same corners in reverse order.
    for (int k = 0; k < 4; ++k)
        ExpectNear(f.renderer.m_vFaceQuads[1][k], face0[3 - k] - CVector3(4, 0, 0));
    ExpectNear(f.renderer.m_vFaceQuads[4][2], {1.9f, 2.85f, 4});
}

TEST(CutPlaneBox, FaceMovesStopAtTheSlabAndTheLimit)
{
    struct Case {
        void (CRenderer::*move)(double);
        int face;
        double amount;
        double want;
        const char* why;
    };
    const Case cases[] = {
        {&CRenderer::MoveFace0, 0, -12, -4, "face 0 inward past face 1: one unit thick"},
        {&CRenderer::MoveFace1, 1, -15, -4, "face 1 inward past face 0"},
        {&CRenderer::MoveFace2, 2, -10.5, -4, "face 2 past face 3"},
        {&CRenderer::MoveFace3, 3, -10, -4, "exactly onto face 2"},
        {&CRenderer::MoveFace4, 4, -13, -4, "face 4 past face 5"},
        {&CRenderer::MoveFace5, 5, -11, -4, "face 5 past face 4"},
        {&CRenderer::MoveFace3, 3, -9.5, -4.5, "a half-unit slab is kept as it is"},
    };
    for (const Case& c : cases) {
        BoxFixture f;
        f.renderer.SetClipExtents(10, 4, 4, 4); // every distance 5, limit 11
        (f.renderer.*c.move)(c.amount);
        EXPECT_DOUBLE_EQ(f.D(c.face), c.want) << c.why;
        EXPECT_DOUBLE_EQ(f.D(c.face ^ 1), 5) << c.why;
    }
    for (int face = 0; face < 6; ++face) {
        BoxFixture f;
        f.renderer.SetClipExtents(10, 4, 4, 4);
        void (CRenderer::*moves[6])(double) = {&CRenderer::MoveFace0, &CRenderer::MoveFace1, &CRenderer::MoveFace2,
                                               &CRenderer::MoveFace3, &CRenderer::MoveFace4, &CRenderer::MoveFace5};
        (f.renderer.*moves[face])(100);
        EXPECT_EQ(f.D(face), 11) << "face " << face << " outward stops at the limit";
    }
}

TEST(CutPlaneBox, RotationIsAnAbsoluteAngleAboutTheNormal)
{
    struct Case {
        int degrees;
        int stored;
        bool turned;
    };
    for (Case c : {Case{0, 0, false}, Case{360, 0, false}, Case{-30, -30, false}, Case{90, 90, true},
                   Case{450, 90, true}}) {
        BoxFixture f;
        f.renderer.RotateCutPlaneBy(45);
        f.renderer.RotateCutPlaneBy(c.degrees);
        EXPECT_EQ(f.renderer.m_nPlaneRotation, c.stored) << c.degrees;
        EXPECT_EQ(f.renderer.m_vRefU, CVector3(0, 1, 0));
        if (!c.turned) {
            EXPECT_EQ(f.renderer.m_vU, CVector3(0, 1, 0)) << c.degrees;
            EXPECT_EQ(f.renderer.m_vV, CVector3(0, 0, 1)) << c.degrees;
        } else {
            // A quarter turn about x takes u onto the v axis.
            EXPECT_NEAR(std::fabs(f.renderer.m_vU.z), 1.0f, 1e-6f) << c.degrees;
            EXPECT_NEAR(f.renderer.m_dPlanes[3][2], f.renderer.m_vU.z, 1e-6) << "plane 3 follows u";
        }
    }
}

TEST(CutPlaneBox, RotationByDragTurnsTheBasisTowardsThePickDirection)
{
    BoxFixture f;
    f.renderer.m_vPickPoint = {1, 0, 0};
    f.renderer.RotateCutPlaneBy(30);
    // The base renderer's screen direction is always (0, 0, 1): a quarter turn.
    f.renderer.RotateCutPlaneByDrag(10, 10);
    EXPECT_EQ(f.renderer.m_vPickPoint, CVector3(0, 0, 1));
    EXPECT_EQ(f.renderer.m_nPlaneRotation, 0);
    EXPECT_EQ(f.renderer.m_vRefU, f.renderer.m_vU);
    EXPECT_NEAR(std::fabs(f.renderer.m_vN.z), 1.0f, 1e-6f);
    EXPECT_NEAR(f.renderer.m_dPlanes[1][2], f.renderer.m_vN.z, 1e-6);
    const CVector3 n = f.renderer.m_vN;
    f.renderer.RotateCutPlaneByDrag(50, 50); // no angle left: nothing changes
    EXPECT_EQ(f.renderer.m_vN, n);
}

TEST(CutPlaneBox, PickThresholdsPreferBrightTargets)
{
    struct Case {
        float r, g, b;
        int handle;
        const char* why;
    };
    const Case cases[] = {
        {1, 0, 0, 0, "bright red: face 0"},
        {0, 0.95f, 0, 1, "bright green: face 2"},
        {0, 0, 1, 2, "bright blue: face 4"},
        {0.95f, 0.95f, 0, 1, "a later bright hit overrides"},
        {0.95f, 0.6f, 0, 0, "a bright hit hides the dark tests"},
        {0.5f, 0, 0, 3, "dark red: face 1"},
        {0, 0.41f, 0, 4, "dark green: face 3"},
        {0, 0, 0.5f, 5, "dark blue: face 5"},
        {0.5f, 0.5f, 0, 4, "a later dark hit overrides"},
        {0.4f, 0.4f, 0.4f, -1, "0.4 is not above 0.4"},
        {0, 0, 0, -1, "background"},
    };
    for (const Case& c : cases) {
        BoxFixture f;
        f.renderer.m_nRenderMode = kRenderCutPlanes;
        f.surface.m_fPixel[0] = c.r;
        f.surface.m_fPixel[1] = c.g;
        f.surface.m_fPixel[2] = c.b;
        f.surface.m_aCalls.clear();
        EXPECT_EQ(f.renderer.PickFace(30, 40), c.handle) << c.why;
        EXPECT_EQ(f.renderer.m_nPicked, c.handle) << c.why;
        auto reads = f.surface.CallsOf("glReadPixels");
        ASSERT_EQ(reads.size(), 1u);
        EXPECT_EQ(reads[0].args[0], 30);
        EXPECT_EQ(reads[0].args[1], 100 - 40);
        EXPECT_EQ(f.surface.CountOf("SwapBuffers"), 0);
    }
}

// The pixel read is (x, height - y): y = 0 reads the row above the top one.
TEST(CutPlaneBox, PickOutsideTheViewportReadsNoPixel)
{
    for (auto [x, y] : {std::pair{-1, 50}, {100, 50}, {50, 0}, {50, 101}, {5000, -5000}}) {
        BoxFixture f;
        f.renderer.m_nRenderMode = kRenderCutPlanes;
        f.renderer.m_nPicked = 2;
        f.surface.m_fPixel[0] = 1;
        f.surface.m_aCalls.clear();
        EXPECT_EQ(f.renderer.PickFace(x, y), -1) << x << "," << y;
        EXPECT_EQ(f.renderer.m_nPicked, -1);
        EXPECT_EQ(f.surface.CountOf("glReadPixels"), 0);
    }
}

TEST(CutPlaneBox, DragDirectionAndAmount)
{
    // The recorder's matrices are the identity over a 100 x 100 viewport:
    // +x runs right and +y runs up (so negative in window y).
    struct Case {
        int mode;
        int handle;
        float dirX, dirY;
    };
    for (Case c : {Case{kRenderCutPlanes, 0, 1, 0}, Case{kRenderCutPlanes, 1, 0, -1}, Case{kRenderCutPlanes, 3, -1, 0},
                   Case{kRenderCutPlanes, 4, 0, 1}, Case{kRenderCutPlanes, 2, 0, 0}, Case{kRenderMpr, 1, 0, -1},
                   Case{kRenderCutPlanes, -1, 0, 0}}) {
        BoxFixture f;
        f.renderer.m_nRenderMode = c.mode;
        f.renderer.m_nPicked = c.handle;
        f.renderer.ComputeDragDirection();
        EXPECT_FLOAT_EQ(f.renderer.m_fDragDirX, c.dirX) << c.mode << "/" << c.handle;
        EXPECT_FLOAT_EQ(f.renderer.m_fDragDirY, c.dirY) << c.mode << "/" << c.handle;
    }

    struct Move {
        int dx, dy;
        double delta; // change of face 0 (handle 0, direction +x)
    };
    for (Move m : {Move{0, 0, 1}, Move{3, 4, 5}, Move{-3, 4, -5}, Move{0, 7, 7}}) {
        BoxFixture f;
        f.renderer.SetClipExtents(100, 10, 10, 10);
        f.renderer.m_nRenderMode = kRenderCutPlanes;
        f.renderer.m_nPicked = 0;
        f.renderer.ComputeDragDirection();
        f.renderer.Drag(m.dx, m.dy);
        EXPECT_DOUBLE_EQ(f.D(0), 11 + m.delta) << m.dx << "," << m.dy;
    }
    BoxFixture f;
    f.renderer.m_nPicked = 0;
    f.renderer.Drag(5, 0); // normal mode: nothing moves
    EXPECT_EQ(f.D(0), 1);
}

TEST(CutPlaneBox, AttachModelResetsTheBox)
{
    BoxFixture f;
    f.renderer.SetClipExtents(50, 5, 6, 7);
    f.renderer.RotateCutPlaneBy(90);
    f.renderer.m_nFaceMask = 5;
    f.renderer.MoveFace2(-3);
    f.renderer.AttachModel(nullptr);
    EXPECT_EQ(f.renderer.m_nFaceMask, 63);
    EXPECT_EQ(f.renderer.m_dMaxDistance, 1);
    EXPECT_EQ(f.renderer.m_nPlaneRotation, 0);
    EXPECT_EQ(f.renderer.m_vU, CVector3(0, 1, 0));
    EXPECT_EQ(f.D(2), 7);
    EXPECT_EQ(f.D(4), 8);
    // The drawn face follows the reset distance.
    EXPECT_NEAR(f.renderer.m_vFaceQuads[2][0].y, 7, 1e-5);
}

TEST(CutPlaneBox, ClipPlanesFollowTheFaceMask)
{
    BoxFixture f;
    f.renderer.m_nFaceMask = 0b100101;
    f.surface.m_aCalls.clear();
    f.renderer.EnableClipPlanes(true);
    auto planes = f.surface.CallsOf("glClipPlane");
    ASSERT_EQ(planes.size(), 3u);
    EXPECT_EQ(planes[1].args, (std::vector<double>{GL_CLIP_PLANE2, 0, -1, 0, 1}));
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(f.surface.m_enabled.count(GL_CLIP_PLANE0 + i), (f.renderer.m_nFaceMask >> i) & 1u) << i;
    f.renderer.EnableClipPlanes(false);
    EXPECT_FALSE(f.renderer.m_bClipEnabled);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(f.surface.m_enabled.count(GL_CLIP_PLANE0 + i), 0u);
}

namespace {
// Places the box planes at voxel positions along x (from voxel 0), u (from
// the bottom row up) and v, in voxel units, over a volume centred as the
// volume renderers centre it.
struct ClipFixture : BoxFixture {
    CVolume volume{8, 6, 4, 8};
    ClipFixture(float sx, float sy, float sz)
    {
        volume.m_fScaleX = sx;
        volume.m_fScaleY = sy;
        volume.m_fScaleZ = sz;
        renderer.AttachModel(&volume);
        const float half[3] = {8 * sx / 2, 6 * sy / 2, 4 * sz / 2};
        for (int a = 0; a < 3; ++a) {
            renderer.m_fBox[2 * a] = -half[a];
            renderer.m_fBox[2 * a + 1] = half[a];
        }
    }
    void Place(double xlo, double xhi, double ylo, double yhi, double zlo, double zhi)
    {
        const double s[3] = {volume.m_fScaleX, volume.m_fScaleY, volume.m_fScaleZ};
        const double lo[3] = {xlo, ylo, zlo}, hi[3] = {xhi, yhi, zhi};
        for (int a = 0; a < 3; ++a) {
            const double min = renderer.m_fBox[2 * a];
            renderer.m_dPlanes[2 * a][3] = min + hi[a] * s[a];        // faces 0, 2, 4 keep p <= d
            renderer.m_dPlanes[2 * a + 1][3] = -(min + lo[a] * s[a]); // faces 1, 3, 5 keep p >= -d
        }
    }
};
} // namespace

TEST(CutPlaneBox, VoxelBoundsAreTheVoxelsShown)
{
    struct Case {
        double xlo, xhi, ylo, yhi, zlo, zhi;
        std::array<int, 6> want; // x0, x1, y0, y1, z0, z1
        const char* why;
    };
    const Case cases[] = {
        // Planes a quarter into voxels: exactly the voxels cut into are kept.
        // Rows up 1..3 from the bottom of six are rows 4..2.
        {2.25, 5.25, 1.25, 3.25, 0.25, 2.25, {2, 5, 4, 2, 0, 2}, "partial box"},
        {0.25, 0.25, 0.25, 0.25, 3.25, 3.25, {0, 0, 5, 5, 3, 3}, "one voxel at the bottom row"},
        {-1, 9, -1, 7, -1, 5, {0, 7, 5, 0, 0, 3}, "the full box with its margin of one"},
        {0, 1, 0, 1, 0, 1, {0, 1, 5, 4, 0, 1}, "a slab on the bottom is not empty"},
        {7.25, 7.25, 5.25, 5.25, 1.25, 1.25, {7, 7, 0, 0, 1, 1}, "top row"},
    };
    for (float scale : {1.0f, 0.5f, 2.5f})
        for (const Case& c : cases) {
            ClipFixture f(scale, scale * 0.75f, 1.0f);
            f.Place(c.xlo, c.xhi, c.ylo, c.yhi, c.zlo, c.zhi);
            std::array<std::int32_t, 6> got{};
            f.renderer.ClipBoxToVoxelBounds(got[0], got[1], got[2], got[3], got[4], got[5]);
            EXPECT_EQ(got, (std::array<std::int32_t, 6>{c.want[0], c.want[1], c.want[2], c.want[3], c.want[4],
                                                        c.want[5]}))
                << c.why << " at scale " << scale;
        }
}

TEST(CutPlaneBox, VoxelBoundsOfTheYAxisMirrorTheXRule)
{
    // A square volume: the same planes along x and along u give rows counted
    // from the other end.
    CRecordingSurface surface;
    CMeshRenderer r(nullptr, &surface, 100, 100);
    CVolume volume(6, 6, 2, 8);
    r.AttachModel(&volume);
    for (int a = 0; a < 3; ++a) {
        r.m_fBox[2 * a] = a < 2 ? -3 : -1;
        r.m_fBox[2 * a + 1] = a < 2 ? 3 : 1;
    }
    for (double lo : {-0.9, 0.4, 1.6, 2.5})
        for (double hi : {2.6, 3.1, 4.4, 5.0}) {
            r.m_dPlanes[0][3] = r.m_dPlanes[2][3] = -3 + hi;
            r.m_dPlanes[1][3] = r.m_dPlanes[3][3] = -(-3 + lo);
            std::int32_t x0, x1, y0, y1, z0, z1;
            r.ClipBoxToVoxelBounds(x0, x1, y0, y1, z0, z1);
            EXPECT_EQ(y0, 5 - x0) << lo << ".." << hi;
            EXPECT_EQ(y1, 5 - x1) << lo << ".." << hi;
        }
    GlMakeCurrent(nullptr, nullptr);
}

TEST(CutPlaneBox, OverlaysMarkThePickedFaceAndPlane)
{
    BoxFixture f;
    f.renderer.m_nFaceMask = 63 & ~32; // face 5 hidden
    f.renderer.m_nPicked = 3;          // handle 3 is face 1
    f.surface.m_aCalls.clear();
    f.renderer.DrawCutPlaneBox();
    auto colours = f.surface.CallsOf("glColor3f");
    ASSERT_EQ(colours.size(), 5u);
    const std::vector<double> red{1, 0, 0}, blue{0, 0, 1};
    for (std::size_t face = 0; face < 5; ++face)
        EXPECT_EQ(colours[face].args, face == 1 ? red : blue) << "face " << face;
    EXPECT_EQ(f.surface.CallsOf("glBegin").size(), 6u) << "five outlines and one set of ticks";
    // Ticks run along n through each corner of face 1.
    auto vertices = f.surface.CallsOf("glVertex3f");
    const CVector3 corner = f.renderer.m_vFaceQuads[1][0];
    const std::size_t firstTick = 4; // after face 0's outline
    EXPECT_NEAR(vertices[firstTick].args[0], corner.x + 0.05, 1e-6);
    EXPECT_NEAR(vertices[firstTick + 1].args[0], corner.x - 0.05, 1e-6);

    f.surface.m_aCalls.clear();
    f.renderer.m_nPicked = 1;
    f.renderer.DrawMprFrames({10, 10, 10}, {-10, -10, -10}, {1, 2, 3});
    colours = f.surface.CallsOf("glColor3f");
    ASSERT_EQ(colours.size(), 3u);
    EXPECT_EQ(colours[0].args, (std::vector<double>{0, 0, 1}));
    EXPECT_EQ(colours[1].args, (std::vector<double>{1, 0, 0}));
    EXPECT_EQ(f.surface.CallsOf("glVertex3f")[4].args, (std::vector<double>{-11, 2, -11})) << "y plane at p.y";
}
