#include "render/MeshRenderer.h"

#include <algorithm>

#include "data/Mesh.h"
#include "platform/GlDispatch.h"

CMeshRenderer::CMeshRenderer(CModel* model, IGlSurface* dc, int width, int height)
    : CRenderer(model, dc, width, height)
{
    SetModel(model);
    SetDescription("Mesh rendering using OpenGL vertex array");
    CreateContext(dc);
}

CMeshRenderer::~CMeshRenderer()
{
    CloseOwnContext();
}

void CMeshRenderer::SetModel(CModel* model)
{
    m_pMesh = model && model->IsMesh() ? static_cast<CMesh*>(model) : nullptr;
}

void CMeshRenderer::BeginFrame(IGlSurface* dc, COLORREF background, IGlContext* context)
{
    BeginFrameCommon(dc, background, context);
}

void CMeshRenderer::CreateContext(IGlSurface* dc)
{
    if (!OpenOwnContext(dc))
        return;
    const CGlDispatch& gl = Gl();
    gl.Enable(GL_LIGHT0);
    gl.Enable(GL_LIGHTING);
    gl.Lightfv(GL_LIGHT0, GL_POSITION, m_fLightPos);
    gl.Enable(GL_DEPTH_TEST);
    gl.Enable(GL_CULL_FACE);
    gl.Enable(GL_COLOR_MATERIAL);
    gl.Disable(GL_LINE_SMOOTH);
    gl.Disable(GL_POINT_SMOOTH);
    gl.Enable(GL_POLYGON_SMOOTH);
    const GLfloat specular[4] = {0.6f, 0.6f, 0.6f, 1.0f};
    gl.Materialfv(GL_FRONT, GL_SPECULAR, specular);
    gl.Materiali(GL_FRONT, GL_SHININESS, 40);
    gl.ColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    gl.ClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    gl.Viewport(0, 0, m_nWidth, m_nHeight);
    Zoom(0);
}

void CMeshRenderer::Render(IGlSurface* dc, bool swap)
{
    IGlContext* current = GlGetCurrentContext();
    GlMakeCurrent(dc, current ? current : m_hGLRC.get());
    const CGlDispatch& gl = Gl();
    if (m_pMesh) {
        gl.PushMatrix();
        float m[16];
        QuatToMatrix(m_pMesh->m_qOrientation, m);
        gl.MultMatrixf(m);
        m_pMesh->UpdateCentre();
        const CVector3& c = m_pMesh->m_vCentre;
        gl.Translatef(-c.x, -c.y, -c.z);
        DrawMesh(*m_pMesh);
        gl.PopMatrix();
    }
    gl.Flush();
    if (swap && dc)
        dc->SwapBuffers();
}

void CMeshRenderer::DrawMesh(CMesh& mesh)
{
    if (mesh.m_bDirty)
        mesh.UpdateBounds();
    if (!mesh.m_pVertices || mesh.m_nIndices <= 0 || !mesh.m_pIndices)
        return;
    const CGlDispatch& gl = Gl();
    gl.PushMatrix();
    if (mesh.m_bSolid) {
        gl.FrontFace(mesh.m_bClockwise ? GL_CW : GL_CCW);
        gl.Color3f(mesh.m_vSolidColour.x, mesh.m_vSolidColour.y, mesh.m_vSolidColour.z);
        gl.Enable(GL_COLOR_MATERIAL);
        gl.DisableClientState(GL_COLOR_ARRAY);
        gl.EnableClientState(GL_VERTEX_ARRAY);
        gl.VertexPointer(3, GL_FLOAT, 12, mesh.m_pVertices.get());
        if (mesh.m_pNormals) {
            gl.EnableClientState(GL_NORMAL_ARRAY);
            gl.NormalPointer(GL_FLOAT, 12, mesh.m_pNormals.get());
        } else {
            // Without normals the array would be read from nowhere.
            gl.DisableClientState(GL_NORMAL_ARRAY);
            gl.Normal3f(0.0f, 0.0f, 1.0f);
        }
        gl.Disable(GL_CULL_FACE);
        gl.Enable(GL_LIGHTING);
        gl.PolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        gl.Disable(GL_LINE_SMOOTH);
    } else {
        gl.Color3f(mesh.m_vWireColour.x, mesh.m_vWireColour.y, mesh.m_vWireColour.z);
        gl.DisableClientState(GL_COLOR_ARRAY);
        gl.DisableClientState(GL_NORMAL_ARRAY);
        gl.EnableClientState(GL_VERTEX_ARRAY);
        gl.VertexPointer(3, GL_FLOAT, 12, mesh.m_pVertices.get());
        gl.Disable(GL_CULL_FACE);
        gl.Disable(GL_LIGHTING);
        gl.PolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        gl.Enable(GL_LINE_SMOOTH);
    }
    gl.Enable(GL_POLYGON_SMOOTH);

    const GLenum primitive = GLenum(mesh.m_nPrimitive);
    const std::int32_t* indices = mesh.m_pIndices.get();
    if (!mesh.m_aGroups.empty()) {
        for (const CMeshGroup& g : mesh.m_aGroups) {
            // A group reaching past the index list draws only what exists.
            if (g.m_nFirstIndex < 0 || g.m_nFirstIndex >= mesh.m_nIndices || g.m_nIndexCount <= 0)
                continue;
            const int count = std::min(g.m_nIndexCount, mesh.m_nIndices - g.m_nFirstIndex);
            gl.DrawElements(primitive, count, GL_UNSIGNED_INT, indices + g.m_nFirstIndex);
        }
    } else {
        gl.DrawElements(primitive, mesh.m_nIndices, GL_UNSIGNED_INT, indices);
    }
    gl.PopMatrix();
    gl.DisableClientState(GL_VERTEX_ARRAY);
    gl.DisableClientState(GL_NORMAL_ARRAY);
    gl.FrontFace(GL_CCW);
}
