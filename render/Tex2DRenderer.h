#pragma once
#include <cstdint>
#include <memory>
#include <vector>

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
// Empty-space skipping: while a texel of all-zero bytes draws as fully
// clear (always for plain intensity and RGB texels, for the classified
// leaves when table entry 0 is (0, 0, 0, 0)), each slice is drawn only over
// the rectangle of its texels that are not zero, widened by the texel that
// linear filtering reaches; a slice without such texels is not drawn. The
// pixels are those of the whole slice: outside the rectangle a fragment
// would sample zeros only, which neither compositing nor MIP can see. (The
// method is empty-space leaping of slice-based volume rendering, Engel et
// al., Real-Time Volume Graphics, 2006, chapter 8; the stacks themselves
// are Rezk-Salama et al., 2000.) m_bSkipEmptySpace off draws every slice
// whole, as the reference.
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

    // The texels a slice holds that are not zero, in its image's columns
    // and rows (u, v), half-open; empty when u0 >= u1.
    struct SliceRect {
        std::int32_t u0 = 0, u1 = 0, v0 = 0, v1 = 0;
        bool Empty() const { return u0 >= u1 || v0 >= v1; }
    };
    // Per stack x, y, z, one rectangle for each slice drawn.
    std::vector<SliceRect> m_aSliceRects[3];
    bool m_bSkipEmptySpace = true;
    // Whether the recorded lists draw the rectangles or whole slices.
    bool m_bListsTrimmed = false;

protected:
    CTex2DRenderer(CModel* model, IGlSurface* dc, int width, int height, const char* description,
                   bool autoUpdate = false);

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
    // Whether a texel of zero bytes draws fully clear: the lookup leaves
    // ask table entry 0; plain intensity and RGB texels are clear as they
    // are.
    virtual bool ZeroTexelIsClear() const;
    // The rectangles of non-zero texels of every slice, from the staging
    // volume.
    void FindSliceRects();

private:
    void DeleteStack(std::unique_ptr<GLuint[]>& names, std::int32_t& count);
    void DrawStack(int code, float tx, float ty, float tz);
};

// The stack code from the third row (a, b, c) of the modelview: the axis
// pointing most toward the viewer, ties going to the later axis.
int ChooseStackFor(float a, float b, float c);

