#pragma once
// The real volumes that real_volumes.py writes into $VEXILO_PEER_DATA, with
// the iso values and seeds the comparisons use on them.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "data/Volume.h"

namespace peers {

using Seed = std::array<float, 3>;

struct RealVolume {
    const char* name;
    const char* stem; // <stem>_u16.raw and <stem>_u8.raw
    int nx, ny, nz;
    std::vector<std::uint16_t> isos; // on the 16-bit file
    std::vector<Seed> in, out;       // for the watershed, on the 8-bit file
};

inline std::vector<RealVolume> RealVolumes()
{
    std::vector<RealVolume> v;
    // Skin and brain of the head; seeds in the brain and in the air around.
    v.push_back({"MRI head 128x128x62",
                 "mri_head",
                 128,
                 128,
                 62,
                 {40},
                 {{64, 64, 31}, {64, 50, 31}, {50, 64, 31}, {78, 64, 31}},
                 {{5, 5, 5}, {122, 5, 5}, {5, 122, 56}, {122, 122, 56}, {5, 122, 5}}});
    // Skin and bone of one CT slice stacked; the object is the vertebral body.
    RealVolume ct{"CT slice x128 128^3", "ct_stack", 128, 128, 128, {500, 1400}, {}, {}};
    for (float z : {32.0f, 64.0f, 96.0f}) {
        ct.in.insert(ct.in.end(), {{60, 35, z}, {60, 25, z}});
        ct.out.insert(ct.out.end(), {{20, 110, z}, {110, 110, z}, {5, 5, z}, {122, 5, z}, {60, 100, z}});
    }
    v.push_back(ct);
    return v;
}

// The volume with `bits` 8 or 16, or null (and a note) when the file is
// missing or has the wrong size.
inline std::unique_ptr<CVolume> LoadReal(const RealVolume& r, int bits)
{
    const char* dir = std::getenv("VEXILO_PEER_DATA");
    if (!dir) {
        std::fprintf(stderr, "%s: VEXILO_PEER_DATA is not set, skipped\n", r.name);
        return nullptr;
    }
    const std::string path = std::string(dir) + "/" + r.stem + (bits == 8 ? "_u8.raw" : "_u16.raw");
    auto v = std::make_unique<CVolume>(r.nx, r.ny, r.nz, bits);
    FILE* f = std::fopen(path.c_str(), "rb");
    const bool ok = f && std::fread(v->m_pData.get(), 1, v->m_nDataBytes, f) == v->m_nDataBytes &&
                    std::fgetc(f) == EOF;
    if (f)
        std::fclose(f);
    if (!ok) {
        std::fprintf(stderr, "%s: %s missing or of the wrong size, skipped\n", r.name, path.c_str());
        return nullptr;
    }
    return v;
}

} // namespace peers
