#pragma once
// What the recorder tests of the classification leaves of both texture
// families share.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "RecordedVolume.h"
#include "render/Renderer.h"

using Lines = std::vector<std::string>;

inline std::unique_ptr<CVolume> Cube(int bits = 8)
{
    return MakeVolume(4, 4, 4, bits, [](int x, int y, int z) { return 10 * x + y + z; });
}

// A GL value or enum as the described calls print it.
inline std::string N(double v) { return std::to_string(static_cast<long long>(v)); }
inline std::string Address(const void* p) { return std::to_string(reinterpret_cast<std::uintptr_t>(p)); }

// The calls from the first that begins with `name` (after `skip` such) on,
// `count` of them, described with every argument.
inline Lines From(const CRecordingSurface& s, const std::string& name, std::size_t count, std::size_t skip = 0)
{
    const Lines all = Described(s, s.Names());
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].rfind(name, 0) != 0 || skip-- > 0)
            continue;
        return Lines(all.begin() + long(i), all.begin() + long(std::min(all.size(), i + count)));
    }
    return {};
}

// A leaf as the renderer dialog lists it.
struct LeafIdentity {
    std::unique_ptr<CRenderer> renderer;
    const char* description;
    bool autoUpdate;
};
// Each leaf's description, auto-update and transfer function; then every
// context they made on `s` is gone with them.
inline void ExpectIdentities(std::span<LeafIdentity> leaves, const CRecordingSurface& s)
{
    for (const LeafIdentity& c : leaves) {
        EXPECT_EQ(c.renderer->m_pszDescription, c.description);
        EXPECT_EQ(c.renderer->m_bAutoUpdate, c.autoUpdate) << c.description;
        EXPECT_NE(c.renderer->m_pTransferFunction, nullptr) << c.description;
    }
    for (LeafIdentity& c : leaves)
        c.renderer.reset();
    EXPECT_EQ(s.m_nLiveContexts, 0);
    GlMakeCurrent(nullptr, nullptr);
}
