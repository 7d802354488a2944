#pragma once
#include <memory>

class CGlDispatch;

// What a window's device context with its pixel format offered: contexts
// made on it, made current, swapped, and GL entry points by name. The wx
// canvas, the offscreen buffer and the test recorder implement it.
struct GlPixelFormat {
    bool doubleBuffer = true;
    int colourBits = 24;
    int accumBits = 16;
    int depthBits = 32;
};
// The one format of the renderers and the stereo window.
inline constexpr GlPixelFormat kRendererPixelFormat{};

using GlProc = void (*)();

// A rendering context; destroying it deletes it, releasing it first when
// it is current (implementations call GlForgetContext).
class IGlContext {
public:
    virtual ~IGlContext() = default;
};

class IGlSurface {
public:
    virtual ~IGlSurface() = default;
    // Chooses and sets the closest format; false when none fits.
    virtual bool SetPixelFormat(const GlPixelFormat& format) = 0;
    // Null when the surface has no format or the window system refuses.
    virtual std::unique_ptr<IGlContext> CreateContext() = 0;
    virtual void SwapBuffers() = 0;
    // Any name may give a non-null pointer: callers check the extension
    // string before they call what they fetched.
    virtual GlProc GetProcAddress(const char* name) = 0;
    // The GL entry points of this kind of surface.
    virtual const CGlDispatch& Dispatch() = 0;

protected:
    friend bool GlMakeCurrent(IGlSurface*, IGlContext*);
    // Binds the context to this surface; only GlMakeCurrent calls these.
    virtual bool MakeCurrent(IGlContext* context) = 0;
    virtual void ReleaseCurrent() = 0;
};

// The calling thread's current surface and context, as the window system
// keeps them. (null, null) releases whatever is current. A null context on a
// surface also releases. Returns false when the binding failed (nothing is
// current then).
bool GlMakeCurrent(IGlSurface* surface, IGlContext* context);
IGlSurface* GlGetCurrentSurface();
IGlContext* GlGetCurrentContext();
// Entry point by name through the current surface; null when none is current.
GlProc GlGetProcAddress(const char* name);
// Called by a context's destructor: a context deleted while current leaves
// nothing current.
void GlForgetContext(IGlContext* context);
