#include "AllocationWatch.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <malloc.h>

namespace {
// Loader threads allocate too, hence the atomics.
std::atomic<std::size_t> g_largest{0};
std::atomic<std::size_t> g_ceiling{SIZE_MAX};
std::atomic<std::size_t> g_held{0};
std::atomic<std::size_t> g_peak{0};
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
std::size_t HeldBytes() { return g_held; }
std::size_t PeakHeldBytes() { return g_peak; }
void ResetPeak() { g_peak = g_held.load(); }
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

// What the allocator gave, counted the same way when it is freed.
void* Held(void* p)
{
    if (!p)
        return p;
    const std::size_t n = malloc_usable_size(p);
    const std::size_t held = g_held.fetch_add(n, std::memory_order_relaxed) + n;
    std::size_t peak = g_peak.load(std::memory_order_relaxed);
    while (held > peak && !g_peak.compare_exchange_weak(peak, held, std::memory_order_relaxed)) {
    }
    return p;
}
void Free(void* p) noexcept
{
    if (p)
        g_held.fetch_sub(malloc_usable_size(p), std::memory_order_relaxed);
    std::free(p);
}
} // namespace

void* operator new(std::size_t n)
{
    if (Allowed(n))
        if (void* p = Held(std::malloc(n ? n : 1)))
            return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept
{
    return Allowed(n) ? Held(std::malloc(n ? n : 1)) : nullptr;
}
void* operator new[](std::size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete(void* p) noexcept { Free(p); }
void operator delete[](void* p) noexcept { Free(p); }
void operator delete(void* p, std::size_t) noexcept { Free(p); }
void operator delete[](void* p, std::size_t) noexcept { Free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Free(p); }
#endif
