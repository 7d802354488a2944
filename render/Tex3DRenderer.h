#pragma once
#include <array>
#include <cstdint>

#include "render/VolumeRenderer.h"

// Draws a volume from one 3D texture sampled by a stack of view-aligned
// slices (Cullip and Neumann, 1993; Van Gelder and Kim, 1996): every frame
// the slices face the viewer, back to front, while object-linear texture
// coordinates, turned by the inverse of the model rotation in the texture
// matrix, carry each slice point back into the volume. The slices are flat
// quads, or shells built from an N x N lattice (whole-volume or
// view-frustum), so that the sampling distance bends with the view rays.
// In the multi-planar mode three textured planes through the volume's
// current point are drawn instead, in model coordinates.
//
// Staging volume: X x Y x Z texels (the power-of-two sizes) with the volume
// centred in the padded block, offsets o = (size - dimension) / 2 per axis,
// and rows flipped over the padded height: voxel (x, y, z) lies at column
// x + ox, row Y - 1 - oy - y, slice z + oz, texel index
// column + (slice * Y + row) * X.
//
// Texture coordinates: a point p of a slice (model units, before the model
// rotation) is generated as p / M + 0.5 with M the largest texture edge;
// the texture matrix then takes 0.5 + S R^-1 (g - 0.5) with S_i =
// M / spacing_i / size_i, which is R^-1 p / (spacing * size) + 0.5, the
// point's texel in the centred block, whatever the texture's shape. The
// planes of the multi-planar mode use 1 / (size_i * spacing_i) directly
// under an identity texture matrix.
//
// Empty-space skipping: while a texel of zero bytes samples as clear
// (always for plain intensity, for the classified leaves when table entry
// 0 is (0, 0, 0, 0)), each slice is drawn only where it crosses the box of
// the voxels that are not zero, widened by what linear filtering reaches:
// flat slices as that convex polygon, shells as their lattice
// triangles cut by it. Outside that box a fragment samples zeros
// only, which neither compositing nor MIP can see, so the pixels are those
// of the whole slices. (Proxy geometry clipped to the volume's bounds, as
// in Engel et al., Real-Time Volume Graphics, 2006, chapters 3 and 8.)
// m_bSkipEmptySpace off draws every slice whole, as the reference.
//
// The classification leaves decide the texture format and how the lookup
// table colours the samples.
class CTex3DRenderer : public CVolumeRenderer {
public:
    static constexpr int kMaxLattice = 32;

    ~CTex3DRenderer() override;

    // Stores the model and builds the whole-volume lattice.
    void SetModel(CModel* model) override;
    // The texgen planes differ in the multi-planar mode.
    void OnModeChanged() override;
    // The view-frustum lattice for the current projection.
    void ComputeShellGrid() override;
    // The lattice size from the settings, 8..32; a change rebuilds both
    // lattices and the texture, and keeps the camera and the cut faces.
    void OnOptionsChanged() override;
    // The box as the 2D family takes it, the texture scale, the slice
    // depths and the whole-volume lattice of the new radius.
    void ComputeGeometry() override;
    void DrawSlices() override;
    // Fetches glTexImage3D (when the driver names 3D textures), then the
    // blend equation.
    void InitExtensions() override;
    void FreeTextures() override;
    // The part of the build every leaf shares: the staging volume and the
    // texture name.
    void BuildTextures() override;

    // Makes active the texture unit the volume lives on; the volume
    // texture is created right after.
    virtual void SelectVolumeTextureUnit() {}
    virtual void DrawMprPlanes();
    virtual void SetupTexGen();

    // One lattice point: x, y and the sag subtracted from the slice depth.
    struct LatticePoint {
        float x = 0.0f, y = 0.0f, sag = 0.0f;
    };
    using Lattice = std::array<LatticePoint, kMaxLattice * kMaxLattice>;

    std::int32_t m_nLatticePoints = 8;
    float m_fMaxTexEdge = 0.0f;
    float m_fFirstSlice = 0.0f, m_fLastSlice = 0.0f;
    double m_dFrustumHeight = 0.0, m_dFrustumWidth = 0.0;
    GLuint m_nTexture3D = 0;
    // The first N x N points are used, point k = i * N + j.
    Lattice m_aViewLattice{};
    Lattice m_aVolumeLattice{};
    PFNGLTEXIMAGE3DPROC m_pfnTexImage3D = nullptr;

    // The voxels that are not zero, in voxel indices, half-open; empty when
    // nothing is.
    struct VoxelBox {
        std::int32_t x0 = 0, x1 = 0, y0 = 0, y1 = 0, z0 = 0, z1 = 0;
        bool Empty() const { return x0 >= x1 || y0 >= y1 || z0 >= z1; }
    };
    VoxelBox m_occupied;
    // Whether m_occupied is that of the texture now uploaded.
    bool m_bOccupiedKnown = false;
    bool m_bSkipEmptySpace = true;

protected:
    CTex3DRenderer(CModel* model, IGlSurface* dc, int width, int height, const char* description,
                   bool autoUpdate = false);

    // Locks the voxels, takes the geometry, allocates and fills the
    // staging volume and makes the texture name; false (after the message)
    // when it cannot.
    bool StageVolume();
    // Binds the volume texture, sets its parameters and uploads the
    // staging volume, then frees it.
    void UploadVolume(GLint internalFormat, GLenum format, GLenum type);
    // The intensity upload of 8 or 16 bits.
    void UploadIntensity();
    // Colour-index leaves index a 256-entry map: they stage 8 bits always.
    virtual bool StagesEightBitIndices() const { return false; }
    // Whether a texel of zero bytes samples as clear: the lookup leaves ask
    // table entry 0, plain intensity is clear as it is. The texture's
    // border is zero too.
    virtual bool ZeroTexelIsClear() const;

private:
    // Where a lattice stands across the slices: its points scaled, then
    // moved by (dx, dy).
    struct LatticePlace {
        float scale = 1.0f, dx = 0.0f, dy = 0.0f;
    };

    void ProxyTest();
    // How much wider than at mid depth the frustum is where the farthest
    // slice in view lies, at least 1; `centreZ` is the volume centre's eye
    // z.
    double FlyThroughWidening(float centreZ) const;
    void FillStaging(const std::uint8_t* voxels, int voxelBytes);
    void BuildVolumeLattice();
    void FindOccupiedBox();
    // The model-space box outside which every sample is zero.
    void OccupiedBounds(CVector3& lo, CVector3& hi) const;
    void DrawQuads(float x0, float x1, float y0, float y1, int n, float step);
    void DrawShells(const Lattice& lattice, const LatticePlace& place, int n, float step);
    // The same, only where the slices cross the box lo..hi, with `rotation`
    // the modelview that took model points to the slices' frame.
    void DrawTrimmedQuads(const GLfloat rotation[16], const CVector3& lo, const CVector3& hi, float x0, float x1,
                          float y0, float y1, int n, float step);
    void DrawTrimmedShells(const GLfloat rotation[16], const CVector3& lo, const CVector3& hi, const Lattice& lattice,
                           const LatticePlace& place, int n, float step);
};

