#include "render/LookupTextures.h"

#include <cstring>

namespace {
// The lookup unit made active with the 1D target enabled and bound, every
// other target it could sample from switched off.
void Bind1DLookup(PFNGLACTIVETEXTUREARBPROC activeTexture, const LookupUnits& units, GLuint texture)
{
    const CGlDispatch& gl = Gl();
    activeTexture(units.lookup);
    if (units.volumeTarget == GL_TEXTURE_3D)
        gl.Disable(GL_TEXTURE_3D);
    gl.Disable(GL_TEXTURE_2D);
    gl.Enable(GL_TEXTURE_1D);
    gl.BindTexture(GL_TEXTURE_1D, texture);
}

void Release1DLookup(PFNGLACTIVETEXTUREARBPROC activeTexture, const LookupUnits& units)
{
    Gl().Disable(GL_TEXTURE_1D);
    activeTexture(units.volume);
}

// Unit 1 made active with its texture shader on and the lookup bound. The
// 2D target is enabled on the unit active before, as the shaders expect.
void BindDependentLookup(PFNGLACTIVETEXTUREARBPROC activeTexture, GLenum volumeTarget, GLuint texture)
{
    const CGlDispatch& gl = Gl();
    if (volumeTarget == GL_TEXTURE_3D)
        gl.Disable(GL_TEXTURE_3D);
    gl.Enable(GL_TEXTURE_2D);
    activeTexture(GL_TEXTURE1_ARB);
    gl.Enable(GL_TEXTURE_SHADER_NV);
    gl.BindTexture(GL_TEXTURE_2D, texture);
}

void ReleaseDependentLookup(PFNGLACTIVETEXTUREARBPROC activeTexture)
{
    activeTexture(GL_TEXTURE0_ARB);
    Gl().Disable(GL_TEXTURE_2D);
}
} // namespace

void DeleteTextureName(GLuint& name)
{
    if (name)
        Gl().DeleteTextures(1, &name);
    name = 0;
}

PFNGLCOLORTABLEEXTPROC FetchSharedPalette()
{
    auto colorTable = reinterpret_cast<PFNGLCOLORTABLEEXTPROC>(GlGetProcAddress("glColorTableEXT"));
    Gl().Enable(GL_SHARED_TEXTURE_PALETTE_EXT);
    return colorTable;
}

void LoadSharedPalette(PFNGLCOLORTABLEEXTPROC colorTable, const RgbaLookupTable& table)
{
    if (colorTable)
        colorTable(GL_SHARED_TEXTURE_PALETTE_EXT, GL_RGBA, 256, GL_RGBA, GL_UNSIGNED_BYTE, table.data());
}

void Upload1DLookup(PFNGLACTIVETEXTUREARBPROC activeTexture, const LookupUnits& units, GLuint texture,
                    const RgbaLookupTable& table)
{
    const CGlDispatch& gl = Gl();
    Bind1DLookup(activeTexture, units, texture);
    gl.TexParameteri(GL_TEXTURE_1D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    gl.TexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    gl.TexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    gl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    gl.TexImage1D(GL_TEXTURE_1D, 0, GL_RGBA, 256, 0, GL_RGBA, GL_UNSIGNED_BYTE, table.data());
    Release1DLookup(activeTexture, units);
}

void Replace1DLookup(PFNGLACTIVETEXTUREARBPROC activeTexture, const LookupUnits& units, GLuint texture,
                     const RgbaLookupTable& table)
{
    Bind1DLookup(activeTexture, units, texture);
    Gl().TexSubImage1D(GL_TEXTURE_1D, 0, 0, 256, GL_RGBA, GL_UNSIGNED_BYTE, table.data());
    Release1DLookup(activeTexture, units);
}

void FillDependentLookup(std::unique_ptr<std::uint8_t[]>& rows, const RgbaLookupTable& table)
{
    if (!rows)
        rows = std::make_unique<std::uint8_t[]>(kDependentLookupBytes);
    std::memcpy(rows.get(), table.data(), kDependentLookupBytes / 2);
    std::memcpy(rows.get() + kDependentLookupBytes / 2, table.data(), kDependentLookupBytes / 2);
}

void UploadDependentLookup(PFNGLACTIVETEXTUREARBPROC activeTexture, GLenum volumeTarget, GLuint texture,
                           const std::uint8_t* rows)
{
    const CGlDispatch& gl = Gl();
    BindDependentLookup(activeTexture, volumeTarget, texture);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    gl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    gl.TexEnvi(GL_TEXTURE_SHADER_NV, GL_SHADER_OPERATION_NV, GL_DEPENDENT_AR_TEXTURE_2D_NV);
    gl.TexEnvi(GL_TEXTURE_SHADER_NV, GL_PREVIOUS_TEXTURE_INPUT_NV, GL_TEXTURE0_ARB);
    gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 256, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, rows);
    ReleaseDependentLookup(activeTexture);
}

void ReplaceDependentLookup(PFNGLACTIVETEXTUREARBPROC activeTexture, GLenum volumeTarget, GLuint texture,
                            const std::uint8_t* rows)
{
    BindDependentLookup(activeTexture, volumeTarget, texture);
    Gl().TexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 256, 2, GL_RGBA, GL_UNSIGNED_BYTE, rows);
    ReleaseDependentLookup(activeTexture);
}

void EnableDependentLookup(PFNGLACTIVETEXTUREARBPROC activeTexture, GLenum volumeTarget, bool enable)
{
    const CGlDispatch& gl = Gl();
    auto set = [&](GLenum cap) { enable ? gl.Enable(cap) : gl.Disable(cap); };
    if (activeTexture) {
        activeTexture(GL_TEXTURE1_ARB);
        set(GL_TEXTURE_SHADER_NV);
        activeTexture(GL_TEXTURE0_ARB);
        set(GL_TEXTURE_SHADER_NV);
    }
    set(volumeTarget);
}
