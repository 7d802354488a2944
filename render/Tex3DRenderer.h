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
    // The lattice size from the settings, 8..32; a change re-attaches the
    // volume (and so rebuilds its texture).
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

protected:
    CTex3DRenderer(CModel* model, IGlSurface* dc, int width, int height);

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

private:
    void ProxyTest();
    void FillStaging(const std::uint8_t* voxels, int voxelBytes);
    void BuildVolumeLattice();
    void DrawQuads(float x0, float x1, float y0, float y1, int n, float step);
    void DrawShells(const Lattice& lattice, int n, float step);
};

