#pragma once
// Fields of the native mesh and volume files (MeshNativeFile.cpp,
// VolumeNativeFile.cpp): little-endian int32 and float fields; the kind is
// told by the signs of the first two words.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "data/Vector3.h"
#include "platform/File.h"

static_assert(std::endian::native == std::endian::little, "the file layouts are copied straight from memory");
static_assert(sizeof(CVector3) == 12, "vertex arrays are written as packed float triples");

namespace native {
constexpr std::uint64_t kMeshHeaderBytes = 93;
constexpr std::uint64_t kVolumeHeaderBytes = 288;
constexpr std::uint32_t kHistogramBytes = 256;

class CByteWriter {
public:
    void I32(std::int32_t v) { Bytes(&v, 4); }
    void U32(std::uint32_t v) { Bytes(&v, 4); }
    void F32(float v) { Bytes(&v, 4); }
    void U8(std::uint8_t v) { Bytes(&v, 1); }
    void Vec(const CVector3& v)
    {
        F32(v.x);
        F32(v.y);
        F32(v.z);
    }
    void Bytes(const void* p, std::size_t n)
    {
        const auto* b = static_cast<const std::uint8_t*>(p);
        m_bytes.insert(m_bytes.end(), b, b + n);
    }
    void WriteTo(CFile& f) const { f.WriteHuge(m_bytes.data(), m_bytes.size()); }

private:
    std::vector<std::uint8_t> m_bytes;
};

// Reads fields from a header that was read whole, so no field can run past it.
class CByteReader {
public:
    explicit CByteReader(const std::uint8_t* p) : m_p(p) {}
    std::int32_t I32() { return Get<std::int32_t>(); }
    std::uint32_t U32() { return Get<std::uint32_t>(); }
    float F32() { return Get<float>(); }
    std::uint8_t U8() { return Get<std::uint8_t>(); }
    CVector3 Vec()
    {
        float x = F32(), y = F32();
        return {x, y, F32()};
    }
    void Skip(std::size_t n) { m_p += n; }

private:
    template <class T> T Get()
    {
        T v;
        std::memcpy(&v, m_p, sizeof v);
        m_p += sizeof v;
        return v;
    }
    const std::uint8_t* m_p;
};

inline bool ReadExactly(CFile& f, void* p, std::uint64_t n) { return f.ReadHuge(p, n) == n; }
} // namespace native
