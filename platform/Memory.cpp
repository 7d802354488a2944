#include "platform/Memory.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

#include <sys/mman.h>

namespace {
constexpr std::size_t kHugePage = std::size_t(2) << 20;

// Voxel data and work arrays take small pages unless asked. With the hint,
// the first block after other programs have fragmented memory waits for
// the kernel to compact it. bench/bench_huge_pages, the hint alternated
// round by round (31 rounds: a 256 MiB volume touched, filled and counted;
// 21 rounds: the 3D watershed of a 256^3 phantom), four runs each, with
// other builds on the machine, and under pressure with fragment_memory
// running; median and worst run in ms, hint against none:
//   volume, quiet:              91-111 / 635-1056   against 231-251 / 243-624
//   volume, under pressure:    124-324 / 399-785    against 212-268 / 318-502
//   watershed, quiet:          613-791 / 937-1210   against 668-788 / 793-1017
//   watershed, under pressure: 665-1020 / 857-1323  against 722-999 / 933-1227
// The hint wins the median on a quiet machine but loses the worst case
// there in every run, and under pressure it loses about as often as it
// wins, so neither keeps it.
std::atomic<bool> g_hugePages{false};
} // namespace

void SetHugePagesForLargeBlocks(bool on) { g_hugePages.store(on, std::memory_order_relaxed); }

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
    if (g_hugePages.load(std::memory_order_relaxed))
        AdviseHugePages(p.get(), bytes);
    std::memset(p.get(), 0, bytes);
    return p;
}

void* AllocateLarge(std::size_t bytes, Pages pages)
{
    if (bytes == 0)
        bytes = 1;
    void* p = nullptr;
    if (bytes >= 2 * kHugePage) {
        // Aligned so that every page of the block can be a huge one.
        const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        p = std::aligned_alloc(kHugePage, rounded);
        if (pages == Pages::Huge || g_hugePages.load(std::memory_order_relaxed))
            AdviseHugePages(p, rounded);
    }
    if (!p)
        p = std::malloc(bytes);
    if (!p)
        throw std::bad_alloc();
    return p;
}

void FreeLarge(void* p) noexcept { std::free(p); }
