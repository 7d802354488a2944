#include "processing/SurfaceGenerator.h"

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
    m_aVertices.clear();
    m_aTriangles.clear();
    {
        CVolumeLock lock(m_pVolume);
        VolumeStatistics box;
        m_pVolume->GetStatistics(box);
        const bool empty = box.maxX < box.minX || box.maxY < box.minY || box.maxZ < box.minZ || box.minX < 0 ||
                           box.minY < 0 || box.minZ < 0;
        if (!empty) {
            if (!lock.Data())
                March<std::uint16_t>(nullptr, box);
            else if (m_pVolume->m_nBytesPerVoxel == 2)
                March(reinterpret_cast<const std::uint16_t*>(lock.Data()), box);
            else
                March<std::uint8_t>(lock.Data(), box);
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
// out in ascending edge id.
template <class T> void CSurfaceGenerator::March(const T* data, const VolumeStatistics& box)
{
    const int x0 = box.minX - 1, y0 = box.minY - 1, z0 = box.minZ - 1;
    const int nx = box.maxX - box.minX + 3, ny = box.maxY - box.minY + 3, nz = box.maxZ - box.minZ + 3;
    const std::size_t plane = std::size_t(nx) * std::size_t(ny);
    const std::uint16_t iso = m_nIsoValue;
    const std::uint8_t outside = iso > 0 ? 1 : 0; // a zero voxel is below any iso >= 1
    const bool allBelow = iso > std::numeric_limits<T>::max();

    std::vector<std::uint8_t> bitPlanes[3];
    for (auto& b : bitPlanes)
        b.assign(plane, 0);
    std::vector<std::int32_t> idPlanes[2];
    for (auto& p : idPlanes)
        p.assign(3 * plane, 0);
    std::vector<T> scratch(data ? 0 : std::size_t(nx));

    auto value = [&](int gx, int gy, int gz) -> int {
        if (gx < box.minX || gx > box.maxX || gy < box.minY || gy > box.maxY || gz < box.minZ || gz > box.maxZ)
            return 0;
        if (!data)
            return m_pVolume->GetVoxel(gx, gy, gz);
        return data[(std::int64_t(gz) * m_nDimY + gy) * m_nDimX + gx];
    };

    auto fill = [&](int k, std::uint8_t* s) {
        const int gz = z0 + k;
        if (gz < box.minZ || gz > box.maxZ) {
            std::memset(s, outside, plane);
            return;
        }
        const int n = nx - 2;
        for (int j = 0; j < ny; ++j) {
            std::uint8_t* row = s + std::size_t(j) * nx;
            const int gy = y0 + j;
            if (gy < box.minY || gy > box.maxY) {
                std::memset(row, outside, std::size_t(nx));
                continue;
            }
            row[0] = row[nx - 1] = outside;
            if (allBelow) {
                std::memset(row + 1, 1, std::size_t(n));
                continue;
            }
            const T* src;
            if (data) {
                src = data + (std::int64_t(gz) * m_nDimY + gy) * m_nDimX + box.minX;
            } else {
                for (int i = 0; i < n; ++i)
                    scratch[std::size_t(i)] = T(m_pVolume->GetVoxel(box.minX + i, gy, gz));
                src = scratch.data();
            }
            const T t = T(iso);
            for (int i = 0; i < n; ++i)
                row[1 + i] = src[i] < t;
        }
    };

    const float sx = m_fScaleX, sy = m_fScaleY, sz = m_fScaleZ;
    auto along = [iso](int va, int vb, float pa, float pb) {
        const float t = float(int(iso) - va) / float(vb - va);
        return pa + t * (pb - pa);
    };

    // Vertices on the cut lower edges of grid plane k, in y, x, axis order.
    auto vertices = [&](int k, const std::uint8_t* sa, const std::uint8_t* sb, std::int32_t* ids) {
        const int gz = z0 + k;
        const int cells = nx - 1;
        for (int j = 0; j < ny - 1; ++j) {
            const std::uint8_t* a = sa + std::size_t(j) * nx;
            const std::uint8_t* ay = a + nx;
            const std::uint8_t* az = sb + std::size_t(j) * nx;
            const int gy = y0 + j;
            int i = 0;
            while (i < cells) {
                int end = cells;
                if (i + 8 <= cells) {
                    const std::uint64_t w = Load8(a + i);
                    if (((w ^ Load8(a + i + 1)) | (w ^ Load8(ay + i)) | (w ^ Load8(az + i))) == 0) {
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
                    const int gx = x0 + i;
                    const int v0 = value(gx, gy, gz);
                    const float px = float(gx) * sx, py = float(gy) * sy, pz = float(gz) * sz;
                    std::int32_t* slot = ids + 3 * (std::size_t(j) * nx + i);
                    if (cx) {
                        slot[0] = std::int32_t(m_aVertices.size());
                        m_aVertices.push_back({along(value(gx + 1, gy, gz), v0, float(gx + 1) * sx, px), py, pz});
                    }
                    if (cy) {
                        slot[1] = std::int32_t(m_aVertices.size());
                        m_aVertices.push_back({px, along(v0, value(gx, gy + 1, gz), py, float(gy + 1) * sy), pz});
                    }
                    if (cz) {
                        slot[2] = std::int32_t(m_aVertices.size());
                        m_aVertices.push_back({px, py, along(v0, value(gx, gy, gz + 1), pz, float(gz + 1) * sz)});
                    }
                }
            }
        }
    };

    std::size_t offset[12];
    for (int e = 0; e < 12; ++e)
        offset[e] = 3 * (std::size_t(kEdges[e].dj) * nx + kEdges[e].di) + kEdges[e].axis;

    auto triangles = [&](const std::uint8_t* sa, const std::uint8_t* sb, const std::int32_t* ids0,
                         const std::int32_t* ids1) {
        const std::int32_t* base[12];
        for (int e = 0; e < 12; ++e)
            base[e] = (kEdges[e].slice ? ids1 : ids0) + offset[e];
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
                    if (c == 0 || c == 255)
                        continue;
                    const std::size_t cell = 3 * (std::size_t(j) * nx + i);
                    const std::int8_t* row = kTriTable[c];
                    for (int t = 0; row[t] >= 0; t += 3) {
                        m_aTriangles.push_back(base[row[t + 2]][cell]);
                        m_aTriangles.push_back(base[row[t + 1]][cell]);
                        m_aTriangles.push_back(base[row[t]][cell]);
                    }
                }
            }
        }
    };

    const int slabs = nz - 1;
    fill(0, bitPlanes[0].data());
    fill(1, bitPlanes[1].data());
    vertices(0, bitPlanes[0].data(), bitPlanes[1].data(), idPlanes[0].data());
    for (int k = 0; k < slabs; ++k) {
        Status(FormatString("Generating surface - slice %d of %d ...", k + 1, slabs).c_str());
        if (k + 2 < nz)
            fill(k + 2, bitPlanes[(k + 2) % 3].data());
        // Grid plane nz-1 lies beyond the box: none of its edges is cut.
        if (k + 1 < nz - 1)
            vertices(k + 1, bitPlanes[(k + 1) % 3].data(), bitPlanes[(k + 2) % 3].data(),
                     idPlanes[(k + 1) % 2].data());
        triangles(bitPlanes[k % 3].data(), bitPlanes[(k + 1) % 3].data(), idPlanes[k % 2].data(),
                  idPlanes[(k + 1) % 2].data());
    }
}

void CSurfaceGenerator::BuildMesh(CMesh& mesh)
{
    // The march numbers the vertices in ascending edge id as it makes them.
    Status("Reorganising vertices ...");
    constexpr std::size_t kMax = std::size_t(std::numeric_limits<std::int32_t>::max());
    if (m_aVertices.size() > kMax || m_aTriangles.size() > kMax)
        throw std::length_error("surface too large for 32-bit indices");
    Status("Building mesh ...");
    const int nv = int(m_aVertices.size());
    if (CVector3* v = mesh.SetVertexCount(nv))
        std::memcpy(static_cast<void*>(v), m_aVertices.data(), m_aVertices.size() * sizeof(CVector3));
    const int ni = int(m_aTriangles.size());
    mesh.m_nPolygons = ni / 3;
    if (std::int32_t* idx = mesh.SetIndexCount(ni))
        std::memcpy(idx, m_aTriangles.data(), m_aTriangles.size() * sizeof(std::int32_t));
    std::vector<CVector3>().swap(m_aVertices);
    std::vector<std::int32_t>().swap(m_aTriangles);
}
