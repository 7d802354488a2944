#include "platform/wx/WxGlSurface.h"

#include <algorithm>

#include <GL/glx.h>

namespace {
class CWxGlContext : public IGlContext {
public:
    explicit CWxGlContext(wxGLCanvas& canvas) : m_context(&canvas) {}
    ~CWxGlContext() override { GlForgetContext(this); }
    bool IsOK() const { return m_context.IsOK(); }
    bool SetCurrent(const wxGLCanvas& canvas) const { return m_context.SetCurrent(canvas); }

private:
    wxGLContext m_context;
};
} // namespace

wxGLAttributes MakeGlAttributes(const GlPixelFormat& format, bool withAccum)
{
    wxGLAttributes attrs;
    attrs.PlatformDefaults().RGBA();
    if (format.doubleBuffer)
        attrs.DoubleBuffer();
    const int perChannel = format.colourBits / 3;
    attrs.MinRGBA(perChannel, perChannel, perChannel, 0);
    if (format.depthBits > 0)
        attrs.Depth(format.depthBits);
    if (withAccum && format.accumBits > 0) {
        const int accum = format.accumBits / 4;
        attrs.MinAcumRGBA(accum, accum, accum, accum);
    }
    attrs.EndList();
    return attrs;
}

wxGLAttributes ChooseGlAttributes(const GlPixelFormat& format)
{
    wxGLAttributes full = MakeGlAttributes(format, true);
    if (wxGLCanvas::IsDisplaySupported(full))
        return full;
    // Some X servers offer 24 depth bits at most; the renderers need no more.
    GlPixelFormat lesser = format;
    lesser.depthBits = std::min(format.depthBits, 24);
    wxGLAttributes depth24 = MakeGlAttributes(lesser, true);
    if (wxGLCanvas::IsDisplaySupported(depth24))
        return depth24;
    return MakeGlAttributes(lesser, false);
}

CWxGlSurface::~CWxGlSurface()
{
    if (GlGetCurrentSurface() == this)
        GlMakeCurrent(nullptr, nullptr);
}

std::unique_ptr<IGlContext> CWxGlSurface::CreateContext()
{
    auto context = std::make_unique<CWxGlContext>(m_canvas);
    if (!context->IsOK())
        return nullptr;
    return context;
}

bool CWxGlSurface::MakeCurrent(IGlContext* context)
{
    auto* c = dynamic_cast<CWxGlContext*>(context);
    return c && c->SetCurrent(m_canvas);
}

void CWxGlSurface::ReleaseCurrent()
{
    if (Display* display = glXGetCurrentDisplay())
        glXMakeCurrent(display, None, nullptr);
}

GlProc CWxGlSurface::GetProcAddress(const char* name)
{
    return name ? reinterpret_cast<GlProc>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name))) : nullptr;
}

const CGlDispatch& CWxGlSurface::Dispatch()
{
    // GLX hands out the same entry points for every context.
    static const CGlDispatch s_dispatch = CGlDispatch::LoadedFrom(*this);
    return s_dispatch;
}
