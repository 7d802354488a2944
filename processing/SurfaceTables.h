#pragma once
#include <array>
#include <cstdint>

// Marching-cubes case tables. Corner bits: 0 (0,0,0), 1 (0,1,0), 2 (1,1,0),
// 3 (1,0,0), 4 (0,0,1), 5 (0,1,1), 6 (1,1,1), 7 (1,0,1). Edge e joins the
// corners 0-1, 1-2, 2-3, 3-0, 4-5, 5-6, 6-7, 7-4, 0-4, 1-5, 2-6, 3-7.
extern const std::array<std::uint16_t, 256> kEdgeTable;
// Edge triples of up to five triangles per case, ended by -1.
extern const std::int8_t kTriTable[256][16];
