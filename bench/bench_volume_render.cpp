// Frames per second of the default volume renderer (the class the factory
// picks; on Mesa the 2D-texture ARB fragment-program renderer) drawing a
// 256^3 8-bit chest into an 800 x 600 GLX window, in the normal and the MIP
// mode, the volume turning by one degree a frame.
//
// Run alone it is a Google Benchmark program. The peer comparison with
// VTK's GPU ray-cast mapper is bench/peers/vtk_volume_render.py, which
// starts this program with --serve=VOLUME.raw: it writes the volume there
// and answers "normal N" or "mip N" with the seconds N frames took, so that
// both draw the same volume into the same kind of window on the same
// display, round by round in turn; "turn MODE D" then "picture PATH" writes
// the frame of a chosen mode and turn as a PNG.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "GlxWindow.h"
#include "Phantoms.h"
#include "PngWriter.h"
#include "data/Quaternion.h"
#include "render/Renderer.h"
#include "render/RendererFactory.h"
#include "render/Tex2DRenderer.h"

namespace {
constexpr int kWidth = 800, kHeight = 600, kSide = 256;

class Scene {
public:
    Scene() : m_volume(phantom::ChestVolume8(kSide)), m_window(kWidth, kHeight, "Vexilo volume benchmark")
    {
        m_volume->BuildHistogram();
        m_renderer = CreateRenderer(m_volume.get(), &m_window, kWidth, kHeight);
        if (!m_renderer)
            throw std::runtime_error("no renderer");
        // The first frame of each mode builds what it needs.
        Frames(kRenderNormal, 1);
        Frames(kRenderMip, 1);
    }

    const CVolume& Volume() const { return *m_volume; }
    const CRenderer& Renderer() const { return *m_renderer; }

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

void BM_VolumeFrames(benchmark::State& state)
{
    Scene& s = TheScene();
    const int mode = int(state.range(0));
    std::int64_t frames = 0;
    for (auto _ : state) {
        const double seconds = s.Frames(mode, 10);
        state.SetIterationTime(seconds);
        frames += 10;
    }
    state.counters["fps"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
    state.SetLabel(s.Renderer().m_pszDescription);
}
BENCHMARK(BM_VolumeFrames)->Arg(kRenderNormal)->Arg(kRenderMip)->ArgName("mode")->UseManualTime()->Unit(
    benchmark::kMillisecond);

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
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--serve=", 8) == 0)
            return Serve(argv[i] + 8);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
