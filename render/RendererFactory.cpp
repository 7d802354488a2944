#include "render/RendererFactory.h"

#include <cstring>

#include "data/AppSettings.h"
#include "data/Volume.h"
#include "platform/GlDispatch.h"
#include "render/MeshRenderer.h"
#include "render/Tex2DFragProgRenderer.h"
#include "render/Tex2DPalettedRenderer.h"
#include "render/Tex2DPixelMapRenderer.h"
#include "render/Tex2DPlainRenderer.h"
#include "render/Tex2DRgbRenderer.h"
#include "render/Tex2DTexShaderRenderer.h"
#include "render/Tex3DFragShaderRenderer.h"
#include "render/Tex3DPalettedRenderer.h"
#include "render/Tex3DPixelMapRenderer.h"
#include "render/Tex3DPlainRenderer.h"
#include "render/Tex3DTexShaderRenderer.h"

bool IsExtensionSupported(const char* name)
{
    if (!name || !*name || std::strchr(name, ' '))
        return false;
    const char* all = reinterpret_cast<const char*>(Gl().GetString(GL_EXTENSIONS));
    if (!all)
        return false;
    const std::size_t length = std::strlen(name);
    for (const char* start = all;;) {
        const char* at = std::strstr(start, name);
        if (!at)
            return false;
        const char* end = at + length;
        if ((at == all || at[-1] == ' ') && (*end == ' ' || *end == '\0'))
            return true;
        start = end;
    }
}

namespace {
// The first available of fragment program, texture shader and paletted
// textures, pixel maps last; a classification already chosen stays.
void ChooseClassification(CRendererDialogValues& v)
{
    if (v.m_nClassification == 0 && v.m_bFragProgram)
        v.m_nClassification = 4;
    if (v.m_nClassification == 0 && v.m_bTexShader)
        v.m_nClassification = 3;
    if (v.m_nClassification == 0 && v.m_bPaletted)
        v.m_nClassification = 2;
    if (v.m_nClassification == 0)
        v.m_nClassification = 1;
}
} // namespace

void ChooseRendererDefaults(CRendererDialogValues& v, const CAppSettings& settings)
{
    v.m_bRescale = settings.m_bRescaleTo8Bit ? 1 : 0;
    if (v.m_bRgb) {
        v.m_nRendererType = 4;
        return;
    }
    v.m_nRendererType = v.m_b3D && settings.m_bUse3DTextures ? 3 : 2;
    ChooseClassification(v);
}

namespace {
// What the driver offers, asked on a context of its own that is deleted
// again. No context means no extensions. `fragShader` tells whether the
// ATI fragment shader with multitexture is there, which the 3D-texture
// lookup of classification 4 needs.
void ProbeExtensions(IGlSurface* dc, CRendererDialogValues& v, bool& fragShader)
{
    fragShader = false;
    if (!dc || !dc->SetPixelFormat(kRendererPixelFormat))
        return;
    std::unique_ptr<IGlContext> scratch = dc->CreateContext();
    if (!scratch || !GlMakeCurrent(dc, scratch.get()))
        return;
    fragShader = IsExtensionSupported("GL_ATI_fragment_shader") && IsExtensionSupported("GL_ARB_multitexture");
    v.m_b3D = IsExtensionSupported("GL_EXT_texture3D");
    v.m_bFragProgram = IsExtensionSupported("GL_ARB_fragment_program") && IsExtensionSupported("GL_ARB_multitexture");
    v.m_bTexShader = IsExtensionSupported("GL_NV_texture_shader");
    v.m_bPaletted = IsExtensionSupported("GL_EXT_paletted_texture") &&
                    IsExtensionSupported("GL_EXT_shared_texture_palette") && v.m_nBits <= 16;
    GlMakeCurrent(nullptr, nullptr);
}

std::unique_ptr<CRenderer> MakeVolumeRenderer(int type, int classification, CModel* model, IGlSurface* dc, int w,
                                              int h)
{
    switch (type) {
    case 1:
        return std::make_unique<CMeshRenderer>(model, dc, w, h);
    case 2:
        switch (classification) {
        case 0:
            return std::make_unique<CTex2DPlainRenderer>(model, dc, w, h);
        case 1:
            return std::make_unique<CTex2DPixelMapRenderer>(model, dc, w, h);
        case 2:
            return std::make_unique<CTex2DPalettedRenderer>(model, dc, w, h);
        case 3:
            return std::make_unique<CTex2DTexShaderRenderer>(model, dc, w, h);
        case 4:
            return std::make_unique<CTex2DFragProgRenderer>(model, dc, w, h);
        default:
            return nullptr;
        }
    case 3:
        switch (classification) {
        case 0:
            return std::make_unique<CTex3DPlainRenderer>(model, dc, w, h);
        case 1:
            return std::make_unique<CTex3DPixelMapRenderer>(model, dc, w, h);
        case 2:
            return std::make_unique<CTex3DPalettedRenderer>(model, dc, w, h);
        case 3:
            return std::make_unique<CTex3DTexShaderRenderer>(model, dc, w, h);
        case 4:
            return std::make_unique<CTex3DFragShaderRenderer>(model, dc, w, h);
        default:
            return nullptr;
        }
    case 4:
        return std::make_unique<CTex2DRgbRenderer>(model, dc, w, h);
    default:
        return nullptr;
    }
}
} // namespace

std::unique_ptr<CRenderer> CreateRenderer(CModel* model, IGlSurface* dc, int width, int height)
{
    CAppSettings* settings = CAppSettings::GetInstance();
    std::unique_ptr<CRenderer> renderer;
    if (!model || model->IsMesh()) {
        renderer = std::make_unique<CMeshRenderer>(model, dc, width, height);
    } else {
        CRendererDialogValues v;
        v.m_bIsMesh = model->IsMesh();
        if (model->IsVolume()) {
            const CVolume& volume = *static_cast<CVolume*>(model);
            v.m_bRgb = volume.m_bRgb;
            v.m_nBits = volume.m_nBits;
        }
        bool fragShader = false;
        ProbeExtensions(dc, v, fragShader);
        if (settings->m_bAskRenderer) {
            // The dialog has no Cancel; Escape keeps what it showed.
            RendererDialogRunner().RunRendererDialog(v);
            if (v.m_bRescaleStored)
                settings->m_bRescaleTo8Bit = v.m_bRescale != 0;
        } else {
            ChooseRendererDefaults(v, *settings);
        }
        // The 3D class of classification 4 colours through the ATI
        // fragment shader, not the ARB program the flag stands for: without
        // the shader the next classification in order is taken.
        if (v.m_nRendererType == 3 && v.m_nClassification == 4 && !fragShader) {
            v.m_bFragProgram = false;
            v.m_nClassification = 0;
            ChooseClassification(v);
        }
        renderer = MakeVolumeRenderer(v.m_nRendererType, v.m_nClassification, model, dc, width, height);
    }
    if (renderer)
        renderer->AttachModel(model);
    return renderer;
}
