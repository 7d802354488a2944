// Our marker watershed against ITK's MorphologicalWatershedFromMarkers in
// one process, on the same voxels and seeds, one thread each, alternated
// round by round. Both do the whole job: gradient magnitude, then the flood
// from the seeds.
//
// ITK is run in two ways whose labels agree with ours, and the agreement is
// printed as the fraction of voxels on which both say object or both say
// background:
//   - its own gradient, face connectivity (6 neighbours);
//   - our gradient, computed by our code inside its timing, and full
//     connectivity (26 neighbours) as ours.
// ITK's own gradient with full connectivity floods one label over the whole
// phantom, so it is not timed; its agreement is printed once, as a check.
//
// Usage: peer_watershed [rounds] [fresh|reused]   (real volumes from $VEXILO_PEER_DATA)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "itkGradientMagnitudeImageFilter.h"
#include "itkImage.h"
#include "itkMorphologicalWatershedFromMarkersImageFilter.h"
#include "itkMultiThreaderBase.h"
#include "itkVersion.h"

#include "bench/WatershedPhantom.h"
#include "bench/peers/RealVolumes.h"
#include "bench/peers/Rounds.h"
#include "data/Volume.h"
#include "processing/Watershed.h"

namespace {

using Image = itk::Image<unsigned char, 3>;
constexpr unsigned char kItkObject = 1, kItkBackground = 2;

struct Case {
    std::string name;
    int nx, ny, nz;
    std::vector<std::uint8_t> voxels;
    std::vector<peers::Seed> in, out;
};

Image::Pointer MakeImage(const Case& c)
{
    auto img = Image::New();
    Image::RegionType region;
    region.SetSize({{itk::SizeValueType(c.nx), itk::SizeValueType(c.ny), itk::SizeValueType(c.nz)}});
    img->SetRegions(region);
    img->Allocate();
    return img;
}

// Seeds land where ours puts them: coordinates truncated toward zero.
Image::Pointer Markers(const Case& c)
{
    auto m = MakeImage(c);
    m->FillBuffer(0);
    auto put = [&](const std::vector<peers::Seed>& seeds, unsigned char label) {
        for (const peers::Seed& p : seeds)
            m->SetPixel({{itk::IndexValueType(p[0]), itk::IndexValueType(p[1]), itk::IndexValueType(p[2])}}, label);
    };
    put(c.in, kItkObject);
    put(c.out, kItkBackground); // a seed in both lists is background, as ours
    return m;
}

// Our gradient magnitude of `source` into `out`, through the steps the flood
// itself runs (border at 255, then the interior).
void OurGradient(const Case& c, const std::uint8_t* source, std::uint8_t* out)
{
    CWatershed w;
    w.m_nWidth = c.nx;
    w.m_nHeight = c.ny;
    w.m_nDepth = c.nz;
    w.m_nPlaneSize = c.nx * c.ny;
    w.m_nStartX = w.m_nStartY = w.m_nStartZ = 1;
    w.m_nEndX = c.nx - 2;
    w.m_nEndY = c.ny - 2;
    w.m_nEndZ = c.nz - 2;
    w.m_b3D = true;
    w.m_nCount = std::uint32_t(c.voxels.size());
    w.m_pSource = source;
    w.m_pGradient = out;
    w.InitNeighbours();
    w.MarkBorder();
    w.ComputeGradient();
    w.m_pGradient = nullptr;
}

Image::Pointer ItkGradient(const Image::Pointer& img)
{
    auto g = itk::GradientMagnitudeImageFilter<Image, Image>::New();
    g->SetInput(img);
    g->SetNumberOfWorkUnits(1);
    g->Update();
    Image::Pointer out = g->GetOutput();
    out->DisconnectPipeline();
    return out;
}

Image::Pointer ItkFlood(const Image::Pointer& gradient, const Image::Pointer& markers, bool fullyConnected)
{
    auto ws = itk::MorphologicalWatershedFromMarkersImageFilter<Image, Image>::New();
    ws->SetInput(gradient);
    ws->SetMarkerImage(markers);
    ws->SetFullyConnected(fullyConnected);
    ws->SetMarkWatershedLine(false); // ours leaves no dividing line either
    ws->SetNumberOfWorkUnits(1);
    ws->Update();
    Image::Pointer out = ws->GetOutput();
    out->DisconnectPipeline();
    return out;
}

struct Agreement {
    double equal = 0, oursObject = 0, peerObject = 0; // fractions of all voxels
};

Agreement Agree(const std::vector<std::uint8_t>& ours, const Image::Pointer& labels)
{
    const unsigned char* l = labels->GetBufferPointer();
    std::size_t equal = 0, a = 0, b = 0;
    for (std::size_t i = 0; i < ours.size(); ++i) {
        const bool o = ours[i] != 0, p = l[i] == kItkObject;
        equal += o == p;
        a += o;
        b += p;
    }
    const double n = double(ours.size());
    return {equal / n, a / n, b / n};
}

std::string Describe(const Agreement& g)
{
    char s[128];
    std::snprintf(s, sizeof s, "labels agree on %.4f %% (object: ours %.2f %%, ITK %.2f %%)", 100 * g.equal,
                  100 * g.oursObject, 100 * g.peerObject);
    return s;
}

void Compare(const Case& c, int rounds)
{
    CVolume vol(c.nx, c.ny, c.nz, 8);
    for (const peers::Seed& p : c.in)
        vol.m_aInPoints.push_back({p[0], p[1], p[2]});
    for (const peers::Seed& p : c.out)
        vol.m_aOutPoints.push_back({p[0], p[1], p[2]});
    Image::Pointer source = MakeImage(c);
    std::memcpy(source->GetBufferPointer(), c.voxels.data(), c.voxels.size());
    const Image::Pointer markers = Markers(c);

    std::vector<std::uint8_t> ours; // the result of the first round
    Agreement face, full;
    bool ok = true;
    Image::Pointer labels;
    std::vector<peers::Contender> who{
        {"ours",
         [&] {
             vol.LockData();
             CWatershed ws(&vol);
             ok = ws.Segment3D(false, false) && ok;
             vol.UnlockData();
         },
         [&] { std::memcpy(vol.m_pData.get(), c.voxels.data(), c.voxels.size()); },
         [&] {
             if (ours.empty())
                 ours.assign(vol.m_pData.get(), vol.m_pData.get() + c.voxels.size());
         }},
        {"ITK face", [&] { labels = ItkFlood(ItkGradient(source), markers, false); }, nullptr,
         [&] {
             if (!ours.empty() && face.equal == 0)
                 face = Agree(ours, labels);
             labels = nullptr;
         }},
        {"ITK our gradient",
         [&] {
             Image::Pointer g = MakeImage(c);
             OurGradient(c, source->GetBufferPointer(), g->GetBufferPointer());
             labels = ItkFlood(g, markers, true);
         },
         nullptr,
         [&] {
             if (!ours.empty() && full.equal == 0)
                 full = Agree(ours, labels);
             labels = nullptr;
         }}};
    // Ours runs first in the warm-up round, so both checks have its labels.
    const auto s = peers::Alternate(who, rounds);
    if (!ok)
        std::printf("%s: our flood failed\n", c.name.c_str());
    peers::PrintRow(c.name, "ITK gradient, FullyConnected off", s[0], s[1], Describe(face));
    peers::PrintRow(c.name, "our gradient, ITK flood, 26 nbrs", s[0], s[2], Describe(full));
    const Agreement old = Agree(ours, ItkFlood(ItkGradient(source), markers, true));
    std::printf("%-30s %-34s %15s %15s %13s %6s %15s  %s\n", c.name.c_str(), "ITK gradient, FullyConnected on", "-",
                "-", "-", "-", "-", (Describe(old) + ", untimed").c_str());
    std::fflush(stdout);
}

Case Phantom(int n)
{
    Case c{std::to_string(n) + "^3 phantom", n, n, n, bench::PhantomVolume(n), {}, {}};
    for (const bench::Point& p : bench::InSeeds(n))
        c.in.push_back({p[0], p[1], p[2]});
    for (const bench::Point& p : bench::OutSeeds(n))
        c.out.push_back({p[0], p[1], p[2]});
    return c;
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = peers::ParseArgs(argc, argv, 7);
    itk::MultiThreaderBase::SetGlobalDefaultNumberOfThreads(1);
    itk::MultiThreaderBase::SetGlobalMaximumNumberOfThreads(1);
    std::printf("Marker watershed, ours against ITK %s, one thread each, %d rounds, %s memory\n",
                itk::Version::GetITKVersion(), rounds, peers::MemoryName());
    std::printf("ratio = our time / ITK's time in the same round; both include the gradient\n\n");
    peers::PrintHeader();
    for (int n : {128, 256})
        Compare(Phantom(n), rounds);
    for (const peers::RealVolume& r : peers::RealVolumes())
        if (auto v = peers::LoadReal(r, 8)) {
            Case c{r.name, r.nx, r.ny, r.nz, {}, r.in, r.out};
            c.voxels.assign(v->m_pData.get(), v->m_pData.get() + v->m_nDataBytes);
            Compare(c, rounds);
        }
    return 0;
}
