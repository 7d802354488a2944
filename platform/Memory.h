#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>

// Asks for huge pages behind the whole 2 MiB pages of a block not yet
// touched; a refusal costs nothing.
void AdviseHugePages(void* p, std::size_t bytes);

// Whether voxel data and work arrays ask for huge pages. Off: on a loaded
// machine the kernel compacts memory to find them, at a cost far beyond the
// page faults they save (Memory.cpp has the figures). The huge-page
// benchmark turns it on to compare.
void SetHugePagesForLargeBlocks(bool on);

// A zero-filled byte array for voxel data, null when memory runs out.
std::unique_ptr<std::uint8_t[]> AllocateZeroed(std::size_t bytes);

// Uninitialised storage for work arrays of many megabytes, aligned to 2 MiB
// when that large. Pages::Huge asks for huge pages whatever the setting.
enum class Pages { AsSet, Huge };
void* AllocateLarge(std::size_t bytes, Pages pages = Pages::AsSet); // throws std::bad_alloc
void FreeLarge(void* p) noexcept;

struct LargeDeleter {
    void operator()(void* p) const noexcept { FreeLarge(p); }
};
template <typename T>
using LargeArray = std::unique_ptr<T[], LargeDeleter>;

template <typename T>
LargeArray<T> MakeLargeArray(std::size_t n, Pages pages = Pages::AsSet)
{
    static_assert(std::is_trivially_default_constructible_v<T> && std::is_trivially_destructible_v<T>);
    return LargeArray<T>(static_cast<T*>(AllocateLarge(n * sizeof(T), pages)));
}
