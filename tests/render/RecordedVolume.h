#pragma once
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "render/Renderer.h"
#include "support/GlRecorder.h"
#include "support/VolumeScenes.h"

// A renderer of class R on a 64 x 64 surface, for tables of cases.
using RendererMaker = std::function<std::unique_ptr<CRenderer>(CModel*, IGlSurface*)>;
template <class R> RendererMaker MakerOf()
{
    return [](CModel* m, IGlSurface* s) -> std::unique_ptr<CRenderer> { return std::make_unique<R>(m, s, 64, 64); };
}

// A volume renderer of class R drawing into the recorder; its context stays
// current for the test.
template <class R> struct Recorded {
    CRecordingSurface surface{64, 64};
    R renderer;
    explicit Recorded(CModel* model, const std::string& extensions = kMesaExtensions)
        : renderer(model, &surface, 64, 64)
    {
        surface.m_strExtensions = extensions;
        renderer.AttachModel(model);
    }
    ~Recorded() { GlMakeCurrent(nullptr, nullptr); }
    Recorded(const Recorded&) = delete;
    Recorded& operator=(const Recorded&) = delete;

    void Frame()
    {
        renderer.BeginFrame(&surface, 0, nullptr);
        renderer.Render(&surface, true);
    }
    // Forgets what was recorded so far.
    void Clear() { surface.m_aCalls.clear(); }
    std::vector<GlCall> Calls(const std::string& name) const { return surface.CallsOf(name); }
    int Count(const std::string& name) const { return surface.CountOf(name); }
};

// GL names for readable call lists.
inline std::string GlName(double value)
{
    static const std::map<unsigned, std::string> names = {
        {GL_DEPTH_TEST, "DEPTH_TEST"},
        {GL_CULL_FACE, "CULL_FACE"},
        {GL_BLEND, "BLEND"},
        {GL_LINE_SMOOTH, "LINE_SMOOTH"},
        {GL_POLYGON_SMOOTH, "POLYGON_SMOOTH"},
        {GL_TEXTURE_1D, "TEXTURE_1D"},
        {GL_TEXTURE_2D, "TEXTURE_2D"},
        {GL_TEXTURE_3D, "TEXTURE_3D"},
        {GL_FRAGMENT_PROGRAM_ARB, "FRAGMENT_PROGRAM"},
        {GL_TEXTURE_SHADER_NV, "TEXTURE_SHADER"},
        {GL_SHARED_TEXTURE_PALETTE_EXT, "SHARED_PALETTE"},
        {GL_FUNC_ADD_EXT, "FUNC_ADD"},
        {GL_MAX_EXT, "MAX"},
        {GL_SRC_ALPHA, "SRC_ALPHA"},
        {GL_ONE_MINUS_SRC_ALPHA, "ONE_MINUS_SRC_ALPHA"},
        {GL_SRC_COLOR, "SRC_COLOR"},
        {GL_DST_COLOR, "DST_COLOR"},
        {GL_TEXTURE0_ARB, "TEXTURE0"},
        {GL_TEXTURE1_ARB, "TEXTURE1"},
    };
    if (value != std::floor(value) || std::fabs(value) > 9e15) {
        std::ostringstream os;
        os << value;
        return os.str();
    }
    const long long v = static_cast<long long>(value);
    if (v >= GL_CLIP_PLANE0 && v <= GL_CLIP_PLANE5)
        return "CLIP" + std::to_string(v - GL_CLIP_PLANE0);
    auto it = v >= 0 && v <= 0xFFFFFFFFll ? names.find(unsigned(v)) : names.end();
    return it != names.end() ? it->second : std::to_string(v);
}

// "Enable DEPTH_TEST", "BlendFunc SRC_ALPHA ONE_MINUS_SRC_ALPHA", ... for
// the calls whose names are listed, in order, from call `from` on.
inline std::vector<std::string> Described(const CRecordingSurface& s, const std::vector<std::string>& which,
                                          std::size_t from = 0)
{
    std::vector<std::string> out;
    for (std::size_t i = from; i < s.m_aCalls.size(); ++i) {
        const GlCall& c = s.m_aCalls[i];
        bool wanted = false;
        for (const std::string& w : which)
            wanted = wanted || c.name == w;
        if (!wanted)
            continue;
        std::string text = c.name.substr(0, 2) == "gl" ? c.name.substr(2) : c.name;
        for (double a : c.args)
            text += " " + GlName(a);
        out.push_back(text);
    }
    return out;
}
