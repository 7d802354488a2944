#pragma once
// What the pixel tests of both texture families draw alike: the volumes and
// tables they colour, the planes of the multi-planar view and the stagings
// of a grey volume.
#include <cstdint>
#include <cstddef>
#include <memory>
#include <vector>

#include "OffscreenScene.h"
#include "data/Quaternion.h"
#include "support/VolumeScenes.h"

inline constexpr std::uint32_t kGreen = 0x00FF00FF, kRed = 0xFF0000FF;
inline const Rgba kBlack{0, 0, 0, 0};
inline constexpr int kMiddle = 32;

// Values 100 on the left (x < 8), 200 on the right of a 16^3 volume.
inline std::unique_ptr<CVolume> TwoHalves()
{
    return MakeVolume(16, 16, 16, 8, [](int x, int, int) { return x < 8 ? 100 : 200; });
}
// Opaque green around 100, opaque red around 200, clear elsewhere.
inline std::uint32_t HalvesTable(int i) { return i >= 90 && i <= 110 ? kGreen : i >= 190 && i <= 210 ? kRed : 0; }
inline std::uint32_t Identity(int i) { return std::uint32_t(i) * 0x01010101u; }

// The planes of one axis of the multi-planar view, turned to face the viewer.
struct PlaneAxis {
    int axis;
    CVector3 turnAxis;
    const char* why;
    Quaternion FaceOn() const { return axis == 2 ? Quaternion{0, 0, 0, 1} : AxisAngleToQuat(turnAxis, 90 * kDegToRad); }
};
inline const PlaneAxis kPlaneAxes[] = {
    {2, {0, 0, 1}, "z, seen as it is"},
    {0, {0, 1, 0}, "x, turned about y"},
    {1, {1, 0, 0}, "y, turned about x"},
};
// A 16^3 volume whose voxels hold 40 + 10 times their index along `axis`,
// so that a plane across that axis shows which voxel it cuts.
inline std::unique_ptr<CVolume> AxisRamp(int axis)
{
    return MakeVolume(16, 16, 16, 8, [axis](int x, int y, int z) {
        const int i[3] = {x, y, z};
        return 40 + 10 * i[axis];
    });
}
inline int AxisRampValue(int axis, const int (&voxel)[3]) { return 40 + 10 * voxel[axis]; }

// How a grey volume reaches the textures: 8 bits, 16 bits rescaled to 8, or
// 16 bits kept.
struct Staging {
    int bits;
    bool rescale;
    const char* why;
    bool Wide() const { return bits == 16 && !rescale; }
    // Voxel (x, y, z) of Staged() holds this, times 257 at 16 bits.
    static int Value(int x, int y, int z) { return 1 + x + 4 * y + 20 * z; }
    // What a texel of that voxel holds.
    int Texel(int x, int y, int z) const { return Wide() ? Value(x, y, z) * 257 : Value(x, y, z); }
    // The type the texels are read back in, and texel i of what was read.
    GLenum Type() const { return Wide() ? GL_UNSIGNED_SHORT : GL_UNSIGNED_BYTE; }
    int Read(const std::vector<std::uint8_t>& bytes, std::size_t i) const
    {
        return Wide() ? bytes[2 * i] | bytes[2 * i + 1] << 8 : bytes[i];
    }
};
inline const Staging kStagings[] = {{8, true, "8 bits"}, {16, true, "16 bits rescaled"}, {16, false, "16 bits kept"}};
// A dx x dy x dz volume whose voxels tell their place, at the staging's
// depth; the test sets the rescale option.
inline std::unique_ptr<CVolume> Staged(int dx, int dy, int dz, const Staging& staging)
{
    return MakeVolume(dx, dy, dz, staging.bits, [&](int x, int y, int z) {
        return staging.bits == 16 ? Staging::Value(x, y, z) * 257 : Staging::Value(x, y, z);
    });
}
// Draws Staged(dx, dy, dz) of each staging once with R in a scene of type
// S, the rescale option as the staging says, and hands both to `check`.
template <class S, class R, class Check> void DrawEachStaging(int dx, int dy, int dz, Check check)
{
    for (const Staging& staging : kStagings) {
        SettingsGuard settings;
        settings->m_bRescaleTo8Bit = staging.rescale;
        auto volume = Staged(dx, dy, dz, staging);
        auto s = S::template Make<R>(volume.get());
        s->Frame();
        check(staging, *s);
    }
}
