#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "data/Vector3.h"
#include "platform/GlSurface.h"
#include "platform/Types.h"

class CAppSettings;
class CModel;
class CTransferFunction;

// The look-at camera as passed to gluLookAt.
struct CameraLookAt {
    CVector3 eye;
    CVector3 centre;
    CVector3 up;
};

// 256 entries of R, G, B, A bytes: entry i, channel c at byte 4i + c.
using RgbaLookupTable = std::array<std::uint8_t, 4 * 256>;
// 256 entries of B, G, R bytes.
using BgrPalette = std::array<std::uint8_t, 3 * 256>;

// Render modes as the view sets them.
enum RenderMode : std::int32_t {
    kRenderNormal = 0,
    kRenderMip = 1,
    kRenderMpr = 2,
    kRenderCutPlanes = 3,
    kRenderFlyThrough = 4,
};

// Abstract renderer of one model into one window through its own GL context:
// projection and look-at camera, render mode, the cut-plane box with its
// picking and dragging, the RGBA lookup table, the BGR palette and, for a
// volume, its transfer function. The window's surface stands for the device
// context; every GL call goes through the dispatch of the current surface.
// The cut-plane box, picking and dragging are in RendererCutPlanes.cpp.
class CRenderer {
public:
    CRenderer(const CRenderer&) = delete;
    CRenderer& operator=(const CRenderer&) = delete;
    virtual ~CRenderer();

    virtual void BeginFrame(IGlSurface* dc, COLORREF background, IGlContext* context) = 0;
    virtual void Render(IGlSurface* dc, bool swap) = 0;
    // Feature 1 the normal volume view, 2 the MIP view.
    virtual bool SupportsFeature(int feature) = 0;
    virtual void ScreenToModelDir(int x, int y, CVector3& out);
    virtual void SetModel(CModel* /*model*/) {}
    virtual void EnableTexturing(bool /*enable*/) {}
    virtual void UpdateLookupTable() {}
    virtual void OnModeChanged() {}
    virtual void ComputeShellGrid() {}
    // Flat-coloured targets of PickFace: the cut-plane faces in mode 3, the
    // MPR planes of a volume model over m_fBox in mode 2.
    virtual void DrawPickTargets();
    virtual void ComputeDragDirection();
    // Moves the picked cut-plane face by a mouse move in mode 3; the volume
    // renderer adds the MPR planes of mode 2.
    virtual void Drag(int dx, int dy);
    virtual void OnOptionsChanged() {}
    virtual void ComputeGeometry() {}
    virtual void OnResize(int /*width*/, int /*height*/) {}
    virtual void RotateCutPlaneBy(int degrees);

    void AttachModel(CModel* model);
    void ResetCamera();
    void Zoom(int wheel);
    // Each argument greater than 0 replaces the stored value, 0 keeps it.
    void SetPerspective(double fovy, double zNear, double zFar, double aspect);
    void Resize(int width, int height);

    // Cut-plane box.
    void UpdateClipPlanes(const CVector3& n, const CVector3& u, const CVector3& v);
    void SetClipExtents(double limit, float halfX, float halfY, float halfZ);
    void MoveFace0(double amount) { MoveFace(0, amount); }
    void MoveFace1(double amount) { MoveFace(1, amount); }
    void MoveFace2(double amount) { MoveFace(2, amount); }
    void MoveFace3(double amount) { MoveFace(3, amount); }
    void MoveFace4(double amount) { MoveFace(4, amount); }
    void MoveFace5(double amount) { MoveFace(5, amount); }
    void ComputeFaceQuads();
    void EnableClipPlanes(bool enable);
    // Window pixels, y downward; the handle 0..5 or -1, also in m_nPicked.
    int PickFace(int x, int y);
    void RotateCutPlaneByDrag(int x, int y);
    void DrawMprPickPlanes(const CVector3& boxMax, const CVector3& boxMin, const CVector3& p);
    void DrawCutPlaneFaces();
    void DrawMprFrames(const CVector3& boxMax, const CVector3& boxMin, const CVector3& p);
    void DrawCutPlaneBox();
    // Voxel index bounds of the box for the crop, each within the volume.
    void ClipBoxToVoxelBounds(std::int32_t& x0, std::int32_t& x1, std::int32_t& y0, std::int32_t& y1,
                              std::int32_t& z0, std::int32_t& z1);

    CAppSettings* m_pSettings = nullptr;
    bool m_bAutoUpdate = false;
    CModel* m_pModel = nullptr;
    std::int32_t m_nRenderMode = kRenderNormal;
    std::unique_ptr<IGlContext> m_hGLRC;
    IGlSurface* m_hDC = nullptr;
    std::int32_t m_nWidth = 0, m_nHeight = 0;
    float m_fRadius = 1.0f;
    double m_dFovY = 30.0;
    double m_dAspect = 1.0;
    double m_dNear = 0.0, m_dFar = 0.0;
    CameraLookAt m_CameraLookAt;
    float m_mModel[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::int32_t m_nPicked = -1;
    float m_fDragDirX = 0.0f, m_fDragDirY = 0.0f;
    double m_dPlanes[6][4] = {};
    CVector3 m_vN{1, 0, 0}, m_vU{0, 1, 0}, m_vV{0, 0, 1};
    std::int32_t m_nPlaneRotation = 0;
    CVector3 m_vRefU{0, 1, 0}, m_vRefV{0, 0, 1};
    double m_dMaxDistance = 1.0;
    CVector3 m_vExtent{1, 1, 1};
    CVector3 m_vEdge[12];
    bool m_bClipEnabled = false;
    std::uint8_t m_nFaceMask = 63;
    float m_fBox[6] = {};
    CVector3 m_vTexScale{1, 1, 1};
    CVector3 m_vPickPoint;
    bool m_bTexturesDirty = true;
    std::string m_pszDescription; // at most 131 characters
    std::unique_ptr<RgbaLookupTable> m_pRgbaTable;
    std::unique_ptr<BgrPalette> m_pBgrPalette;
    std::unique_ptr<CTransferFunction> m_pTransferFunction;
    CVector3 m_vFaceQuads[6][4];

protected:
    CRenderer(CModel* model, IGlSurface* dc, int width, int height);

    // The body every concrete BeginFrame shares.
    void BeginFrameCommon(IGlSurface* dc, COLORREF background, IGlContext* context);
    // The renderer pixel format on the surface, then a context of our own
    // made current on it; false when any step fails.
    bool OpenOwnContext(IGlSurface* dc);
    // No context current any more, then ours deleted.
    void CloseOwnContext();
    void SetDescription(const std::string& text);
    // Handle 0..5 of mode 3 to face 0, 2, 4, 1, 3, 5; other handles nothing.
    void MoveCutFaceByHandle(int handle, double amount);
    // The signed move of a drag along the picked handle's direction.
    double DragAmount(int dx, int dy) const;

private:
    void MoveFace(int face, double amount);
    void ResetCutPlaneBasis();
    void WritePlaneNormals();
    void PlaneDistancesToExtents();
};
