#include "render/StereoPair.h"

#include <optional>

#include "data/Colour.h"
#include "data/Mesh.h"
#include "platform/GlDispatch.h"
#include "platform/Glu.h"
#include "render/Renderer.h"

namespace {
constexpr COLORREF kWhite = 0x00FFFFFF;

void SetEyeCamera(const CGlDispatch& gl, const StereoFrustum& f, const CVector3& eye, const StereoGeometry& g)
{
    gl.MatrixMode(GL_PROJECTION);
    gl.LoadIdentity();
    gl.Frustum(f[0], f[1], f[2], f[3], f[4], f[5]);
    gl.MatrixMode(GL_MODELVIEW);
    gl.LoadIdentity();
    GluLookAt(eye.x, eye.y, eye.z, g.centre.x, g.centre.y, g.centre.z, g.up.x, g.up.y, g.up.z);
}

void ApplyMask(const CGlDispatch& gl, const ColourMask& m) { gl.ColorMask(m.red, m.green, m.blue, GL_TRUE); }

// A mesh is drawn white in both eyes of an anaglyph, so that each eye's
// mask passes the same brightness; its own colours come back after.
class WhiteMesh {
public:
    explicit WhiteMesh(CModel* model) : m_pMesh(model && model->IsMesh() ? static_cast<CMesh*>(model) : nullptr)
    {
        if (!m_pMesh)
            return;
        m_crSolid = m_pMesh->m_crSolid;
        m_crWire = m_pMesh->m_crWire;
        m_vSolid = m_pMesh->m_vSolidColour;
        m_vWire = m_pMesh->m_vWireColour;
        m_pMesh->m_crSolid = m_pMesh->m_crWire = kWhite;
        ColorRefToRGB(kWhite, m_pMesh->m_vSolidColour);
        ColorRefToRGB(kWhite, m_pMesh->m_vWireColour);
    }
    ~WhiteMesh()
    {
        if (!m_pMesh)
            return;
        m_pMesh->m_crSolid = m_crSolid;
        m_pMesh->m_crWire = m_crWire;
        m_pMesh->m_vSolidColour = m_vSolid;
        m_pMesh->m_vWireColour = m_vWire;
    }
    WhiteMesh(const WhiteMesh&) = delete;
    WhiteMesh& operator=(const WhiteMesh&) = delete;

private:
    CMesh* m_pMesh;
    COLORREF m_crSolid = 0, m_crWire = 0;
    CVector3 m_vSolid, m_vWire;
};
} // namespace

void RenderStereoPair(CRenderer* renderer, IGlSurface* dc, const StereoPairRequest& request)
{
    if (!renderer || !dc || !request.geometry)
        return;
    const StereoGeometry& g = *request.geometry;
    const bool anaglyph = request.method == kStereoAnaglyph;

    // One clear for both eyes.
    renderer->BeginFrame(dc, request.background, nullptr);
    const CGlDispatch& gl = Gl();
    GLint viewport[4] = {0, 0, 0, 0};
    gl.GetIntegerv(GL_VIEWPORT, viewport);
    gl.MatrixMode(GL_PROJECTION);
    gl.PushMatrix();
    gl.MatrixMode(GL_MODELVIEW);
    gl.PushMatrix();

    gl.Viewport(0, 0, g.viewWidth, g.viewHeight);
    SetEyeCamera(gl, g.leftFrustum, g.leftEye, g);
    {
        std::optional<WhiteMesh> white;
        if (anaglyph) {
            white.emplace(renderer->m_pModel);
            ApplyMask(gl, LeftEyeMask(request.glasses));
        }
        renderer->Render(dc, false);

        if (!anaglyph)
            gl.Viewport(g.viewWidth, 0, g.viewWidth, g.viewHeight);
        SetEyeCamera(gl, g.rightFrustum, g.rightEye, g);
        if (anaglyph) {
            ApplyMask(gl, RightEyeMask(request.glasses));
            gl.Clear(GL_DEPTH_BUFFER_BIT);
        }
        renderer->Render(dc, request.swap);
    }
    if (anaglyph)
        gl.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

    gl.MatrixMode(GL_PROJECTION);
    gl.PopMatrix();
    gl.MatrixMode(GL_MODELVIEW);
    gl.PopMatrix();
    gl.Viewport(viewport[0], viewport[1], viewport[2], viewport[3]);
}
