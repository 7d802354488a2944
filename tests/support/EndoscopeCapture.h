#pragma once
// Endoscope captures as the tests write them, field by field: the version 1
// header with its frame (.end) and marker (.mar) companions' records, and the
// headers and frame records of versions 2 and 3.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace capture {
// A little-endian record of a fixed size, written field by field.
struct Record {
    explicit Record(std::size_t size) : bytes(size, '\0') {}
    template <class T> Record& Put(std::size_t at, T value)
    {
        std::memcpy(&bytes[at], &value, sizeof value); // the build machine is little-endian
        return *this;
    }
    Record& Put3f(std::size_t at, float x, float y, float z) { return Put(at, x).Put(at + 4, y).Put(at + 8, z); }
    std::string bytes;
};

inline std::string Header1(std::int16_t sensors, double tip, const std::vector<double>& lengths)
{
    Record h(183);
    h.Put(0, std::uint32_t(0xF1290001)).Put(37, sensors).Put(39, tip);
    std::size_t at = 47;
    for (double l : lengths)
        h.Put(at, l), at += 8;
    return h.bytes;
}

// One sensor of a version 1 frame.
struct Item {
    float x, y, z, theta, phi;
    bool valid;
};
inline std::string Frame1(const std::vector<Item>& items, std::int16_t marker)
{
    Record f(380);
    std::size_t at = 4;
    for (const Item& i : items) {
        f.Put3f(at, i.x, i.y, i.z).Put(at + 12, i.theta).Put(at + 16, i.phi).Put(at + 20, std::uint8_t(i.valid));
        at += 21;
    }
    f.Put(340, marker);
    return f.bytes;
}

inline std::string Marker(double x, double y, double z)
{
    Record m(410);
    m.Put(123, x).Put(131, y).Put(139, z);
    return m.bytes;
}

// One sensor of a version 2 or 3 frame: valid, its position and direction.
struct Sensor {
    bool valid;
    float px, py, pz, dx, dy, dz;
};
// A frame's target; one number t stands for (t, 2t, 3t).
struct Target {
    Target(float t) : x(t), y(2 * t), z(3 * t) {}
    Target(float tx, float ty, float tz) : x(tx), y(ty), z(tz) {}
    float x, y, z;
};
// A frame record of version 2 (shift 0, 654 bytes) or 3 (shift 4, 651 bytes).
// Without lengths the segments are 0.25, 0.5, ... 3.75.
inline std::string FrameV(int version, const std::vector<Sensor>& sensors, bool frameValid, Target target,
                          bool extension = false, const std::vector<float>& lengths = {})
{
    const std::size_t s = version == 3 ? 4 : 0;
    Record f(version == 3 ? 651 : 654);
    int i = 0;
    for (const Sensor& v : sensors) {
        f.Put(2 + s + i, std::uint8_t(v.valid));
        f.Put3f(18 + s + 12 * i, v.px, v.py, v.pz);
        f.Put3f(210 + s + 12 * i, v.dx, v.dy, v.dz);
        ++i;
    }
    for (int k = 0; k < 15; ++k)
        f.Put(402 + s + 4 * k, lengths.empty() ? float(k + 1) * 0.25f : lengths[std::size_t(k)]);
    f.Put3f(492 + s, target.x, target.y, target.z);
    f.Put(612 + s, std::uint8_t(frameValid));
    if (version == 3)
        f.Put(650, std::uint8_t(extension));
    return f.bytes + (extension ? std::string(21, '\x7f') : "");
}

inline std::string Head2() { return Record(4).Put(0, std::uint32_t(0x7149331A)).bytes + Record(101).Put(80, 7).bytes; }
inline std::string Head3()
{
    const unsigned char id[16] = {0x26, 0x8F, 0xF2, 0xD2, 0xB4, 0x38, 0x94, 0x4F,
                                  0x85, 0x7A, 0x98, 0xE1, 0x6B, 0xF7, 0x5A, 0x93};
    return std::string(reinterpret_cast<const char*>(id), 16) + Record(97).Put(76, 7).bytes;
}
} // namespace capture
