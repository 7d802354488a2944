#include "processing/SurfaceGenerator.h"

#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "data/Mesh.h"
#include "data/MessageLog.h"
#include "data/Volume.h"
#include "platform/Format.h"
#include "processing/SurfaceTables.h"

// 16-bit voxels are stored little-endian and read in place.
static_assert(std::endian::native == std::endian::little);

namespace {

// Where edge e of a cell finds its vertex: in the index slice of the cell's
// own z (0) or the next (1), at grid offset (di, dj), on axis 0 x, 1 y, 2 z.
struct EdgeRef {
    int slice, di, dj, axis;
};
constexpr EdgeRef kEdges[12] = {{0, 0, 0, 1}, {0, 0, 1, 0}, {0, 1, 0, 1}, {0, 0, 0, 0}, {1, 0, 0, 1}, {1, 0, 1, 0},
                                {1, 1, 0, 1}, {1, 0, 0, 0}, {0, 0, 0, 2}, {0, 0, 1, 2}, {0, 1, 1, 2}, {0, 1, 0, 2}};

inline std::uint64_t Load8(const std::uint8_t* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void Status(const char* text) { CMessageLog::ShowStatus(text, true); }

std::array<std::uint8_t, 256> MakeTriangleCounts()
{
    std::array<std::uint8_t, 256> n{};
    for (int c = 0; c < 256; ++c) {
        int k = 0;
        while (k < 16 && kTriTable[c][k] >= 0)
            ++k;
        n[std::size_t(c)] = std::uint8_t(k / 3);
    }
    return n;
}
const std::array<std::uint8_t, 256> kTriangleCount = MakeTriangleCounts();

class CVolumeLock {
public:
    explicit CVolumeLock(CVolume* v) : m_pVolume(v), m_pData(v->LockData()) {}
    ~CVolumeLock()
    {
        if (m_pData)
            m_pVolume->UnlockData();
    }
    CVolumeLock(const CVolumeLock&) = delete;
    CVolumeLock& operator=(const CVolumeLock&) = delete;
    std::uint8_t* Data() const { return m_pData; }

private:
    CVolume* m_pVolume;
    std::uint8_t* m_pData;
};

} // namespace

CSurfaceGenerator::CSurfaceGenerator(CVolume* volume)
    : m_pVolume(volume), m_nDimX(volume->m_nDimX), m_nDimY(volume->m_nDimY), m_nDimZ(volume->m_nDimZ),
      m_fScaleX(volume->m_fScaleX), m_fScaleY(volume->m_fScaleY), m_fScaleZ(volume->m_fScaleZ)
{
}

CSurfaceGenerator::~CSurfaceGenerator() = default;

std::int64_t CSurfaceGenerator::GetEdgeId(int x, int y, int z, int edge) const
{
    if (edge < 0 || edge > 11)
        return -1;
    const EdgeRef& e = kEdges[edge];
    const std::int64_t gx = std::int64_t(x) + e.di + 1;
    const std::int64_t gy = std::int64_t(y) + e.dj + 1;
    const std::int64_t gz = std::int64_t(z) + e.slice + 1;
    return 3 * (gx + (std::int64_t(m_nDimX) + 2) * (gy + (std::int64_t(m_nDimY) + 2) * gz)) + e.axis;
}

std::unique_ptr<CSurfaceMesh> CSurfaceGenerator::Generate(std::uint16_t iso)
{
    auto mesh = std::make_unique<CSurfaceMesh>();
    mesh->m_nPrimitive = kGlTriangles;
    m_nIsoValue = iso;
    {
        CVolumeLock lock(m_pVolume);
        VolumeStatistics box;
        m_pVolume->GetStatistics(box);
        const bool empty = box.maxX < box.minX || box.maxY < box.minY || box.maxZ < box.minZ || box.minX < 0 ||
                           box.minY < 0 || box.minZ < 0;
        if (!empty) {
            if (!lock.Data())
                March<std::uint16_t>(*mesh, nullptr, box);
            else if (m_pVolume->m_nBytesPerVoxel == 2)
                March(*mesh, reinterpret_cast<const std::uint16_t*>(lock.Data()), box);
            else
                March<std::uint8_t>(*mesh, lock.Data(), box);
        }
    }
    BuildMesh(*mesh);
    Status("Generating normals ...");
    mesh->ComputeNormals();
    return mesh;
}

// The cells visited are those whose lowest corner lies from one below the
// box's minimum to its maximum on every axis; grid points outside the box read
// 0. Inside bits are kept for three z planes of grid points, vertex indices
// for two. The vertices of grid plane k+1 are made before the triangles of
// cell slab k, so every index a triangle names exists, and the vertices come
// out in ascending edge id. A first pass only counts, so that the second
// writes straight into arrays of the final size.
template <class T> class CMarch {
public:
    CMarch(CVolume* volume, const T* data, const VolumeStatistics& box, std::uint16_t iso, const float scale[3])
        : m_pVolume(volume), m_pData(data), m_box(box), m_nIso(iso), m_nDimX(volume->m_nDimX),
          m_nDimY(volume->m_nDimY), x0(box.minX - 1), y0(box.minY - 1), z0(box.minZ - 1),
          nx(box.maxX - box.minX + 3), ny(box.maxY - box.minY + 3), nz(box.maxZ - box.minZ + 3),
          plane(std::size_t(nx) * std::size_t(ny)), sx(scale[0]), sy(scale[1]), sz(scale[2])
    {
        for (auto& b : m_bits)
            b.assign(plane, 0);
        if (!m_pData)
            m_scratch.resize(std::size_t(nx));
        for (int e = 0; e < 12; ++e)
            m_offset[e] = 3 * (std::size_t(kEdges[e].dj) * nx + kEdges[e].di) + std::size_t(kEdges[e].axis);
    }

    int Slabs() const { return nz - 1; }

    // Counts the vertices and triangles of the whole march.
    void Count(std::size_t& vertices, std::size_t& triangles)
    {
        m_nVertices = m_nTriangles = 0;
        Run<false>(nullptr);
        vertices = m_nVertices;
        triangles = m_nTriangles;
    }

    // Writes them; `onSlab` is called before each cell slab.
    template <class F> void Emit(CVector3* vertices, std::int32_t* indices, F onSlab)
    {
        // Read only where written: no need to clear.
        for (auto& p : m_ids)
            p = std::make_unique_for_overwrite<std::int32_t[]>(3 * plane);
        m_pOutVertex = vertices;
        m_pOutIndex = indices;
        m_nVertices = m_nTriangles = 0;
        Run<true>(onSlab);
    }

private:
    template <bool kEmit, class F> void Run(F onSlab)
    {
        Fill(0, m_bits[0].data());
        Fill(1, m_bits[1].data());
        Vertices<kEmit>(0, m_bits[0].data(), m_bits[1].data(), Ids<kEmit>(0));
        for (int k = 0; k < nz - 1; ++k) {
            if constexpr (kEmit)
                onSlab(k);
            if (k + 2 < nz)
                Fill(k + 2, m_bits[(k + 2) % 3].data());
            // Grid plane nz-1 lies beyond the box: none of its edges is cut.
            if (k + 1 < nz - 1)
                Vertices<kEmit>(k + 1, m_bits[(k + 1) % 3].data(), m_bits[(k + 2) % 3].data(), Ids<kEmit>(k + 1));
            Triangles<kEmit>(m_bits[k % 3].data(), m_bits[(k + 1) % 3].data(), Ids<kEmit>(k), Ids<kEmit>(k + 1));
        }
    }

    template <bool kEmit> std::int32_t* Ids(int k) { return kEmit ? m_ids[k % 2].get() : nullptr; }

    int Value(int gx, int gy, int gz) const
    {
        if (gx < m_box.minX || gx > m_box.maxX || gy < m_box.minY || gy > m_box.maxY || gz < m_box.minZ ||
            gz > m_box.maxZ)
            return 0;
        if (!m_pData)
            return m_pVolume->GetVoxel(gx, gy, gz);
        return m_pData[(std::int64_t(gz) * m_nDimY + gy) * m_nDimX + gx];
    }

    // Inside bits of grid plane k: 1 where the voxel is below iso.
    void Fill(int k, std::uint8_t* s)
    {
        const std::uint8_t outside = m_nIso > 0 ? 1 : 0; // a zero voxel is below any iso >= 1
        const int gz = z0 + k;
        if (gz < m_box.minZ || gz > m_box.maxZ) {
            std::memset(s, outside, plane);
            return;
        }
        const int n = nx - 2;
        const bool allBelow = m_nIso > std::numeric_limits<T>::max();
        const T t = T(m_nIso);
        for (int j = 0; j < ny; ++j) {
            std::uint8_t* row = s + std::size_t(j) * nx;
            const int gy = y0 + j;
            if (gy < m_box.minY || gy > m_box.maxY) {
                std::memset(row, outside, std::size_t(nx));
                continue;
            }
            row[0] = row[nx - 1] = outside;
            if (allBelow) {
                std::memset(row + 1, 1, std::size_t(n));
                continue;
            }
            const T* src;
            if (m_pData) {
                src = m_pData + (std::int64_t(gz) * m_nDimY + gy) * m_nDimX + m_box.minX;
            } else {
                for (int i = 0; i < n; ++i)
                    m_scratch[std::size_t(i)] = T(m_pVolume->GetVoxel(m_box.minX + i, gy, gz));
                src = m_scratch.data();
            }
            std::uint8_t* __restrict out = row + 1;
            for (int i = 0; i < n; ++i)
                out[i] = src[i] < t;
        }
    }

    float Along(int va, int vb, float pa, float pb) const
    {
        const float t = float(int(m_nIso) - va) / float(vb - va);
        return pa + t * (pb - pa);
    }

    // The cut lower edges of grid plane k, in y, x, axis order.
    template <bool kEmit>
    void Vertices(int k, const std::uint8_t* sa, const std::uint8_t* sb, std::int32_t* ids)
    {
        const int gz = z0 + k;
        const int cells = nx - 1;
        for (int j = 0; j < ny - 1; ++j) {
            const std::uint8_t* a = sa + std::size_t(j) * nx;
            const std::uint8_t* ay = a + nx;
            const std::uint8_t* az = sb + std::size_t(j) * nx;
            int i = 0;
            while (i < cells) {
                int end = cells;
                if (i + 8 <= cells) {
                    const std::uint64_t w = Load8(a + i);
                    const std::uint64_t cx = w ^ Load8(a + i + 1), cy = w ^ Load8(ay + i), cz = w ^ Load8(az + i);
                    if ((cx | cy | cz) == 0) {
                        i += 8;
                        continue;
                    }
                    if constexpr (!kEmit) {
                        // Bytes are 0 or 1, so each set bit is one cut edge.
                        m_nVertices += std::size_t(std::popcount(cx) + std::popcount(cy) + std::popcount(cz));
                        i += 8;
                        continue;
                    }
                    end = i + 8;
                }
                for (; i < end; ++i) {
                    const std::uint8_t v = a[i];
                    const bool cx = v != a[i + 1], cy = v != ay[i], cz = v != az[i];
                    if (!(cx | cy | cz))
                        continue;
                    if constexpr (!kEmit) {
                        m_nVertices += std::size_t(cx) + std::size_t(cy) + std::size_t(cz);
                    } else {
                        EmitVertices(i, j, gz, cx, cy, cz, ids);
                    }
                }
            }
        }
    }

    void EmitVertices(int i, int j, int gz, bool cx, bool cy, bool cz, std::int32_t* ids)
    {
        const int gx = x0 + i, gy = y0 + j;
        const int v0 = Value(gx, gy, gz);
        const float px = float(gx) * sx, py = float(gy) * sy, pz = float(gz) * sz;
        std::int32_t* slot = ids + 3 * (std::size_t(j) * nx + std::size_t(i));
        if (cx) {
            slot[0] = std::int32_t(m_nVertices++);
            *m_pOutVertex++ = {Along(Value(gx + 1, gy, gz), v0, float(gx + 1) * sx, px), py, pz};
        }
        if (cy) {
            slot[1] = std::int32_t(m_nVertices++);
            *m_pOutVertex++ = {px, Along(v0, Value(gx, gy + 1, gz), py, float(gy + 1) * sy), pz};
        }
        if (cz) {
            slot[2] = std::int32_t(m_nVertices++);
            *m_pOutVertex++ = {px, py, Along(v0, Value(gx, gy, gz + 1), pz, float(gz + 1) * sz)};
        }
    }

    template <bool kEmit>
    void Triangles(const std::uint8_t* sa, const std::uint8_t* sb, const std::int32_t* ids0, const std::int32_t* ids1)
    {
        const std::int32_t* base[12] = {};
        if constexpr (kEmit)
            for (int e = 0; e < 12; ++e)
                base[e] = (kEdges[e].slice ? ids1 : ids0) + m_offset[e];
        const int cells = nx - 1;
        for (int j = 0; j < ny - 1; ++j) {
            const std::uint8_t* a0 = sa + std::size_t(j) * nx;
            const std::uint8_t* a1 = a0 + nx;
            const std::uint8_t* b0 = sb + std::size_t(j) * nx;
            const std::uint8_t* b1 = b0 + nx;
            int i = 0;
            while (i < cells) {
                int end = cells;
                if (i + 8 <= cells) {
                    const std::uint64_t w = Load8(a0 + i);
                    const std::uint64_t d = (w ^ Load8(a0 + i + 1)) | (w ^ Load8(a1 + i)) | (w ^ Load8(a1 + i + 1)) |
                                            (w ^ Load8(b0 + i)) | (w ^ Load8(b0 + i + 1)) | (w ^ Load8(b1 + i)) |
                                            (w ^ Load8(b1 + i + 1));
                    if (d == 0) {
                        i += 8;
                        continue;
                    }
                    end = i + 8;
                }
                for (; i < end; ++i) {
                    const unsigned c = unsigned(a0[i]) | unsigned(a1[i]) << 1 | unsigned(a1[i + 1]) << 2 |
                                       unsigned(a0[i + 1]) << 3 | unsigned(b0[i]) << 4 | unsigned(b1[i]) << 5 |
                                       unsigned(b1[i + 1]) << 6 | unsigned(b0[i + 1]) << 7;
                    if constexpr (!kEmit) {
                        m_nTriangles += kTriangleCount[c];
                    } else {
                        const std::size_t cell = 3 * (std::size_t(j) * nx + std::size_t(i));
                        const std::int8_t* row = kTriTable[c];
                        for (int t = 0; row[t] >= 0; t += 3) {
                            m_pOutIndex[0] = base[row[t + 2]][cell];
                            m_pOutIndex[1] = base[row[t + 1]][cell];
                            m_pOutIndex[2] = base[row[t]][cell];
                            m_pOutIndex += 3;
                        }
                    }
                }
            }
        }
    }

    CVolume* m_pVolume;
    const T* m_pData;
    const VolumeStatistics& m_box;
    const std::uint16_t m_nIso;
    const int m_nDimX, m_nDimY;
    const int x0, y0, z0, nx, ny, nz;
    const std::size_t plane;
    const float sx, sy, sz;
    std::vector<std::uint8_t> m_bits[3];
    std::unique_ptr<std::int32_t[]> m_ids[2];
    std::vector<T> m_scratch;
    std::size_t m_offset[12];
    std::size_t m_nVertices = 0, m_nTriangles = 0;
    CVector3* m_pOutVertex = nullptr;
    std::int32_t* m_pOutIndex = nullptr;
};

template <class T> void CSurfaceGenerator::March(CMesh& mesh, const T* data, const VolumeStatistics& box)
{
    const float scale[3] = {m_fScaleX, m_fScaleY, m_fScaleZ};
    CMarch<T> march(m_pVolume, data, box, m_nIsoValue, scale);
    std::size_t vertices = 0, triangles = 0;
    march.Count(vertices, triangles);
    constexpr std::size_t kMax = std::size_t(std::numeric_limits<std::int32_t>::max());
    if (vertices > kMax || triangles > kMax / 3)
        throw std::length_error("surface too large for 32-bit indices");
    CVector3* v = mesh.SetVertexCount(int(vertices));
    std::int32_t* idx = mesh.SetIndexCount(int(3 * triangles));
    mesh.m_nPolygons = int(triangles);
    const int slabs = march.Slabs();
    march.Emit(v, idx, [slabs](int k) {
        Status(FormatString("Generating surface - slice %d of %d ...", k + 1, slabs).c_str());
    });
}

void CSurfaceGenerator::BuildMesh(CMesh&)
{
    // The march numbers the vertices in ascending edge id and writes them and
    // the triangles straight into the mesh; only the texts are left.
    Status("Reorganising vertices ...");
    Status("Building mesh ...");
}
