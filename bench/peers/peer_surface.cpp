// Our marching cubes against VTK's vtkFlyingEdges3D in one process, on the
// same voxels in memory, one thread each, alternated round by round.
//
// Ours closes every surface where it leaves the volume; VTK leaves it open
// there. So VTK runs twice: on the volume itself, and on a copy with one
// layer of zero voxels around it, where it builds the same closed surface as
// ours. The caps' share of our triangles is printed beside. On noisy data the
// closed counts still differ a little: ours takes the voxels below the iso
// value as the inside, VTK those at or above it, and an ambiguous cell is
// split by which side is inside (VTK on the negated MRI head gives exactly
// our count).
//
// Usage: peer_surface [rounds] [fresh|reused]   (real volumes from $VEXILO_PEER_DATA)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <vtkFlyingEdges3D.h>
#include <vtkImageData.h>
#include <vtkNew.h>
#include <vtkPointData.h>
#include <vtkPolyData.h>
#include <vtkUnsignedCharArray.h>
#include <vtkUnsignedShortArray.h>
#include <vtkVersion.h>

#include "bench/Phantoms.h"
#include "bench/SurfaceCaps.h"
#include "bench/peers/RealVolumes.h"
#include "bench/peers/Rounds.h"
#include "bench/peers/VtkThreads.h"
#include "data/Mesh.h"
#include "processing/SurfaceGenerator.h"

namespace {

// A VTK image over `data`, which stays owned by the caller.
vtkSmartPointer<vtkImageData> Wrap(std::uint8_t* data, int bytesPerVoxel, int nx, int ny, int nz, double origin)
{
    auto img = vtkSmartPointer<vtkImageData>::New();
    img->SetDimensions(nx, ny, nz);
    img->SetOrigin(origin, origin, origin);
    const vtkIdType n = vtkIdType(nx) * ny * nz;
    if (bytesPerVoxel == 2) {
        vtkNew<vtkUnsignedShortArray> a;
        a->SetArray(reinterpret_cast<unsigned short*>(data), n, 1);
        img->GetPointData()->SetScalars(a);
    } else {
        vtkNew<vtkUnsignedCharArray> a;
        a->SetArray(data, n, 1);
        img->GetPointData()->SetScalars(a);
    }
    return img;
}

// The volume inside one layer of zeros on every side.
std::vector<std::uint8_t> ZeroPadded(const CVolume& v)
{
    const int b = v.m_nBytesPerVoxel;
    const std::size_t px = std::size_t(v.m_nDimX) + 2, py = std::size_t(v.m_nDimY) + 2;
    std::vector<std::uint8_t> out(px * py * (std::size_t(v.m_nDimZ) + 2) * std::size_t(b), 0);
    for (int z = 0; z < v.m_nDimZ; ++z)
        for (int y = 0; y < v.m_nDimY; ++y)
            std::memcpy(&out[((std::size_t(z) + 1) * py + std::size_t(y) + 1) * px * b + b],
                        v.m_pData.get() + (std::size_t(z) * v.m_nDimY + y) * std::size_t(v.m_nDimX) * b,
                        std::size_t(v.m_nDimX) * b);
    return out;
}

void Compare(const std::string& name, CVolume& volume, std::uint16_t iso, int rounds)
{
    std::vector<std::uint8_t> padded = ZeroPadded(volume);
    auto img = Wrap(volume.m_pData.get(), volume.m_nBytesPerVoxel, volume.m_nDimX, volume.m_nDimY, volume.m_nDimZ, 0);
    auto closed = Wrap(padded.data(), volume.m_nBytesPerVoxel, volume.m_nDimX + 2, volume.m_nDimY + 2,
                       volume.m_nDimZ + 2, -1);

    std::unique_ptr<CSurfaceMesh> mesh;
    int ours = 0, caps = 0;
    vtkSmartPointer<vtkFlyingEdges3D> fe;
    vtkIdType open = 0, shut = 0;
    auto vtk = [&](vtkImageData* input, vtkIdType& triangles) {
        return peers::Contender{
            "",
            [&fe, input, iso] {
                fe = vtkSmartPointer<vtkFlyingEdges3D>::New();
                fe->SetInputData(input);
                fe->SetValue(0, iso);
                fe->SetComputeNormals(1); // ours makes normals too
                fe->SetComputeScalars(0);
                fe->Update();
            },
            nullptr,
            [&fe, &triangles] {
                triangles = fe->GetOutput()->GetNumberOfPolys();
                fe = nullptr;
            }};
    };
    std::vector<peers::Contender> who{
        {"ours",
         [&] {
             CSurfaceGenerator g(&volume);
             mesh = g.Generate(iso);
         },
         nullptr,
         [&] {
             ours = mesh->m_nPolygons;
             if (!caps)
                 caps = bench::CapTriangles(*mesh, volume);
             mesh.reset();
         }},
        vtk(img, open), vtk(closed, shut)};
    const auto s = peers::Alternate(who, rounds);

    char label[64], check[160];
    std::snprintf(label, sizeof label, "%s iso %d", name.c_str(), int(iso));
    std::snprintf(check, sizeof check, "triangles ours %d (caps %d, %.1f %%), VTK %lld", ours, caps,
                  ours ? 100.0 * caps / ours : 0.0, (long long)open);
    peers::PrintRow(label, "vtkFlyingEdges3D", s[0], s[1], check);
    std::snprintf(check, sizeof check, "triangles VTK %lld", (long long)shut);
    peers::PrintRow(label, "vtkFlyingEdges3D, zero border", s[0], s[2], check);
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = peers::ParseArgs(argc, argv, 9);
    const char* backend = peers::VtkOneThread();
    std::printf(
        "Marching cubes, ours against VTK %s (SMP backend %s, %d thread), one thread each, %d rounds, %s memory\n",
        vtkVersion::GetVTKVersion(), backend, peers::VtkThreads(), rounds, peers::MemoryName());
    std::printf("ratio = our time / VTK's time in the same round; ours includes the normals, so does VTK\n\n");
    peers::PrintHeader();

    {
        auto blob = phantom::SmoothBlob();
        Compare("blob 256^3 u8", *blob, 128, rounds);
    }
    {
        auto chest = phantom::CtChest(200);
        Compare("chest 512x512x200 u16", *chest, 500, rounds);
        Compare("chest 512x512x200 u16", *chest, 1400, rounds);
    }
    for (const peers::RealVolume& r : peers::RealVolumes())
        if (auto v = peers::LoadReal(r, 16))
            for (std::uint16_t iso : r.isos)
                Compare(r.name, *v, iso, rounds);
    return 0;
}
