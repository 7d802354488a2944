#include "processing/SurfaceGenerator.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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
// 0. A first pass packs the below-iso bits of every grid point into 64-bit
// words, a row of x per run of words, and counts vertices and triangles from
// them; the second writes straight into arrays of that size. Cut edges and cut
// cells come from word-wide logic, so untouched runs of a row cost a few
// instructions per 64 points and only cut cells reach the case tables. The
// vertices of grid plane k+1 are made before the triangles of cell slab k, so
// every index a triangle names exists, and the vertices come out in ascending
// edge id (plane, row, x, axis).
template <class T> class CMarch {
public:
    CMarch(CVolume* volume, const T* data, const VolumeStatistics& box, std::uint16_t iso, const float scale[3])
        : m_pVolume(volume), m_pData(data), m_box(box), m_nIso(iso), m_nDimX(volume->m_nDimX),
          m_nDimY(volume->m_nDimY), x0(box.minX - 1), y0(box.minY - 1), z0(box.minZ - 1),
          nx(box.maxX - box.minX + 3), ny(box.maxY - box.minY + 3), nz(box.maxZ - box.minZ + 3),
          words(std::size_t(nx) / 64 + 1), plane(std::size_t(nx) * std::size_t(ny)), sx(scale[0]), sy(scale[1]),
          sz(scale[2]), m_pad(iso > 0 ? ~std::uint64_t(0) : 0)
    {
        // A zero voxel is below any iso >= 1; `words` leaves bit nx free, so
        // the last real point always has a padding neighbour in its row.
        m_bits = std::make_unique_for_overwrite<std::uint64_t[]>(std::size_t(nz) * ny * words);
        m_uniform = std::make_unique_for_overwrite<std::uint8_t[]>(std::size_t(nz) * ny);
        if (!m_pData)
            m_scratch.resize(std::size_t(nx));
        for (int e = 0; e < 12; ++e)
            m_offset[e] = 3 * (std::size_t(kEdges[e].dj) * nx + kEdges[e].di) + std::size_t(kEdges[e].axis);
    }

    int Slabs() const { return nz - 1; }

    // Classifies every grid point and counts the vertices and triangles.
    void Count(std::size_t& vertices, std::size_t& triangles)
    {
        std::size_t nv = 0, nt = 0;
        Classify(0);
        for (int k = 0; k + 1 < nz; ++k) {
            Classify(k + 1);
            for (int j = 0; j + 1 < ny; ++j) {
                if (Uniform(j, k) && Uniform(j + 1, k) && Uniform(j, k + 1) && Uniform(j + 1, k + 1))
                    continue;
                const std::uint64_t *a = Row(j, k), *b = Row(j + 1, k), *c = Row(j, k + 1), *d = Row(j + 1, k + 1);
                for (std::size_t w = 0; w < words; ++w) {
                    const std::uint64_t a1 = Next(a, w);
                    nv += PopCount(a[w] ^ a1) + PopCount(a[w] ^ b[w]) + PopCount(a[w] ^ c[w]);
                    for (std::uint64_t m = Mixed(a, b, c, d, w); m; m &= m - 1)
                        nt += kTriangleCount[Case(a, b, c, d, w, std::countr_zero(m))];
                }
            }
        }
        vertices = nv;
        triangles = nt;
    }

    // Writes them; `onSlab` is called before each cell slab.
    template <class F> void Emit(CVector3* vertices, std::int32_t* indices, F onSlab)
    {
        // Read only where written: no need to clear.
        for (auto& p : m_ids)
            p = std::make_unique_for_overwrite<std::int32_t[]>(3 * plane);
        m_pOutVertex = vertices;
        m_pOutIndex = indices;
        m_nVertices = 0;
        Vertices(0);
        for (int k = 0; k < nz - 1; ++k) {
            onSlab(k);
            // Grid plane nz-1 lies beyond the box: none of its edges is cut.
            if (k + 1 < nz - 1)
                Vertices(k + 1);
            Triangles(k);
        }
    }

private:
    static unsigned PopCount(std::uint64_t x)
    {
        // Without a popcnt target std::popcount is a library call.
        x -= (x >> 1) & 0x5555555555555555ULL;
        x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
        x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
        return unsigned((x * 0x0101010101010101ULL) >> 56);
    }

    const std::uint64_t* Row(int j, int k) const { return &m_bits[(std::size_t(k) * ny + std::size_t(j)) * words]; }
    bool Uniform(int j, int k) const { return m_uniform[std::size_t(k) * ny + std::size_t(j)] != 0; }

    // Bits of the points one step up x from those of word w.
    std::uint64_t Next(const std::uint64_t* r, std::size_t w) const
    {
        return r[w] >> 1 | (w + 1 < words ? r[w + 1] : m_pad) << 63;
    }

    // Cells of word w, between rows a (y, z), b (y+1), c (z+1), d (y+1, z+1),
    // whose corners are not all on one side.
    std::uint64_t Mixed(const std::uint64_t* a, const std::uint64_t* b, const std::uint64_t* c,
                        const std::uint64_t* d, std::size_t w) const
    {
        const std::uint64_t any = a[w] | b[w] | c[w] | d[w];
        const std::uint64_t all = a[w] & b[w] & c[w] & d[w];
        const std::uint64_t anyNext = Next(a, w) | Next(b, w) | Next(c, w) | Next(d, w);
        const std::uint64_t allNext = Next(a, w) & Next(b, w) & Next(c, w) & Next(d, w);
        return (any | anyNext) & ~(all & allNext);
    }

    unsigned Case(const std::uint64_t* a, const std::uint64_t* b, const std::uint64_t* c, const std::uint64_t* d,
                  std::size_t w, int s) const
    {
        auto bit = [s](std::uint64_t x) { return unsigned(x >> s) & 1u; };
        return bit(a[w]) | bit(b[w]) << 1 | bit(Next(b, w)) << 2 | bit(Next(a, w)) << 3 | bit(c[w]) << 4 |
               bit(d[w]) << 5 | bit(Next(d, w)) << 6 | bit(Next(c, w)) << 7;
    }

    // Bits of n voxels from `src`, 1 below iso, into `out` at bit 1 on; the
    // bits before and after them are padding.
    void PackRow(const T* src, int n, std::uint64_t* out) const
    {
        std::uint64_t carry = m_pad & 1;
        std::size_t w = 0;
        for (int i = 0; i < n; i += 64, ++w) {
            const int len = std::min(64, n - i);
            std::uint64_t m = Below(src, i, len, n);
            if (len < 64)
                m |= m_pad << len;
            out[w] = m << 1 | carry;
            carry = m >> 63;
        }
        for (; w < words; ++w)
            out[w] = m_pad << 1 | carry;
    }

    // Bit c set where src[i + c] < iso, for len <= 64 values of a row of n.
    std::uint64_t Below(const T* src, int i, int len, int n) const
    {
        if (m_nIso == 0)
            return 0;
        if (m_nIso > std::numeric_limits<T>::max())
            return len == 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << len) - 1;
        std::uint64_t m = 0;
        int c = 0;
#ifdef __SSE2__
        for (; c + 16 <= len; c += 16)
            m |= std::uint64_t(Below16(src + i + c)) << c;
        if (c < len && n >= 16) {
            // The row's last sixteen values, of which the first few are done.
            const int rest = len - c;
            return m | std::uint64_t(Below16(src + i + len - 16) >> (16 - rest)) << c;
        }
#endif
        const T t = T(m_nIso);
        for (; c < len; ++c)
            m |= std::uint64_t(src[i + c] < t) << c;
        return m;
    }

