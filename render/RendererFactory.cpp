#include "render/RendererFactory.h"

#include <cstring>

#include "data/Model.h"
#include "platform/GlDispatch.h"
#include "render/MeshRenderer.h"

std::unique_ptr<CRenderer> CreateRenderer(CModel* model, IGlSurface* dc, int width, int height)
{
    if (model && !model->IsMesh())
        return nullptr;
    auto renderer = std::make_unique<CMeshRenderer>(model, dc, width, height);
    renderer->AttachModel(model);
    return renderer;
}

bool IsExtensionSupported(const char* name)
{
    if (!name || !*name || std::strchr(name, ' '))
        return false;
    const char* all = reinterpret_cast<const char*>(Gl().GetString(GL_EXTENSIONS));
    if (!all)
        return false;
    const std::size_t n = std::strlen(name);
    for (const char* p = all; (p = std::strstr(p, name)) != nullptr; p += n)
        if ((p == all || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0'))
            return true;
    return false;
}
