#include "platform/LargeBuffer.h"

#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {
constexpr std::size_t kHugePage = std::size_t(2) << 20;
}

void* AllocateLarge(std::size_t bytes)
{
    if (bytes == 0)
        bytes = 1;
    void* p = nullptr;
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (bytes >= 2 * kHugePage) {
        const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        p = std::aligned_alloc(kHugePage, rounded);
        if (p)
            madvise(p, rounded, MADV_HUGEPAGE); // a hint; failure only costs speed
    }
#endif
    if (!p)
        p = std::malloc(bytes);
    if (!p)
        throw std::bad_alloc();
    return p;
}

void FreeLarge(void* p) noexcept
{
    std::free(p);
}
