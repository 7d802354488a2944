#pragma once
// An X window with a GLX context as the renderers' device context, for the
// frame-rate benchmark: the same kind of window the peer draws into, shown
// and swapped on the same display.
#include <memory>
#include <stdexcept>

#include <GL/glx.h>
#include <X11/Xlib.h>

#include "platform/GlDispatch.h"

class CGlxWindow : public IGlSurface {
public:
    CGlxWindow(int width, int height, const char* title)
    {
        m_display = XOpenDisplay(nullptr);
        if (!m_display)
            throw std::runtime_error("no X display (set DISPLAY, or run under xvfb-run)");
        int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8,
                            GLX_DEPTH_SIZE, 24, None};
        m_visual = glXChooseVisual(m_display, DefaultScreen(m_display), attributes);
        if (!m_visual)
            throw std::runtime_error("no double-buffered RGBA visual with depth");
        const Window root = RootWindow(m_display, m_visual->screen);
        XSetWindowAttributes wa{};
        wa.colormap = XCreateColormap(m_display, root, m_visual->visual, AllocNone);
        wa.event_mask = StructureNotifyMask;
        m_window = XCreateWindow(m_display, root, 0, 0, unsigned(width), unsigned(height), 0, m_visual->depth,
                                 InputOutput, m_visual->visual, CWColormap | CWEventMask, &wa);
        XStoreName(m_display, m_window, title);
        XMapWindow(m_display, m_window);
        for (XEvent e;;) {
            XNextEvent(m_display, &e);
            if (e.type == MapNotify)
                break;
        }
    }
    ~CGlxWindow() override
    {
        if (GlGetCurrentSurface() == this)
            GlMakeCurrent(nullptr, nullptr);
        XDestroyWindow(m_display, m_window);
        XFree(m_visual);
        XCloseDisplay(m_display);
    }

    bool SetPixelFormat(const GlPixelFormat&) override { return true; }
    std::unique_ptr<IGlContext> CreateContext() override
    {
        GLXContext c = glXCreateContext(m_display, m_visual, nullptr, True);
        return c ? std::make_unique<Context>(m_display, c) : nullptr;
    }
    void SwapBuffers() override { glXSwapBuffers(m_display, m_window); }
    GlProc GetProcAddress(const char* name) override
    {
        return name ? reinterpret_cast<GlProc>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)))
                    : nullptr;
    }
    const CGlDispatch& Dispatch() override
    {
        static const CGlDispatch s_dispatch = CGlDispatch::LoadedFrom(*this);
        return s_dispatch;
    }

protected:
    bool MakeCurrent(IGlContext* context) override
    {
        auto* c = dynamic_cast<Context*>(context);
        return c && glXMakeCurrent(m_display, m_window, c->handle);
    }
    void ReleaseCurrent() override { glXMakeCurrent(m_display, None, nullptr); }

private:
    struct Context : IGlContext {
        Context(Display* d, GLXContext h) : display(d), handle(h) {}
        ~Context() override
        {
            GlForgetContext(this);
            glXDestroyContext(display, handle);
        }
        Display* display;
        GLXContext handle;
    };

    Display* m_display = nullptr;
    XVisualInfo* m_visual = nullptr;
    Window m_window = 0;
};
