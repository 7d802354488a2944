// Frames per second of the volume renderers the factory picks on Mesa
// drawing a 256^3 8-bit chest into an 800 x 600 GLX window, in the normal
// and the MIP mode, the volume turning by one degree a frame: the 2D-texture
// ARB fragment-program renderer (the default) and, with 3D textures
// allowed, the 3D-texture ATI fragment-shader renderer with flat quads and
// with shells of the 8 x 8 lattice.
//
// Run alone it is a Google Benchmark program. With --compare[=ROUNDS] the
// three are timed in one process on the same volume, 10 frames each per
// round in a rotated order, and the figures are printed side by side with
// the ratio to the 2D renderer (best over best, and the median of the ratios
// taken within each round); --whole adds the 3D renderer drawing whole
// slices, its empty space included.
//
// The peer comparison with VTK's GPU ray-cast mapper is
// bench/peers/vtk_volume_render.py, which starts this program with
// --serve=VOLUME.raw: it writes the volume there and answers "normal N" or
// "mip N" with the seconds N frames of the default renderer took, so that
// both draw the same volume into the same kind of window on the same
// display, round by round in turn; "turn MODE D" then "picture PATH" writes
// the frame of a chosen mode and turn as a PNG.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "GlxWindow.h"
#include "Phantoms.h"
#include "PngWriter.h"
#include "Ratio.h"
#include "data/AppSettings.h"
#include "data/Quaternion.h"
#include "peers/Rounds.h"
#include "render/Renderer.h"
#include "render/RendererFactory.h"
#include "render/Tex2DRenderer.h"
#include "render/Tex3DRenderer.h"

namespace {
constexpr int kWidth = 800, kHeight = 600, kSide = 256;

class Scene {
public:
    // The default renderer, or the one 3D textures give when allowed.
    explicit Scene(bool use3D = false)
        : m_volume(phantom::ChestVolume8(kSide)), m_window(kWidth, kHeight, "Vexilo volume benchmark")
    {
        m_volume->BuildHistogram();
        CAppSettings* settings = CAppSettings::GetInstance();
        const bool allowed = settings->m_bUse3DTextures;
        settings->m_bUse3DTextures = use3D;
        m_renderer = CreateRenderer(m_volume.get(), &m_window, kWidth, kHeight);
        settings->m_bUse3DTextures = allowed;
        if (!m_renderer)
            throw std::runtime_error("no renderer");
        // The first frame of each mode builds what it needs.
        Frames(kRenderNormal, 1);
        Frames(kRenderMip, 1);
    }

    const CVolume& Volume() const { return *m_volume; }
    const CRenderer& Renderer() const { return *m_renderer; }
    CRenderer& Renderer() { return *m_renderer; }

    void Turn(int degrees)
    {
        m_degrees = degrees % 360;
        m_volume->m_qOrientation = AxisAngleToQuat(CVector3(0, 1, 0), float(m_degrees) * kDegToRad);
    }
    void SetMode(int mode) { m_renderer->m_nRenderMode = mode; }
    // Whole slices, empty space included (the 2D-texture reference path).
    void SetWholeSlices(bool whole)
    {
        if (auto* t = dynamic_cast<CTex2DRenderer*>(m_renderer.get()))
            t->m_bSkipEmptySpace = !whole;
    }

    // The frame at the current turn as a PNG, read from the back buffer
    // before it is swapped.
    bool Picture(const std::string& path)
    {
        m_renderer->BeginFrame(&m_window, 0, nullptr);
        m_renderer->Render(&m_window, false);
        std::vector<std::uint8_t> pixels(std::size_t(kWidth) * kHeight * 4);
        Gl().ReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        m_window.SwapBuffers();
        return png::WriteRgbaBottomUp(path, pixels.data(), kWidth, kHeight);
    }

