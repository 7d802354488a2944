#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/GlDispatch.h"
#include "render/Renderer.h"

// How the classification leaves of both texture families hand the RGBA
// lookup table to the GL, so that a 2D-stack leaf and its 3D-texture twin
// issue the same calls from one place:
//
// - colour pixel maps colour 8-bit indices while they are uploaded, so a
//   table edit means a new upload;
// - the shared texture palette colours indices before interpolation and is
//   replaced alone;
// - a 256-texel 1D texture, read by a fragment program or shader at the
//   interpolated intensity, is replaced alone;
// - the NVidia dependent alpha-red lookup reads the table, twice over as a
//   256 x 2 RGBA texture on unit 1, at the intensity of unit 0.
//
// `volumeTarget` is the target the leaf's volume lives on, GL_TEXTURE_2D or
// GL_TEXTURE_3D: a 3D volume is switched off before a lookup texture is set
// up beside it.

// Deletes the texture if there is one; the name is zero after.
void DeleteTextureName(GLuint& name);

// Red, green, blue and alpha maps of 256 entries.
using ColourPixelMaps = std::array<std::array<float, 256>, 4>;

// Fills the maps from the table, switches the colour mapping on for
// `upload` and off after it.
template <typename Upload>
void UploadThroughPixelMaps(const RgbaLookupTable& table, ColourPixelMaps& maps, Upload upload);

// glColorTableEXT, with the shared palette switched on.
PFNGLCOLORTABLEEXTPROC FetchSharedPalette();
// The table as the shared palette; nothing without the entry point.
void LoadSharedPalette(PFNGLCOLORTABLEEXTPROC colorTable, const RgbaLookupTable& table);

// Where a leaf's 1D lookup lives: its own unit, the unit the volume is drawn
// from (active again after every call) and the volume's target.
struct LookupUnits {
    GLenum lookup;
    GLenum volume;
    GLenum volumeTarget;
};
// Parameters and texels of the 1D lookup texture.
void Upload1DLookup(PFNGLACTIVETEXTUREARBPROC activeTexture, const LookupUnits& units, GLuint texture,
                    const RgbaLookupTable& table);
// Only the texels of a 1D lookup texture that exists.
void Replace1DLookup(PFNGLACTIVETEXTUREARBPROC activeTexture, const LookupUnits& units, GLuint texture,
                     const RgbaLookupTable& table);

// Two rows of the table's 256 RGBA entries.
constexpr std::size_t kDependentLookupBytes = 2 * 256 * 4;
static_assert(sizeof(RgbaLookupTable) == kDependentLookupBytes / 2, "one row is the whole table");
// Both rows from the table, the buffer made first when there is none.
void FillDependentLookup(std::unique_ptr<std::uint8_t[]>& rows, const RgbaLookupTable& table);
// Parameters, shader operation and texels of the dependent lookup on unit 1.
void UploadDependentLookup(PFNGLACTIVETEXTUREARBPROC activeTexture, GLenum volumeTarget, GLuint texture,
                           const std::uint8_t* rows);
// Only the texels of a dependent lookup texture that exists.
void ReplaceDependentLookup(PFNGLACTIVETEXTUREARBPROC activeTexture, GLenum volumeTarget, GLuint texture,
                            const std::uint8_t* rows);
// The texture shaders of both units, when they can be selected, and the
// volume's target, on or off.
void EnableDependentLookup(PFNGLACTIVETEXTUREARBPROC activeTexture, GLenum volumeTarget, bool enable);

template <typename Upload>
void UploadThroughPixelMaps(const RgbaLookupTable& table, ColourPixelMaps& maps, Upload upload)
{
    const CGlDispatch& gl = Gl();
    for (int i = 0; i < 256; ++i)
        for (int c = 0; c < 4; ++c)
            maps[c][i] = table[4 * i + c] * 0.003921569f;
    gl.PixelTransferi(GL_MAP_COLOR, 1);
    const GLenum names[4] = {GL_PIXEL_MAP_I_TO_R, GL_PIXEL_MAP_I_TO_G, GL_PIXEL_MAP_I_TO_B, GL_PIXEL_MAP_I_TO_A};
    for (int c = 0; c < 4; ++c)
        gl.PixelMapfv(names[c], 256, maps[c].data());
    upload();
    gl.PixelTransferi(GL_MAP_COLOR, 0);
}
