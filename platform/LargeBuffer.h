#pragma once
#include <cstddef>
#include <memory>
#include <type_traits>

// Uninitialised storage for work arrays of many megabytes, backed by huge
// pages where the system offers them: faulting in hundreds of megabytes
// page by page can cost more than the work done on them.
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
