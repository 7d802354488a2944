#pragma once
#include <wx/glcanvas.h>

#include "platform/GlDispatch.h"

// The attributes of a pixel format for a wxGLCanvas. GLX fixes the format
// when the window is made, so the canvas must be built with these.
wxGLAttributes MakeGlAttributes(const GlPixelFormat& format, bool withAccum = true);
// The format the display offers: the whole one, or the same without the
// accumulation buffer when no visual has one.
wxGLAttributes ChooseGlAttributes(const GlPixelFormat& format);

// The 3D view's and the stereo window's device context: contexts made on a
// wx GL canvas, made current on it, swapped; entry points through GLX.
class CWxGlSurface : public IGlSurface {
public:
    explicit CWxGlSurface(wxGLCanvas& canvas) : m_canvas(canvas) {}
    ~CWxGlSurface() override;

    // The canvas was built with its format; any format is accepted as that.
    bool SetPixelFormat(const GlPixelFormat&) override { return true; }
    std::unique_ptr<IGlContext> CreateContext() override;
    void SwapBuffers() override { m_canvas.SwapBuffers(); }
    GlProc GetProcAddress(const char* name) override;
    const CGlDispatch& Dispatch() override;

    wxGLCanvas& Canvas() { return m_canvas; }

protected:
    bool MakeCurrent(IGlContext* context) override;
    void ReleaseCurrent() override;

private:
    wxGLCanvas& m_canvas;
};
