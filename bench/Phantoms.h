#pragma once
// Volumes and meshes for the surface and decimation benchmarks, and a raw
// dump of them for the peer scripts under bench/peers/.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "data/Mesh.h"
#include "data/Volume.h"

namespace phantom {

inline std::uint32_t Hash(std::uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

// 256^3 bytes: a ball whose radius ripples smoothly, 0 outside, iso 128 on
// its skin.
inline std::unique_ptr<CVolume> SmoothBlob(int n = 256)
{
    auto v = std::make_unique<CVolume>(n, n, n, 8);
    std::uint8_t* d = v->m_pData.get();
    const float c = (n - 1) * 0.5f, r = n * 0.36f;
    for (int z = 0; z < n; ++z)
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                const float dx = x - c, dy = y - c, dz = z - c;
                const float dist = std::sqrt(dx * dx + dy * dy + dz * dz);
                const float ripple = 0.12f * std::sin(x * 0.11f) * std::sin(y * 0.09f) * std::sin(z * 0.13f);
                const float f = 1.0f - dist / r + ripple;
                d[(std::size_t(z) * n + y) * n + x] = std::uint8_t(std::clamp(128.0f + 160.0f * f, 0.0f, 255.0f) *
                                                                   (dist < r * 1.3f ? 1.0f : 0.0f));
            }
    return v;
}

// Signed distance, roughly, to an axis-aligned ellipse in the x-y plane.
inline float Ellipse(float x, float y, float cx, float cy, float a, float b)
{
    const float u = (x - cx) / a, w = (y - cy) / b;
    return (std::sqrt(u * u + w * w) - 1.0f) * std::min(a, b);
}

// Smooth step from 1 inside (d < -1) to 0 outside (d > 1): partial volume.
inline float Inside(float d) { return std::clamp(0.5f - 0.5f * d, 0.0f, 1.0f); }

// A 16-bit CT-like chest of 512 x 512 x slices: air 0, soft tissue about
// 1000, lungs about 250, spine, aorta and ribs about 1650, with noise. Skin
// at iso 500, bone at iso 1400.
inline std::unique_ptr<CVolume> CtChest(int slices)
{
    constexpr int n = 512;
    auto v = std::make_unique<CVolume>(n, n, slices, 16);
    auto* d = reinterpret_cast<std::uint16_t*>(v->m_pData.get());
    for (int z = 0; z < slices; ++z) {
        const float ribPhase = std::fmod(float(z), 24.0f);
        const float rib = Inside(std::abs(ribPhase - 12.0f) - 4.0f); // 8 slices of rib every 24
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                const float fx = float(x), fy = float(y);
                const float body = Inside(Ellipse(fx, fy, 256, 256, 220 + 6 * std::sin(z * 0.05f), 160));
                const float lungs = std::max(Inside(Ellipse(fx, fy, 180, 236, 62, 95)),
                                             Inside(Ellipse(fx, fy, 332, 236, 62, 95)));
                const float spine = Inside(Ellipse(fx, fy, 256, 372, 22, 18));
                const float aorta = Inside(Ellipse(fx, fy, 280, 320, 14, 14));
                const float ring = std::abs(Ellipse(fx, fy, 256, 256, 200, 142)) - 5.0f;
                const float bone = std::max(spine, rib * Inside(ring) * (fy < 330 ? 1.0f : 0.0f));
                float val = body * (1000.0f - 750.0f * lungs);
                val += bone * 650.0f + aorta * 150.0f;
                const std::uint32_t h = Hash(std::uint32_t(x + n * (y + n * z)));
                val += body * (float(h % 61) - 30.0f);
                d[(std::size_t(z) * n + y) * n + x] = std::uint16_t(std::clamp(val, 0.0f, 4095.0f));
            }
    }
    return v;
}

