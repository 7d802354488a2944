#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

// A zero-filled byte array for voxel data, null when memory runs out. Large
// arrays are backed by huge pages where the system offers them: a volume of
// some hundred megabytes otherwise spends most of its first touch in page
// faults.
std::unique_ptr<std::uint8_t[]> AllocateZeroed(std::size_t bytes);

// Asks for huge pages behind the whole 2 MiB pages of a large block not yet
// touched; a refusal costs nothing.
void AdviseHugePages(void* p, std::size_t bytes);
