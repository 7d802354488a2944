// Decimation from the command line, for the peer script that runs it and
// VTK's decimation alternately in fresh processes on the same raw mesh
// (bench/peers/decimate_peers.py).
//
//   decimate_mesh torus DIR
//       writes bench_decimate's input, the marching-cubes torus, as
//       DIR/torus_vertices_f32.raw and DIR/torus_indices_i32.raw
//   decimate_mesh run VERTICES INDICES PERCENT OUT_PREFIX
//       decimates that mesh to PERCENT % of its triangles, writes
//       OUT_PREFIX_vertices_f32.raw and OUT_PREFIX_indices_i32.raw and prints
//       "wall_s cpu_s triangles" for the decimation alone
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/Phantoms.h"
#include "processing/MeshDecimator.h"
#include "processing/SurfaceGenerator.h"

namespace {

template <class T> std::vector<T> ReadRaw(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<T> out(bytes.size() / sizeof(T));
    std::copy(bytes.begin(), bytes.begin() + std::ptrdiff_t(out.size() * sizeof(T)),
              reinterpret_cast<char*>(out.data()));
    return out;
}

bool WriteRaw(const std::string& path, const void* data, std::size_t bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(static_cast<const char*>(data), std::streamsize(bytes));
    return bool(out);
}

bool WriteMesh(const CMesh& m, const std::string& prefix)
{
    return WriteRaw(prefix + "_vertices_f32.raw", m.m_pVertices.get(), sizeof(CVector3) * size_t(m.m_nVertices)) &&
           WriteRaw(prefix + "_indices_i32.raw", m.m_pIndices.get(), sizeof(std::int32_t) * size_t(m.m_nIndices));
}

double ThreadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

int Torus(const char* dir)
{
    auto volume = phantom::TorusVolume(phantom::DecimationTorus());
    CSurfaceGenerator g(volume.get());
    const std::unique_ptr<CMesh> m = g.Generate(128);
    return WriteMesh(*m, std::string(dir) + "/torus") ? 0 : 1;
}

int Run(const char* vertexPath, const char* indexPath, double percent, const char* prefix)
{
    const auto v = ReadRaw<CVector3>(vertexPath);
    const auto idx = ReadRaw<std::int32_t>(indexPath);
    CSurfaceMesh mesh;
    std::copy(v.begin(), v.end(), mesh.SetVertexCount(int(v.size())));
    std::copy(idx.begin(), idx.end(), mesh.SetIndexCount(int(idx.size())));
    mesh.m_nPolygons = int(idx.size() / 3);
    const int target = int(double(mesh.m_nPolygons) * percent / 100.0);
    const auto wall0 = std::chrono::steady_clock::now();
    const double cpu0 = ThreadSeconds();
    {
        CMeshDecimator d(&mesh);
        d.Decimate(target);
    }
    const double cpu = ThreadSeconds() - cpu0;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    std::printf("%.6f %.6f %d\n", wall, cpu, mesh.m_nPolygons);
    return WriteMesh(mesh, prefix) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const char* usage = "usage: %s torus DIR | run VERTICES INDICES PERCENT OUT_PREFIX\n";
    // An option is never taken for a file to write: this tool has none
    // beyond --help.
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::printf(usage, argv[0]);
            return 0;
        }
        if (a.size() > 1 && a[0] == '-') {
            std::fprintf(stderr, "%s: unknown option %s\n", argv[0], argv[i]);
            std::fprintf(stderr, usage, argv[0]);
            return 2;
        }
    }
    const std::string what = argc > 1 ? argv[1] : "";
    char* end = nullptr;
    if (what == "torus" && argc == 3)
        return Torus(argv[2]);
    if (what == "run" && argc == 6) {
        const double percent = std::strtod(argv[4], &end);
        if (*end == '\0' && end != argv[4] && percent > 0 && percent <= 100)
            return Run(argv[2], argv[3], percent, argv[5]);
    }
    std::fprintf(stderr, usage, argv[0]);
    return 2;
}
