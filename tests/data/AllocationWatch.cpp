#include "AllocationWatch.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>

namespace {
// Loader threads allocate too, hence the atomics.
std::atomic<std::size_t> g_largest{0};
std::atomic<std::size_t> g_ceiling{SIZE_MAX};
} // namespace

namespace AllocationWatch {
void Start(std::size_t ceiling)
{
    g_largest = 0;
    g_ceiling = ceiling;
}
std::size_t Stop()
{
    g_ceiling = SIZE_MAX;
    return g_largest;
}
#if defined(__SANITIZE_ADDRESS__)
bool Active() { return false; }
#else
bool Active() { return true; }
#endif
} // namespace AllocationWatch

#if !defined(__SANITIZE_ADDRESS__)
namespace {
bool Allowed(std::size_t n)
{
    std::size_t seen = g_largest.load(std::memory_order_relaxed);
    while (n > seen && !g_largest.compare_exchange_weak(seen, n, std::memory_order_relaxed)) {
    }
    return n <= g_ceiling.load(std::memory_order_relaxed);
}
} // namespace

void* operator new(std::size_t n)
{
    if (Allowed(n))
        if (void* p = std::malloc(n ? n : 1))
            return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return Allowed(n) ? std::malloc(n ? n : 1) : nullptr; }
void* operator new[](std::size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
#endif
