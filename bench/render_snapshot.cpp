// Renders a volume offscreen with the renderer the factory picks and writes
// the frame as a PNG, to look at what the renderers draw.
//   render_snapshot OUT.png [--file=PATH | --raw=PATH:WxHxD] [--scale=SX,SY,SZ]
//                   [--mode=0..4] [--turn=DEGREES] [--size=WxH] [--3d]
//                   [--shells] [--lattice=N] [--eye=X,Y,Z] [--look=X,Y,Z]
// Without --file or --raw the 256^3 chest phantom of the benchmarks is
// drawn; a file is loaded through the loader factory (DICOM, native, ...),
// a raw one as 8-bit voxels, x fastest, with the voxel size of --scale. --3d lets the
// factory take 3D textures, --shells draws them as shells of an N x N
// lattice instead of flat quads. Mode 4 starts the fly-through camera at
// the point of --eye (the centre by default), looking down -z or along
// --look; the volume is not turned then, as the program's fly-through
// starts with the turn reset.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "FlyThroughAim.h"
#include "Phantoms.h"
#include "PngWriter.h"
#include "data/AppSettings.h"
#include "data/LoaderFactory.h"
#include "data/Quaternion.h"
#include "platform/GlDispatch.h"
#include "platform/Prompter.h"
#include "platform/offscreen/OffscreenSurface.h"
#include "render/RendererFactory.h"
#include "render/FlyThrough.h"
#include "render/Renderer.h"

namespace {
// Says yes to the loader's folder-scan question, so a series loads whole;
// every other box is printed.
class CYesPrompter : public IPrompter {
public:
    int MessageBox(const std::string& text, unsigned style) override
    {
        std::fprintf(stderr, "%s\n", text.c_str());
        return (style & MB_YESNO) ? IDYES : IDOK;
    }
    bool ChooseFile(const FileChooserRequest&, std::string&) override { return false; }
    bool ChooseColour(COLORREF&) override { return false; }
    bool BrowseFolder(const std::string&, std::string&) override { return false; }
};

const char kUsage[] =
    "usage: %s OUT.png [--file=PATH | --raw=PATH:WxHxD] [--scale=SX,SY,SZ] [--mode=0..4]\n"
    "                  [--turn=DEGREES] [--size=WxH] [--3d] [--shells] [--lattice=N] [--eye=X,Y,Z]\n"
    "                  [--look=X,Y,Z]\n";

// sscanf of a whole option value: every field read and nothing left over.
template <class... T> bool Scan(const std::string& text, const char* format, T*... fields)
{
    int used = -1;
    const std::string withEnd = std::string(format) + "%n";
    return std::sscanf(text.c_str(), withEnd.c_str(), fields..., &used) == int(sizeof...(T)) &&
           used == int(text.size());
}
} // namespace

