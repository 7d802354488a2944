#include "platform/offscreen/OffscreenSurface.h"

#include <GL/osmesa.h>

namespace {
class COffscreenContext : public IGlContext {
public:
    explicit COffscreenContext(OSMesaContext ctx) : m_ctx(ctx) {}
    ~COffscreenContext() override
    {
        GlForgetContext(this);
        OSMesaDestroyContext(m_ctx);
    }
    OSMesaContext Handle() const { return m_ctx; }

private:
    OSMesaContext m_ctx;
};
} // namespace

COffscreenSurface::COffscreenSurface(int width, int height)
    : m_nWidth(width > 0 ? width : 1), m_nHeight(height > 0 ? height : 1),
      m_pixels(std::size_t(m_nWidth) * std::size_t(m_nHeight) * 4)
{
}

COffscreenSurface::~COffscreenSurface()
{
    if (GlGetCurrentSurface() == this)
        GlMakeCurrent(nullptr, nullptr);
}

bool COffscreenSurface::SetPixelFormat(const GlPixelFormat& format)
{
    // Mesa draws RGBA only; colour depth is its business.
    m_format = format;
    m_bFormatSet = true;
    return true;
}

std::unique_ptr<IGlContext> COffscreenSurface::CreateContext()
{
    if (!m_bFormatSet)
        return nullptr;
    OSMesaContext ctx = OSMesaCreateContextExt(OSMESA_RGBA, m_format.depthBits, 0, m_format.accumBits, nullptr);
    if (!ctx)
        return nullptr;
    return std::make_unique<COffscreenContext>(ctx);
}

bool COffscreenSurface::MakeCurrent(IGlContext* context)
{
    auto* ctx = dynamic_cast<COffscreenContext*>(context);
    return ctx && OSMesaMakeCurrent(ctx->Handle(), m_pixels.data(), GL_UNSIGNED_BYTE, m_nWidth, m_nHeight);
}

void COffscreenSurface::ReleaseCurrent() { OSMesaMakeCurrent(nullptr, nullptr, 0, 0, 0); }

GlProc COffscreenSurface::GetProcAddress(const char* name)
{
    return name ? reinterpret_cast<GlProc>(OSMesaGetProcAddress(name)) : nullptr;
}

const CGlDispatch& COffscreenSurface::Dispatch()
{
    // The entry points are the same for every context of the library.
    static const CGlDispatch s_dispatch = CGlDispatch::LoadedFrom(*this);
    return s_dispatch;
}
