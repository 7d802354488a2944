#include "platform/Memory.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include <sys/mman.h>

namespace {
constexpr std::size_t kHugePage = std::size_t(2) << 20;
}

void AdviseHugePages(void* p, std::size_t bytes)
{
#ifdef MADV_HUGEPAGE
    if (!p || bytes < 2 * kHugePage)
        return;
    // Only whole huge pages inside the block.
    auto first = (reinterpret_cast<std::uintptr_t>(p) + kHugePage - 1) & ~std::uintptr_t(kHugePage - 1);
    auto last = (reinterpret_cast<std::uintptr_t>(p) + bytes) & ~std::uintptr_t(kHugePage - 1);
    if (last > first)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
    (void)p;
    (void)bytes;
#endif
}

std::unique_ptr<std::uint8_t[]> AllocateZeroed(std::size_t bytes)
{
    std::unique_ptr<std::uint8_t[]> p(new (std::nothrow) std::uint8_t[bytes]);
    if (!p)
        return p;
    AdviseHugePages(p.get(), bytes);
    std::memset(p.get(), 0, bytes);
    return p;
}

void* AllocateLarge(std::size_t bytes)
{
    if (bytes == 0)
        bytes = 1;
    void* p = nullptr;
    if (bytes >= 2 * kHugePage) {
        // Aligned so that every page of the block can be a huge one.
        const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        p = std::aligned_alloc(kHugePage, rounded);
        AdviseHugePages(p, rounded);
    }
    if (!p)
        p = std::malloc(bytes);
    if (!p)
        throw std::bad_alloc();
    return p;
}

void FreeLarge(void* p) noexcept { std::free(p); }
