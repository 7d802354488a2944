#pragma once
#include <cstdint>
#include <vector>

#include "platform/GlDispatch.h"

// A surface without a window: Mesa's off-screen GL renders into a buffer of
// its own, with the accumulation and depth buffers the pixel format asks
// for. It is single-buffered, so a swap only counts; what was drawn can be
// read back at once.
class COffscreenSurface : public IGlSurface {
public:
    COffscreenSurface(int width, int height);
    ~COffscreenSurface() override;

    bool SetPixelFormat(const GlPixelFormat& format) override;
    std::unique_ptr<IGlContext> CreateContext() override;
    void SwapBuffers() override { ++m_nSwaps; }
    GlProc GetProcAddress(const char* name) override;
    const CGlDispatch& Dispatch() override;

    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    int SwapCount() const { return m_nSwaps; }
    // RGBA bytes, bottom row first.
    const std::uint8_t* Pixels() const { return m_pixels.data(); }

protected:
    bool MakeCurrent(IGlContext* context) override;
    void ReleaseCurrent() override;

private:
    int m_nWidth;
    int m_nHeight;
    std::vector<std::uint8_t> m_pixels;
    GlPixelFormat m_format;
    bool m_bFormatSet = false;
    int m_nSwaps = 0;
};