    // Wall seconds of n frames, each turned one degree further; the GL has
    // finished when it returns.
    double Frames(int mode, int n)
    {
        m_renderer->m_nRenderMode = mode;
        const auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < n; ++i) {
            m_degrees = (m_degrees + 1) % 360;
            m_volume->m_qOrientation = AxisAngleToQuat(CVector3(0, 1, 0), float(m_degrees) * kDegToRad);
            m_renderer->BeginFrame(&m_window, 0, nullptr);
            m_renderer->Render(&m_window, true);
        }
        Gl().Finish();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    }

private:
    std::unique_ptr<CVolume> m_volume;
    CGlxWindow m_window;
    std::unique_ptr<CRenderer> m_renderer;
    int m_degrees = 0;
};

Scene& TheScene()
{
    static Scene s;
    return s;
}

Scene& The3DScene()
{
    static Scene s(true);
    return s;
}

// Quads or shells for the 3D renderers, read at each frame.
void UseQuads(bool quads) { CAppSettings::GetInstance()->m_bUseQuads = quads; }

// Sides: 0 the 2D default, 1 3D quads, 2 3D shells.
void BM_VolumeFrames(benchmark::State& state)
{
    const int side = int(state.range(1));
    Scene& s = side == 0 ? TheScene() : The3DScene();
    UseQuads(side != 2);
    const int mode = int(state.range(0));
    std::int64_t frames = 0;
    for (auto _ : state) {
        const double seconds = s.Frames(mode, 10);
        state.SetIterationTime(seconds);
        frames += 10;
    }
    state.counters["fps"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
    state.SetLabel(s.Renderer().m_pszDescription + (side == 0 ? "" : side == 1 ? " (quads)" : " (shells)"));
    UseQuads(true);
}
BENCHMARK(BM_VolumeFrames)
    ->ArgsProduct({{kRenderNormal, kRenderMip}, {0, 1, 2}})
    ->ArgNames({"mode", "side"})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The 2D default against the 3D fragment shader with quads and with shells,
// alternated round by round; with `whole` the 3D sides also draw whole
// slices, their empty space included (the reference path).
int Compare(int rounds, bool whole)
{
    Scene& flat = TheScene();
    Scene& solid = The3DScene();
    constexpr int kFrames = 10;
    std::printf("256^3 8-bit chest, %d x %d, %d frames a run, %d rounds, LP_NUM_THREADS=%s\n", kWidth, kHeight,
                kFrames, rounds, std::getenv("LP_NUM_THREADS") ? std::getenv("LP_NUM_THREADS") : "(default)");
    std::printf("2D: %s\n3D: %s\n\n", flat.Renderer().m_pszDescription.c_str(),
                solid.Renderer().m_pszDescription.c_str());
    std::printf("%-6s %-30s %8s %9s %12s %15s\n", "mode", "renderer", "fps", "best fps", "cpu ms/frame",
                "fps / 2D fps");
    std::printf("%-6s %-30s %8s %9s %12s %15s\n", "", "", "", "", "", "best  median");
    auto* tex3D = dynamic_cast<CTex3DRenderer*>(&solid.Renderer());
    auto side = [&](bool quads, bool trimmed) {
        return [=] {
            UseQuads(quads);
            if (tex3D)
                tex3D->m_bSkipEmptySpace = trimmed;
        };
    };
    auto reset = side(true, true);
    for (int mode : {kRenderNormal, kRenderMip}) {
        std::vector<peers::Contender> who = {
            {"2D fragment program", [&] { flat.Frames(mode, kFrames); }},
            {"3D ATI shader, quads", [&] { solid.Frames(mode, kFrames); }, side(true, true), reset},
            {"3D ATI shader, shells", [&] { solid.Frames(mode, kFrames); }, side(false, true), reset},
        };
        if (whole) {
            who.push_back({"3D quads, whole slices", [&] { solid.Frames(mode, kFrames); }, side(true, false), reset});
            who.push_back({"3D shells, whole slices", [&] { solid.Frames(mode, kFrames); }, side(false, false), reset});
        }
        const auto samples = peers::Alternate(who, rounds);
        for (std::size_t i = 0; i < who.size(); ++i) {
            // The 2D renderer's time over this one's: this one's frame rate
            // over the 2D one's.
            const bench::Ratio fps = bench::CompareRounds(samples[0].wall, samples[i].wall);
            std::printf("%-6s %-30s %8.2f %9.2f %12.0f %7.2f %7.2f\n", mode == kRenderMip ? "mip" : "normal",
                        who[i].name.c_str(), kFrames / peers::Median(samples[i].wall),
                        kFrames / peers::Best(samples[i].wall), 1000 * peers::Median(samples[i].cpu) / kFrames,
                        fps.best, fps.median);
        }
    }
    return 0;
}

int Serve(const std::string& dump)
{
    Scene& s = TheScene();
    const CVolume& v = s.Volume();
    if (FILE* f = std::fopen(dump.c_str(), "wb")) {
        std::fwrite(v.m_pData.get(), 1, v.m_nDataBytes, f);
        std::fclose(f);
    } else {
        std::cerr << "cannot write " << dump << "\n";
        return 1;
    }
    std::cout << "ready " << v.m_nDimX << " " << v.m_nDimY << " " << v.m_nDimZ << " " << s.Renderer().m_pszDescription
              << std::endl;
    // "normal N" or "mip N": the seconds of N frames; "whole 1" or "whole 0":
    // whole slices or the empty space left out; "turn MODE D": mode and
    // angle for "picture PATH", which writes that frame (answered with 1 or
    // 0).
    std::string command;
    while (std::cin >> command && command != "quit") {
        if (command == "whole") {
            int whole = 0;
            std::cin >> whole;
            s.SetWholeSlices(whole != 0);
            std::cout << 1 << std::endl;
            continue;
        }
        if (command == "turn") {
            std::string mode;
            int degrees = 0;
            std::cin >> mode >> degrees;
            s.SetMode(mode == "mip" ? kRenderMip : kRenderNormal);
            s.Turn(degrees);
            std::cout << 1 << std::endl;
            continue;
        }
        if (command == "picture") {
            std::string path;
            std::cin >> path;
            std::cout << (s.Picture(path) ? 1 : 0) << std::endl;
            continue;
        }
        int n = 0;
        std::cin >> n;
        std::cout << s.Frames(command == "mip" ? kRenderMip : kRenderNormal, n) << std::endl;
    }
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    // Its own modes first; anything else is Google Benchmark's, which answers
    // --help and refuses what it does not know.
    const char* usage = "  %s --compare[=ROUNDS] [--whole]   the renderers side by side, frame rates\n"
                        "  %s --serve=DUMP                   writes the volume to DUMP, then draws on command\n";
    int rounds = 0;
    bool compare = false, whole = false;
    const char* serve = nullptr;
    std::vector<char*> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--whole")
            whole = true;
        else if (a == "--compare")
            compare = true;
        else if (a.rfind("--compare=", 0) == 0) {
            char* end = nullptr;
            rounds = int(std::strtol(argv[i] + 10, &end, 10));
            compare = true;
            if (*end != '\0' || rounds < 1) {
                std::fprintf(stderr, "%s: bad value in %s\n", argv[0], argv[i]);
                return 2;
            }
        } else if (a.rfind("--serve=", 0) == 0 && a.size() > 8)
            serve = argv[i] + 8;
        else {
            if (a == "--help" || a == "-h")
                std::printf(usage, argv[0], argv[0]);
            rest.push_back(argv[i]);
        }
    }
    if (serve && !compare && !whole && rest.size() == 1)
        return Serve(serve);
    if (compare && !serve && rest.size() == 1)
        return Compare(rounds > 0 ? rounds : 7, whole);
    if (serve || compare || whole) {
        std::fprintf(stderr, "%s: --serve and --compare go alone (--whole with --compare)\n", argv[0]);
        std::fprintf(stderr, usage, argv[0], argv[0]);
        return 2;
    }
    int restCount = int(rest.size());
    benchmark::Initialize(&restCount, rest.data());
    if (benchmark::ReportUnrecognizedArguments(restCount, rest.data()))
        return 2;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
