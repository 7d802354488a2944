#include <gtest/gtest.h>

#include "platform/offscreen/OffscreenSurface.h"

// Mesa keeps a few small allocations of its own until the process ends.
extern "C" const char* __lsan_default_suppressions() { return "leak:libOSMesa.so\n"; }

TEST(OffscreenSurface, ContextHasThePixelFormatsBuffers)
{
    COffscreenSurface s(16, 8);
    ASSERT_TRUE(s.SetPixelFormat(kRendererPixelFormat));
    auto ctx = s.CreateContext();
    ASSERT_NE(ctx, nullptr);
    ASSERT_TRUE(GlMakeCurrent(&s, ctx.get()));
    const CGlDispatch& gl = Gl();
    GLint accum = 0, depth = 0;
    gl.GetIntegerv(GL_ACCUM_RED_BITS, &accum);
    gl.GetIntegerv(GL_DEPTH_BITS, &depth);
    EXPECT_GE(accum, 16);
    EXPECT_GE(depth, 24);
    EXPECT_NE(gl.GetString(GL_EXTENSIONS), nullptr);
    // The lookup answers for any name; only the extension string decides.
    EXPECT_NE(GlGetProcAddress("glBlendEquationEXT"), nullptr);

    gl.ClearColor(0.0f, 0.0f, 1.0f, 0.0f);
    gl.Clear(GL_COLOR_BUFFER_BIT);
    gl.Finish();
    GLubyte px[4] = {1, 1, 1, 1};
    gl.ReadPixels(15, 7, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    EXPECT_EQ(std::vector<int>(px, px + 4), (std::vector<int>{0, 0, 255, 0}));
    EXPECT_EQ(s.Pixels()[2], 255);

    s.SwapBuffers();
    EXPECT_EQ(s.SwapCount(), 1);
    ctx.reset();
    EXPECT_EQ(GlGetCurrentSurface(), nullptr);
}
