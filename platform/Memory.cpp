#include "platform/Memory.h"

#include <cstring>
#include <new>

#include <sys/mman.h>

std::unique_ptr<std::uint8_t[]> AllocateZeroed(std::size_t bytes)
{
    std::unique_ptr<std::uint8_t[]> p(new (std::nothrow) std::uint8_t[bytes]);
    if (!p)
        return p;
#ifdef MADV_HUGEPAGE
    constexpr std::size_t kHuge = std::size_t(2) << 20;
    if (bytes >= 4 * kHuge) {
        // Only whole huge pages inside the block; a refusal costs nothing.
        auto first = (reinterpret_cast<std::uintptr_t>(p.get()) + kHuge - 1) & ~std::uintptr_t(kHuge - 1);
        auto last = (reinterpret_cast<std::uintptr_t>(p.get()) + bytes) & ~std::uintptr_t(kHuge - 1);
        if (last > first)
            madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
#endif
    std::memset(p.get(), 0, bytes);
    return p;
}