int main(int argc, char** argv)
{
    CYesPrompter prompter;
    SetPrompter(&prompter);
    std::string out, file, raw;
    int rawX = 0, rawY = 0, rawZ = 0;
    float sx = 1, sy = 1, sz = 1;
    CVector3 eye, look(0, 0, -1);
    int mode = 0, width = 800, height = 600;
    float turn = 30.0f;
    // Any fault in the arguments ends here, before a file is written.
    auto usage = [&](const std::string& fault) {
        if (!fault.empty())
            std::fprintf(stderr, "%s: %s\n", argv[0], fault.c_str());
        std::fprintf(fault.empty() ? stdout : stderr, kUsage, argv[0]);
        return fault.empty() ? 0 : 2;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const std::size_t eq = a.find('=');
        const std::string value = eq == std::string::npos ? "" : a.substr(eq + 1);
        const std::string name = a.substr(0, eq);
        bool ok = true;
        if (a == "--help" || a == "-h")
            return usage("");
        if (a.empty() || a[0] != '-') {
            if (!out.empty())
                return usage("one output file only: " + a);
            out = a;
        } else if (name == "--file") {
            file = value;
            ok = !file.empty();
        } else if (name == "--mode")
            ok = Scan(value, "%d", &mode) && mode >= 0 && mode <= 4;
        else if (name == "--turn")
            ok = Scan(value, "%f", &turn);
        else if (name == "--size")
            ok = Scan(value, "%dx%d", &width, &height) && width > 0 && height > 0;
        else if (name == "--raw") {
            const std::size_t colon = value.rfind(':');
            raw = value.substr(0, colon);
            ok = colon != std::string::npos && !raw.empty() &&
                 Scan(value.substr(colon + 1), "%dx%dx%d", &rawX, &rawY, &rawZ) && rawX > 0 && rawY > 0 && rawZ > 0;
        } else if (name == "--eye")
            ok = Scan(value, "%f,%f,%f", &eye.x, &eye.y, &eye.z);
        else if (name == "--look")
            ok = Scan(value, "%f,%f,%f", &look.x, &look.y, &look.z);
        else if (name == "--scale")
            ok = Scan(value, "%f,%f,%f", &sx, &sy, &sz);
        else if (a == "--3d")
            CAppSettings::GetInstance()->m_bUse3DTextures = true;
        else if (a == "--shells")
            CAppSettings::GetInstance()->m_bUseQuads = false;
        else if (name == "--lattice") {
            int& lattice = CAppSettings::GetInstance()->m_nLatticePoints;
            ok = Scan(value, "%d", &lattice) && lattice > 0;
        }
        else
            return usage("unknown option " + a);
        if (!ok)
            return usage("bad value in " + a);
    }
    if (out.empty())
        return usage("no output file");

    std::unique_ptr<CModelSeries> series;
    std::unique_ptr<CVolume> phantom;
    CModel* model = nullptr;
    if (!raw.empty()) {
        phantom = std::make_unique<CVolume>(rawX, rawY, rawZ, 8);
        FILE* f = std::fopen(raw.c_str(), "rb");
        const std::size_t want = std::size_t(rawX) * rawY * rawZ;
        if (!f || std::fread(phantom->m_pData.get(), 1, want, f) != want) {
            std::fprintf(stderr, "could not read %zu voxels from %s\n", want, raw.c_str());
            return 1;
        }
        std::fclose(f);
        phantom->SetVoxelSize(sx, sy, sz);
        phantom->BuildHistogram();
        model = phantom.get();
    } else if (!file.empty()) {
        std::string ext = std::filesystem::path(file).extension().string();
        if (!ext.empty())
            ext = ext.substr(1);
        for (char& c : ext)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        series = LoadModelFile(file, ext);
        if (!series || series->empty()) {
            std::fprintf(stderr, "could not load %s\n", file.c_str());
            return 1;
        }
        model = series->front().get();
    } else {
        phantom = phantom::ChestVolume8(256);
        phantom->BuildHistogram();
        model = phantom.get();
    }

    COffscreenSurface surface(width, height);
    std::unique_ptr<CRenderer> renderer = CreateRenderer(model, &surface, width, height);
    if (!renderer) {
        std::fprintf(stderr, "no renderer\n");
        return 1;
    }
    std::printf("%s\n%s\n", model->m_pszDescription.c_str(), renderer->m_pszDescription.c_str());
    // The current point (MPR crossing) at the centre, as the light box
    // starts it.
    if (model->IsVolume())
        static_cast<CVolume*>(model)->SetEntryPoint(CVector3(0, 0, 0), -1, -1, -1);
    // A turn about an axis between y and x shows the volume's depth. The
    // fly-through is drawn unturned: the view resets its turn as the mode
    // starts, and an eye inside a turned box may stand outside it.
    if (mode == kRenderFlyThrough)
        turn = 0.0f;
    model->m_qOrientation = AxisAngleToQuat(CVector3(0.3f, 1.0f, 0.0f), turn * kDegToRad);
    renderer->m_nRenderMode = mode;
    renderer->OnModeChanged();
    std::unique_ptr<CFlyThrough> camera;
    bool left = false, right = false;
    if (mode == kRenderFlyThrough && model->IsVolume()) {
        // The textures are built first, as the view has them before the
        // mode starts: a build resets the renderer's camera.
        renderer->BeginFrame(&surface, 0, nullptr);
        renderer->Render(&surface, false);
        auto* volume = static_cast<CVolume*>(model);
        volume->SetEntryPoint(eye, -1, -1, -1);
        camera = std::make_unique<CFlyThrough>(renderer.get(), ViewButtons{&left, &right}, volume);
        bench::AimFlyThrough(*camera, look);
    }
    renderer->BeginFrame(&surface, 0, nullptr);
    renderer->Render(&surface, true);
    std::vector<std::uint8_t> pixels(std::size_t(width) * height * 4);
    Gl().ReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    if (!png::WriteRgbaBottomUp(out, pixels.data(), width, height)) {
        std::fprintf(stderr, "could not write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
