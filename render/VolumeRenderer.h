#pragma once
#include <cstdint>
#include <memory>

#include "platform/GlDispatch.h"
#include "render/Renderer.h"

class CVolume;

// Base of the texture-based volume renderers. It owns the frame: the texture
// rebuild on demand, the model rotation, the trajectory line, the GL state of
// each render mode with its clip planes, and the call of the subclass's slice
// drawing. Subclasses convert the voxels into the staging buffer, upload it
// and draw the slices.
//
// A build that cannot get the voxels or the staging memory says so once,
// leaves the textures missing and draws nothing; it is tried again only when
// m_bTexturesDirty is set anew (a new model, changed voxels, changed options).
class CVolumeRenderer : public CRenderer {
public:
    ~CVolumeRenderer() override;

    void BeginFrame(IGlSurface* dc, COLORREF background, IGlContext* context) override;
    void Render(IGlSurface* dc, bool swap) override;
    // 1 the normal view, 2 MIP (needs the blend min/max extension).
    bool SupportsFeature(int feature) override;
    // The model-space direction from the volume's current point towards the
    // window point (x, y downward) on the near plane.
    void ScreenToModelDir(int x, int y, CVector3& out) override;
    void SetModel(CModel* model) override;
    // Mode 2 moves the picked MPR plane, mode 3 the picked cut face.
    void Drag(int dx, int dy) override;
    void OnOptionsChanged() override;

    virtual void DrawSlices() {}
    virtual void CreateContext(IGlSurface* dc);
    // Looks up the blend equation; subclasses add their entry points.
    virtual void InitExtensions();
    // A zero-filled buffer of the texture size times m_nBits / 8 bytes, the
    // old textures freed first; false for an empty size, a size beyond
    // INT32_MAX bytes, or no memory.
    virtual bool AllocStagingBuffer();
    virtual void FreeTextures();
    // Converts and uploads the volume, clearing m_bTexturesDirty.
    virtual void BuildTextures() = 0;

    // Moves the current point along the picked MPR axis, inside the box.
    void MoveMprSlice(double amount);
    // Moves the cut face of the picked handle.
    void MoveCutFace(double amount);

    CVolume* m_pVolume = nullptr;
    std::int32_t m_nTexWidth = 0, m_nTexHeight = 0, m_nTexDepth = 0;
    std::int32_t m_nBits = 0;
    std::int32_t m_nBytesPerVoxel = 0;
    std::unique_ptr<std::uint8_t[]> m_pStaging;
    std::int32_t m_nStagingVoxels = 0;
    std::int32_t m_nStagingBytes = 0;
    CVector3 m_vBoxMin, m_vBoxMax;
    bool m_bHasBlendMinMax = false;
    PFNGLBLENDEQUATIONEXTPROC m_pfnBlendEquationEXT = nullptr;

    // The volume as the geometry step took it.
    std::int32_t m_nDimX = 0, m_nDimY = 0, m_nDimZ = 0;
    float m_fSpacingX = 1.0f, m_fSpacingY = 1.0f, m_fSpacingZ = 1.0f;
    float m_fHalfDimX = 0.0f, m_fHalfDimY = 0.0f, m_fHalfDimZ = 0.0f;

    // The last build failed: nothing is drawn until a build succeeds.
    bool m_bTexturesMissing = false;

protected:
    // For the leaves whose table edits reach the picture without a rebuild.
    static constexpr bool kAutoUpdate = true;

    CVolumeRenderer(CModel* model, IGlSurface* dc, int width, int height, const char* description,
                    bool autoUpdate);

    // Builds, remembering whether it worked.
    void RebuildTextures();
    // The failure of a build: the message once, the textures missing.
    void BuildFailed();
    // The smallest power of two not below the dimension, at least 2.
    static std::int32_t TextureSize(std::int32_t dimension);
    // GL objects are deleted in the context that made them.
    void MakeOwnContextCurrent();
    // Spacing, box, radius, camera and clip extents from the volume, as
    // both texture families take them; the camera and the clip extents only
    // when the box or the model changed since they were last fitted.
    void ComputeBoxGeometry();
    // A table edit of the classes that colour on upload: the next frame
    // rebuilds; without textures the next build reads the new table anyway.
    void RebuildOnTableChange();
    // A table edit of the classes that colour after upload (a palette, a
    // lookup texture): a pending build reads the new table; otherwise only
    // the table's own GL object is replaced.
    template <typename Replace> void ReplaceTableOrRebuild(Replace replace)
    {
        if (m_bTexturesDirty)
            RebuildTextures();
        else if (!m_bTexturesMissing)
            replace();
    }
    // The same for a lookup texture, which needs its unit selected: a name
    // the GL does not know is made (when zero) and uploaded whole, a known
    // one only has its texels replaced.
    template <typename Upload, typename Replace>
    void ReplaceLookupTexture(GLuint& texture, bool canSelectUnit, Upload upload, Replace replace)
    {
        ReplaceTableOrRebuild([&] {
            if (!canSelectUnit)
                return;
            const CGlDispatch& gl = Gl();
            if (gl.IsTexture(texture)) {
                replace();
                return;
            }
            if (!texture)
                gl.GenTextures(1, &texture);
            upload();
        });
    }

private:
    // The camera and the cut-plane box were fitted to m_fBox of the model
    // now attached.
    bool m_bViewFitted = false;

    void LineState();
    void CompositingBlend();
    void DrawTrajectory();
    void ReportGlError();
};

// 16-bit voxel to 8-bit texel as the staging rescale rounds it.
inline std::uint8_t RescaleTo8Bit(std::uint16_t v) { return std::uint8_t(v / 65535.0 * 255.0 + 0.5); }
