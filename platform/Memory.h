#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>

// Large arrays are backed by huge pages where the system offers them: a
// block of some hundred megabytes otherwise spends most of its first touch
// in page faults.

// Asks for huge pages behind the whole 2 MiB pages of a block not yet
// touched; a refusal costs nothing.
void AdviseHugePages(void* p, std::size_t bytes);

// A zero-filled byte array for voxel data, null when memory runs out.
std::unique_ptr<std::uint8_t[]> AllocateZeroed(std::size_t bytes);

// Uninitialised storage for work arrays of many megabytes.
void* AllocateLarge(std::size_t bytes); // throws std::bad_alloc
void FreeLarge(void* p) noexcept;

struct LargeDeleter {
    void operator()(void* p) const noexcept { FreeLarge(p); }
};
template <typename T>
using LargeArray = std::unique_ptr<T[], LargeDeleter>;

template <typename T>
LargeArray<T> MakeLargeArray(std::size_t n)
{
    static_assert(std::is_trivially_default_constructible_v<T> && std::is_trivially_destructible_v<T>);
    return LargeArray<T>(static_cast<T*>(AllocateLarge(n * sizeof(T))));
}