// An n^3 8-bit chest for the renderers: air 0, lungs about 40, soft tissue
// about 110, aorta 140, spine and ribs about 230, with noise; the chest of
// CtChest scaled to n voxels a side.
inline std::unique_ptr<CVolume> ChestVolume8(int n = 256)
{
    auto v = std::make_unique<CVolume>(n, n, n, 8);
    // Half extents as a loader sets them: the current point needs them.
    v->SetVoxelSize(1, 1, 1);
    std::uint8_t* d = v->m_pData.get();
    const float k = 512.0f / float(n);
    for (int z = 0; z < n; ++z) {
        const float zk = z * k;
        const float ribPhase = std::fmod(zk, 48.0f);
        const float rib = Inside(std::abs(ribPhase - 24.0f) / 2.0f - 4.0f);
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                const float fx = x * k, fy = y * k;
                const float body = Inside(Ellipse(fx, fy, 256, 256, 220 + 6 * std::sin(zk * 0.02f), 160) / k);
                const float lungs = std::max(Inside(Ellipse(fx, fy, 180, 236, 62, 95) / k),
                                             Inside(Ellipse(fx, fy, 332, 236, 62, 95) / k));
                const float spine = Inside(Ellipse(fx, fy, 256, 372, 22, 18) / k);
                const float aorta = Inside(Ellipse(fx, fy, 280, 320, 14, 14) / k);
                const float ring = std::abs(Ellipse(fx, fy, 256, 256, 200, 142)) / k - 2.5f;
                const float bone = std::max(spine, rib * Inside(ring) * (fy < 330 ? 1.0f : 0.0f));
                float val = body * (110.0f - 70.0f * lungs);
                val += bone * 120.0f + aorta * 30.0f;
                const std::uint32_t h = Hash(std::uint32_t(x + n * (y + n * z)));
                val += body * (float(h % 9) - 4.0f);
                d[(std::size_t(z) * n + y) * n + x] = std::uint8_t(std::clamp(val, 0.0f, 255.0f));
            }
    }
    return v;
}

// A torus about the z axis in the middle of a volume twice its centre, as bytes of
// 128 - 40 * signed distance: iso 128 is the exact surface.
struct TorusShape {
    float cx, cy, cz, major, minor;
    float Distance(float x, float y, float z) const
    {
        const float q = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy)) - major;
        return std::sqrt(q * q + (z - cz) * (z - cz)) - minor;
    }
};

inline TorusShape DecimationTorus() { return {224, 224, 112, 152, 70}; }

inline std::unique_ptr<CVolume> TorusVolume(const TorusShape& t)
{
    const int nx = int(2 * t.cx), ny = int(2 * t.cy), nz = int(2 * t.cz);
    auto v = std::make_unique<CVolume>(nx, ny, nz, 8);
    std::uint8_t* d = v->m_pData.get();
    for (int z = 0; z < nz; ++z)
        for (int y = 0; y < ny; ++y)
            for (int x = 0; x < nx; ++x)
                d[(std::size_t(z) * ny + y) * nx + x] =
                    std::uint8_t(std::clamp(128.0f - 40.0f * t.Distance(float(x), float(y), float(z)), 0.0f, 255.0f));
    return v;
}

// Mean and largest distance to the torus of the vertices and of the face
// centres of a mesh.
struct SurfaceError {
    double mean = 0, rms = 0, max = 0;
};

inline SurfaceError MeasureError(const CMesh& m, const TorusShape& t)
{
    SurfaceError e;
    std::size_t n = 0;
    auto add = [&](const CVector3& p) {
        const double d = std::abs(t.Distance(p.x, p.y, p.z));
        e.mean += d;
        e.rms += d * d;
        e.max = std::max(e.max, d);
        ++n;
    };
    for (int i = 0; i < m.m_nVertices; ++i)
        add(m.m_pVertices[i]);
    for (int f = 0; f < m.m_nPolygons; ++f) {
        const std::int32_t* c = &m.m_pIndices[3 * f];
        add((m.m_pVertices[c[0]] + m.m_pVertices[c[1]] + m.m_pVertices[c[2]]) * (1.0f / 3.0f));
    }
    if (n) {
        e.mean /= double(n);
        e.rms = std::sqrt(e.rms / double(n));
    }
    return e;
}

// Writes the voxels, or a mesh's vertex and index arrays, as raw
// little-endian files into $VEXILO_BENCH_DUMP when it is set.
inline void Dump(const char* name, const void* bytes, std::size_t size)
{
    const char* dir = std::getenv("VEXILO_BENCH_DUMP");
    if (!dir)
        return;
    const std::string path = std::string(dir) + "/" + name;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes, 1, size, f);
        std::fclose(f);
    }
}

inline std::unique_ptr<CMesh> CopyMesh(const CMesh& m)
{
    auto c = std::make_unique<CSurfaceMesh>();
    CVector3* v = c->SetVertexCount(m.m_nVertices);
    std::copy(m.m_pVertices.get(), m.m_pVertices.get() + m.m_nVertices, v);
    std::copy(m.m_pNormals.get(), m.m_pNormals.get() + m.m_nVertices, c->m_pNormals.get());
    std::int32_t* i = c->SetIndexCount(m.m_nIndices);
    std::copy(m.m_pIndices.get(), m.m_pIndices.get() + m.m_nIndices, i);
    c->m_nPolygons = m.m_nPolygons;
    return c;
}

} // namespace phantom