#ifdef __SSE2__
    // Bit c set where src[c] < iso, for 16 values; 1 <= iso <= the type's max.
    unsigned Below16(const T* src) const
    {
        if constexpr (sizeof(T) == 1) {
            // v < iso exactly when min(v, iso - 1) == v.
            const __m128i t = _mm_set1_epi8(char(m_nIso - 1));
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
            return unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(v, t), v)));
        } else {
            // v < iso exactly when the saturated iso - v is not zero.
            const __m128i t = _mm_set1_epi16(std::int16_t(m_nIso)), zero = _mm_setzero_si128();
            const __m128i* p = reinterpret_cast<const __m128i*>(src);
            const __m128i lo = _mm_cmpeq_epi16(_mm_subs_epu16(t, _mm_loadu_si128(p)), zero);
            const __m128i hi = _mm_cmpeq_epi16(_mm_subs_epu16(t, _mm_loadu_si128(p + 1)), zero);
            return ~unsigned(_mm_movemask_epi8(_mm_packs_epi16(lo, hi))) & 0xFFFFu;
        }
    }
#endif

    // Bits of grid plane k.
    void Classify(int k)
    {
        const int gz = z0 + k;
        const bool planeOutside = gz < m_box.minZ || gz > m_box.maxZ;
        const int n = nx - 2;
        for (int j = 0; j < ny; ++j) {
            std::uint64_t* out = &m_bits[(std::size_t(k) * ny + std::size_t(j)) * words];
            const int gy = y0 + j;
            if (planeOutside || gy < m_box.minY || gy > m_box.maxY) {
                std::fill(out, out + words, m_pad);
                m_uniform[std::size_t(k) * ny + std::size_t(j)] = 1;
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
            PackRow(src, n, out);
            std::uint64_t diff = 0;
            for (std::size_t w = 0; w < words; ++w)
                diff |= out[w] ^ m_pad;
            m_uniform[std::size_t(k) * ny + std::size_t(j)] = diff == 0;
        }
    }

    // A voxel row for the interpolation; every point outside the box reads 0.
    struct VoxelRow {
        const T* data; // null when read through GetVoxel
        int gy, gz;
        bool inside;
    };
    VoxelRow RowAt(int gy, int gz) const
    {
        const bool inside = gy >= m_box.minY && gy <= m_box.maxY && gz >= m_box.minZ && gz <= m_box.maxZ;
        const T* data = inside && m_pData ? m_pData + (std::int64_t(gz) * m_nDimY + gy) * m_nDimX : nullptr;
        return {data, gy, gz, inside};
    }

    int Value(const VoxelRow& r, int gx) const
    {
        if (!r.inside || gx < m_box.minX || gx > m_box.maxX)
            return 0;
        return r.data ? int(r.data[gx]) : int(m_pVolume->GetVoxel(gx, r.gy, r.gz));
    }

    float Along(int va, int vb, float pa, float pb) const
    {
        const float t = float(int(m_nIso) - va) / float(vb - va);
        return pa + t * (pb - pa);
    }

    // Asks for the voxels that the cut edges of row j of grid plane k read:
    // the first pass read the volume long ago, and the few lines each row
    // needs are too scattered for the hardware to foresee. Inlined, or the
    // compiler finds a call without effect and drops it.
    [[gnu::always_inline]] void Prefetch(int j, int k) const
    {
        if (!m_pData || j + 1 >= ny || (Uniform(j, k) && Uniform(j + 1, k) && Uniform(j, k + 1)))
            return;
        const std::uint64_t *a = Row(j, k), *b = Row(j + 1, k), *c = Row(j, k + 1);
        const int gy = y0 + j, gz = z0 + k;
        const VoxelRow rows[3] = {RowAt(gy, gz), RowAt(gy + 1, gz), RowAt(gy, gz + 1)};
        constexpr int kLine = 64 / int(sizeof(T));
        constexpr std::uint64_t kLineMask = kLine == 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << kLine) - 1;
        for (std::size_t w = 0; w < words; ++w) {
            const std::uint64_t cut = (a[w] ^ Next(a, w)) | (a[w] ^ b[w]) | (a[w] ^ c[w]);
            if (!cut)
                continue;
            for (int q = 0; q < 64; q += kLine) {
                if (!((cut >> q) & kLineMask))
                    continue;
                const int gx = std::clamp(x0 + int(64 * w) + q, m_box.minX, m_box.maxX);
                for (const VoxelRow& r : rows)
                    if (r.data)
                        __builtin_prefetch(r.data + gx);
            }
        }
    }

    // The cut lower edges of grid plane k, in y, x, axis order.
    void Vertices(int k)
    {
        constexpr int kAhead = 2;
        const int gz = z0 + k;
        std::int32_t* ids = m_ids[k % 2].get();
        for (int j = 0; j < kAhead; ++j)
            Prefetch(j, k);
        for (int j = 0; j + 1 < ny; ++j) {
            Prefetch(j + kAhead, k);
            if (Uniform(j, k) && Uniform(j + 1, k) && Uniform(j, k + 1))
                continue;
            const std::uint64_t *a = Row(j, k), *b = Row(j + 1, k), *c = Row(j, k + 1);
            const int gy = y0 + j;
            const VoxelRow r0 = RowAt(gy, gz), ry = RowAt(gy + 1, gz), rz = RowAt(gy, gz + 1);
            const float py = float(gy) * sy, pz = float(gz) * sz;
            std::int32_t* rowIds = ids + 3 * std::size_t(j) * nx;
            for (std::size_t w = 0; w < words; ++w) {
                const std::uint64_t cx = a[w] ^ Next(a, w), cy = a[w] ^ b[w], cz = a[w] ^ c[w];
                for (std::uint64_t m = cx | cy | cz; m; m &= m - 1) {
                    const int s = std::countr_zero(m);
                    const int i = int(64 * w) + s;
                    const int gx = x0 + i;
                    const int v0 = Value(r0, gx);
                    const float px = float(gx) * sx;
                    std::int32_t* slot = rowIds + 3 * std::size_t(i);
                    if ((cx >> s) & 1) {
                        slot[0] = std::int32_t(m_nVertices++);
                        *m_pOutVertex++ = {Along(Value(r0, gx + 1), v0, float(gx + 1) * sx, px), py, pz};
                    }
                    if ((cy >> s) & 1) {
                        slot[1] = std::int32_t(m_nVertices++);
                        *m_pOutVertex++ = {px, Along(v0, Value(ry, gx), py, float(gy + 1) * sy), pz};
                    }
                    if ((cz >> s) & 1) {
                        slot[2] = std::int32_t(m_nVertices++);
                        *m_pOutVertex++ = {px, py, Along(v0, Value(rz, gx), pz, float(gz + 1) * sz)};
                    }
                }
            }
        }
    }

    // The triangles of cell slab k, in y, x, table order, each as c, b, a.
    void Triangles(int k)
    {
        const std::int32_t* base[12];
        for (int e = 0; e < 12; ++e)
            base[e] = m_ids[(k + kEdges[e].slice) % 2].get() + m_offset[e];
        for (int j = 0; j + 1 < ny; ++j) {
            if (Uniform(j, k) && Uniform(j + 1, k) && Uniform(j, k + 1) && Uniform(j + 1, k + 1))
                continue;
            const std::uint64_t *a = Row(j, k), *b = Row(j + 1, k), *c = Row(j, k + 1), *d = Row(j + 1, k + 1);
            for (std::size_t w = 0; w < words; ++w) {
                for (std::uint64_t m = Mixed(a, b, c, d, w); m; m &= m - 1) {
                    const int s = std::countr_zero(m);
                    const std::int8_t* row = kTriTable[Case(a, b, c, d, w, s)];
                    const std::size_t cell = 3 * (std::size_t(j) * nx + 64 * w + std::size_t(s));
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

    CVolume* m_pVolume;
    const T* m_pData;
    const VolumeStatistics& m_box;
    const std::uint16_t m_nIso;
    const int m_nDimX, m_nDimY;
    const int x0, y0, z0, nx, ny, nz;
    const std::size_t words, plane;
    const float sx, sy, sz;
    const std::uint64_t m_pad;
    std::unique_ptr<std::uint64_t[]> m_bits;
    std::unique_ptr<std::uint8_t[]> m_uniform;
    std::unique_ptr<std::int32_t[]> m_ids[2];
    std::vector<T> m_scratch;
    std::size_t m_offset[12];
    std::size_t m_nVertices = 0;
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
    // The texts count the box's own slices: slab 0, the padding below the
    // box, goes with its first slice, and slab k with slice k.
    const int slices = march.Slabs() - 1;
    march.Emit(v, idx, [slices](int k) {
        if (k != 1)
            Status(FormatString("Generating surface - slice %d of %d ...", std::max(k, 1), slices).c_str());
    });
}

void CSurfaceGenerator::BuildMesh(CMesh&)
{
    // The march numbers the vertices in ascending edge id and writes them and
    // the triangles straight into the mesh; only the texts are left.
    Status("Reorganising vertices ...");
    Status("Building mesh ...");
}
