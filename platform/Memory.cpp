#include "platform/Memory.h"

#include <cstring>
#include <new>

#include <sys/mman.h>

void AdviseHugePages(void* p, std::size_t bytes)
{
#ifdef MADV_HUGEPAGE
    constexpr std::size_t kHuge = std::size_t(2) << 20;
    if (!p || bytes < 4 * kHuge)
        return;
    // Only whole huge pages inside the block.
    auto first = (reinterpret_cast<std::uintptr_t>(p) + kHuge - 1) & ~std::uintptr_t(kHuge - 1);
    auto last = (reinterpret_cast<std::uintptr_t>(p) + bytes) & ~std::uintptr_t(kHuge - 1);
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
