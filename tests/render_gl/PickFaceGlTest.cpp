#include <gtest/gtest.h>

#include "data/Mesh.h"
#include "data/Quaternion.h"
#include "data/Volume.h"
#include "platform/GlDispatch.h"
#include "platform/offscreen/OffscreenSurface.h"
#include "render/MeshRenderer.h"

namespace {
// Only the volume renderers are picked, and their contexts draw unlit; the
// mesh renderer stands in for them here with its lighting switched off.
void AsVolumeRenderer() { Gl().Disable(GL_LIGHTING); }

// A renderer whose camera fits a model of size 100, with a box of half
// extent 21 around the origin, seen from +z.
struct PickScene {
    COffMesh mesh;
    COffscreenSurface surface{64, 64};
    CMeshRenderer renderer{nullptr, &surface, 64, 64};
    PickScene()
    {
        mesh.SetVertexCount(2);
        mesh.m_pVertices[1] = {100, 0, 0};
        mesh.m_bDirty = true;
        renderer.AttachModel(&mesh);
        renderer.SetClipExtents(50, 20, 20, 20);
        renderer.m_nRenderMode = kRenderCutPlanes;
        AsVolumeRenderer();
    }
};
} // namespace

TEST(PickFaceGl, BrightAndDarkHandlesAndBackground)
{
    struct Case {
        std::uint8_t mask;
        int x, y;
        int handle;
        const char* why;
    };
    const Case cases[] = {
        {63, 32, 32, 2, "the +v face in front: bright blue"},
        {63 & ~16, 32, 32, 5, "without it the -v face shows: dark blue"},
        {63, 2, 2, -1, "background"},
        {0, 32, 32, -1, "no face shown"},
    };
    for (const Case& c : cases) {
        PickScene s;
        s.renderer.m_nFaceMask = c.mask;
        EXPECT_EQ(s.renderer.PickFace(c.x, c.y), c.handle) << c.why;
        EXPECT_EQ(s.renderer.m_nPicked, c.handle) << c.why;
    }
}

TEST(PickFaceGl, TurnedBoxShowsAnNFace)
{
    PickScene s;
    QuatToMatrix(AxisAngleToQuat(CVector3(0, 1, 0), 90.0f * kDegToRad), s.renderer.m_mModel);
    // Whichever end of n the turn brings to the front is picked.
    const int want = s.renderer.m_mModel[2] > 0 ? 0 : 3;
    EXPECT_EQ(s.renderer.PickFace(32, 32), want);
}

TEST(PickFaceGl, MprPlanesOfAVolume)
{
    CVolume volume(20, 20, 20, 8);
    COffscreenSurface surface(64, 64);
    CMeshRenderer renderer(nullptr, &surface, 64, 64);
    renderer.AttachModel(&volume);
    for (int a = 0; a < 3; ++a) {
        renderer.m_fBox[2 * a] = -10;
        renderer.m_fBox[2 * a + 1] = 10;
    }
    renderer.m_nRenderMode = kRenderMpr;
    AsVolumeRenderer();
    EXPECT_EQ(renderer.PickFace(40, 24), 2) << "the z plane faces the camera";
    EXPECT_EQ(renderer.PickFace(1, 1), -1);
}
