#pragma once
#include <cstdint>
#include <memory>

#include "render/VolumeRenderer.h"

// Draws a volume as three stacks of axis-aligned 2D textures, one per axis,
// and composites the slices of the stack that faces the viewer most, back to
// front. Each axis keeps its own stack so that no texture is resampled at
// draw time, and each of the six drawing orders is recorded once into a
// display list and replayed on every later frame.
//
// Staging volume: X x Y x Z texels (the power-of-two sizes) with voxel
// (x, y, z) at column x, row dimY - 1 - y, slice z, i.e. texel index
// x + (row + z * Y) * X: rows are flipped in y and the volume sits at the low
// corner of the padded block. The z stack takes its planes as they are; the
// y stack takes row r of every plane (X wide, Z high), the x stack column c
// of every plane (Y wide, Z high).
//
// The classification leaves decide the texture formats and how the lookup
// table colours the slices.
class CTex2DRenderer : public CVolumeRenderer {
public:
    ~CTex2DRenderer() override;

    void SetModel(CModel* model) override;
    void ComputeGeometry() override;
    void DrawSlices() override;
    void FreeTextures() override;
    // The part of the build every leaf shares: the staging volume.
    void BuildTextures() override;

    virtual void DrawMprSlices(float tx, float ty, float tz);
    // The stack code for the current modelview: 0 x stack from high x down,
    // 1 from low x up, 2 and 3 the y stack down and up, 4 and 5 the z stack.
    int ChooseStack();
    void DeleteDisplayLists();

    // Texture names of the three stacks; each array holds the power-of-two
    // count of its axis (only the first dimension entries of x and y are
    // uploaded and drawn).
    std::unique_ptr<GLuint[]> m_pXTextures, m_pYTextures, m_pZTextures;
    std::int32_t m_nXTextures = 0, m_nYTextures = 0, m_nZTextures = 0;
    GLuint m_nDisplayLists[6] = {0, 0, 0, 0, 0, 0};

protected:
    CTex2DRenderer(CModel* model, IGlSurface* dc, int width, int height);

    // Locks the voxels, takes the geometry, allocates and fills the staging
    // volume; false (after the message) when it cannot.
    bool StageVolume();
    // Dimensions, geometry and the power-of-two sizes from the volume.
    void TakeGeometry();
    void GenerateTextureNames();
    // Uploads the three stacks from the staging volume, then frees it.
    void UploadStacks(GLint internalFormat, GLenum format, GLenum type);
    // Called after each slice image; the texture-shader leaf sets its
    // shader operation there.
    virtual void AfterSliceImage() {}
    // Colour-index leaves index a 256-entry map: they stage 8 bits always.
    virtual bool StagesEightBitIndices() const { return false; }

private:
    void DeleteStack(std::unique_ptr<GLuint[]>& names, std::int32_t& count);
    void DrawStack(int code, float tx, float ty, float tz);
};

// The stack code from the third row (a, b, c) of the modelview: the axis
// pointing most toward the viewer, ties going to the later axis.
int ChooseStackFor(float a, float b, float c);

// 16-bit voxel to 8-bit texel as the staging rescale rounds it.
inline std::uint8_t RescaleTo8Bit(std::uint16_t v) { return std::uint8_t(v / 65535.0 * 255.0 + 0.5); }
