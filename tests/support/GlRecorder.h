#pragma once
#include <set>
#include <string>
#include <vector>

#include "platform/GlDispatch.h"

// One GL call as the recorder saw it: the entry point's name ("glEnable")
// and its arguments as numbers; pointers are recorded as addresses, except
// where the recorder copies the values they point to (matrices, vectors,
// clip planes, pixel maps).
struct GlCall {
    std::string name;
    std::vector<double> args;
};

// A surface whose GL records every call instead of drawing, for the renderer
// classes whose extensions the offscreen GL lacks. Queries answer from the
// fields below; surface events (MakeCurrent, ReleaseCurrent, CreateContext,
// DeleteContext, SwapBuffers) are recorded too.
class CRecordingSurface : public IGlSurface {
public:
    CRecordingSurface(int width = 100, int height = 100);
    ~CRecordingSurface() override;

    bool SetPixelFormat(const GlPixelFormat& format) override;
    std::unique_ptr<IGlContext> CreateContext() override;
    void SwapBuffers() override;
    // Recording stubs for every listed core and extension name, null otherwise.
    GlProc GetProcAddress(const char* name) override;
    const CGlDispatch& Dispatch() override;

    void Record(const char* name, std::vector<double> args = {});
    // Names of the recorded calls in order, and the calls of one name.
    std::vector<std::string> Names() const;
    std::vector<GlCall> CallsOf(const std::string& name) const;
    int CountOf(const std::string& name) const;

    // Answers: GL_EXTENSIONS, the colour ReadPixels returns for every pixel
    // (RGBA, 0..1), the viewport (the last glViewport, the size at first).
    std::string m_strExtensions;
    float m_fPixel[4] = {0, 0, 0, 0};
    int m_nViewport[4] = {0, 0, 0, 0};
    std::set<unsigned> m_enabled;
    // What glGetTexLevelParameteriv answers for GL_TEXTURE_WIDTH (0 is a
    // proxy texture that does not fit).
    int m_nTextureWidth = 64;
    // The modelview matrix glGet answers (column-major); identity when empty.
    std::vector<double> m_modelview;
    // Texture names bound and not deleted, display lists begun and not
    // deleted: what glIsTexture and glIsList answer from.
    std::set<unsigned> m_textures;
    std::set<unsigned> m_lists;

    std::vector<GlCall> m_aCalls;
    GlPixelFormat m_format;
    bool m_bFormatSet = false;
    int m_nSwaps = 0;
    int m_nLiveContexts = 0;
    unsigned m_nNextName = 1;

protected:
    bool MakeCurrent(IGlContext* context) override;
    void ReleaseCurrent() override;
};
