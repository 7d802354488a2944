#include "platform/GlSurface.h"

namespace {
thread_local IGlSurface* t_pSurface = nullptr;
thread_local IGlContext* t_pContext = nullptr;
} // namespace

bool GlMakeCurrent(IGlSurface* surface, IGlContext* context)
{
    if (t_pSurface && (t_pSurface != surface || !context))
        t_pSurface->ReleaseCurrent();
    t_pSurface = nullptr;
    t_pContext = nullptr;
    if (!surface || !context)
        return !context;
    if (!surface->MakeCurrent(context))
        return false;
    t_pSurface = surface;
    t_pContext = context;
    return true;
}

IGlSurface* GlGetCurrentSurface() { return t_pSurface; }
IGlContext* GlGetCurrentContext() { return t_pContext; }

GlProc GlGetProcAddress(const char* name) { return t_pSurface ? t_pSurface->GetProcAddress(name) : nullptr; }

void GlForgetContext(IGlContext* context)
{
    if (context && context == t_pContext)
        GlMakeCurrent(nullptr, nullptr);
}
