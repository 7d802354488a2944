#pragma once
// The pixel tests of both texture families: one renderer drawing offscreen
// into 64 x 64 pixels the way the view draws (begin the frame, render,
// swap), every message box recorded by the scripted prompter.
#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "data/Model.h"
#include "platform/GlDispatch.h"
#include "platform/Prompter.h"
#include "platform/offscreen/OffscreenSurface.h"
#include "support/ScriptedPrompter.h"

struct Rgba {
    int r, g, b, a = 0;
};
inline std::ostream& operator<<(std::ostream& os, const Rgba& c) { return os << c.r << "," << c.g << "," << c.b; }

// Red, green and blue within `tol`; alpha is not compared.
inline void ExpectNear(Rgba got, Rgba want, int tol, const std::string& why)
{
    EXPECT_NEAR(got.r, want.r, tol) << why << ": " << got;
    EXPECT_NEAR(got.g, want.g, tol) << why << ": " << got;
    EXPECT_NEAR(got.b, want.b, tol) << why << ": " << got;
}

// Self is the test's own scene, Base the renderer class it keeps.
template <class Self, class Base> struct TOffscreenScene {
    CScriptedPrompter prompter;
    CPrompterScope scope{&prompter};
    COffscreenSurface surface{64, 64};
    std::unique_ptr<Base> renderer;
    std::vector<GLubyte> pixels;

    template <class R> static std::unique_ptr<Self> Make(CModel* model)
    {
        auto s = std::make_unique<Self>();
        s->renderer = std::make_unique<R>(model, &s->surface, 64, 64);
        s->renderer->AttachModel(model);
        return s;
    }
    ~TOffscreenScene()
    {
        renderer.reset();
        GlMakeCurrent(nullptr, nullptr);
    }
    // Entry i of the table from rgba(i) as 0xRRGGBBAA, then the leaf told.
    void SetTable(const std::function<std::uint32_t(int)>& rgba)
    {
        for (int i = 0; i < 256; ++i) {
            const std::uint32_t c = rgba(i);
            for (int k = 0; k < 4; ++k)
                (*renderer->m_pRgbaTable)[4 * i + k] = std::uint8_t(c >> (24 - 8 * k));
        }
        renderer->UpdateLookupTable();
    }
    void Frame()
    {
        renderer->BeginFrame(&surface, 0, nullptr);
        renderer->Render(&surface, true);
        pixels.assign(64 * 64 * 4, 0);
        Gl().ReadPixels(0, 0, 64, 64, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    }
    // x from the left, y from the top.
    Rgba At(int x, int y) const
    {
        const std::size_t i = (std::size_t(63 - y) * 64 + x) * 4;
        return {pixels[i], pixels[i + 1], pixels[i + 2], pixels[i + 3]};
    }
};
