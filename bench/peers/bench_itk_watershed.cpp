// ITK's MorphologicalWatershedFromMarkersImageFilter on the phantom and seeds
// of bench_watershed, single thread, fully connected (26 neighbours) and
// without watershed lines, as ours. Timed with and without the gradient.
#include <benchmark/benchmark.h>

#include <cstring>

#include "WatershedPhantom.h"
#include "itkGradientMagnitudeImageFilter.h"
#include "itkImage.h"
#include "itkMorphologicalWatershedFromMarkersImageFilter.h"
#include "itkMultiThreaderBase.h"

namespace {

using Image = itk::Image<unsigned char, 3>;

Image::Pointer MakeImage(int n)
{
    auto img = Image::New();
    Image::RegionType region;
    region.SetSize({{unsigned(n), unsigned(n), unsigned(n)}});
    img->SetRegions(region);
    img->Allocate();
    return img;
}

Image::Pointer Markers(int n)
{
    auto m = MakeImage(n);
    m->FillBuffer(0);
    for (const bench::Point& p : bench::InSeeds(n))
        m->SetPixel({{long(p[0]), long(p[1]), long(p[2])}}, 1);
    for (const bench::Point& p : bench::OutSeeds(n))
        m->SetPixel({{long(p[0]), long(p[1]), long(p[2])}}, 2);
    return m;
}

Image::Pointer Phantom(int n)
{
    auto img = MakeImage(n);
    const auto v = bench::PhantomVolume(n);
    std::memcpy(img->GetBufferPointer(), v.data(), v.size());
    return img;
}

Image::Pointer Gradient(const Image::Pointer& img)
{
    auto g = itk::GradientMagnitudeImageFilter<Image, Image>::New();
    g->SetInput(img);
    g->SetNumberOfWorkUnits(1);
    g->Update();
    Image::Pointer out = g->GetOutput();
    out->DisconnectPipeline();
    return out;
}

void Watershed(const Image::Pointer& gradient, const Image::Pointer& markers)
{
    auto ws = itk::MorphologicalWatershedFromMarkersImageFilter<Image, Image>::New();
    ws->SetInput(gradient);
    ws->SetMarkerImage(markers);
    ws->SetFullyConnected(true);
    ws->SetMarkWatershedLine(false);
    ws->SetNumberOfWorkUnits(1);
    ws->Update();
    benchmark::DoNotOptimize(ws->GetOutput()->GetBufferPointer()[0]);
}

void BM_ItkGradientAndWatershed(benchmark::State& state)
{
    const int n = int(state.range(0));
    const auto img = Phantom(n);
    const auto markers = Markers(n);
    for (auto _ : state)
        Watershed(Gradient(img), markers);
}
BENCHMARK(BM_ItkGradientAndWatershed)->Arg(256)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ItkWatershedOnly(benchmark::State& state)
{
    const int n = int(state.range(0));
    const auto gradient = Gradient(Phantom(n));
    const auto markers = Markers(n);
    for (auto _ : state)
        Watershed(gradient, markers);
}
BENCHMARK(BM_ItkWatershedOnly)->Arg(256)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    itk::MultiThreaderBase::SetGlobalDefaultNumberOfThreads(1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
