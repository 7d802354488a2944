// Memory pressure for bench_huge_pages: keeps the system's free memory down
// to a floor and in single pages. Whatever another process frees is taken
// again within a few milliseconds, page by page, and every other page of
// what it takes is given back, so free memory stays a scatter of single
// pages and a huge page can only be had by compaction or reclaim, as on a
// machine where other programs fill memory. It gives memory back whenever
// the system's available memory (free and reclaimable) runs low, and asks to
// be the first process the kernel kills when memory runs out.
//
//   build/bench/fragment_memory [--floor=MB] [--reserve=MB] [--cap=MB]
//
// --floor: free memory it leaves (default 512); --reserve: available memory it
// never takes (default 3072); --cap: the most it holds (default 16384).
// Stops on Ctrl-C or SIGTERM.
#include <sys/mman.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <string>

namespace {

constexpr std::size_t kMiB = std::size_t(1) << 20;
constexpr std::size_t kRegion = 64 * kMiB;
constexpr std::size_t kPage = 4096;

volatile std::sig_atomic_t g_stop = 0;

void Stop(int) { g_stop = 1; }

struct MemInfo {
    std::size_t free = 0, available = 0; // bytes
};

MemInfo ReadMemInfo()
{
    MemInfo m;
    std::ifstream f("/proc/meminfo");
    std::string key;
    std::size_t kb = 0;
    std::string unit;
    while (f >> key >> kb) {
        std::getline(f, unit);
        if (key == "MemFree:")
            m.free = kb * 1024;
        else if (key == "MemAvailable:")
            m.available = kb * 1024;
    }
    return m;
}

// Free blocks of 2 MiB and more, over every zone.
std::size_t FreeHugeBlocks()
{
    std::ifstream f("/proc/buddyinfo");
    std::string line;
    std::size_t blocks = 0;
    while (std::getline(f, line)) {
        const std::size_t zone = line.find("zone");
        if (zone == std::string::npos)
            continue;
        const char* p = line.c_str() + zone + 4;
        while (*p == ' ')
            ++p;
        while (*p && *p != ' ')
            ++p; // the zone's name
        char* end = nullptr;
        for (int order = 0;; ++order, p = end) {
            const unsigned long n = std::strtoul(p, &end, 10);
            if (end == p)
                break;
            if (order >= 9)
                blocks += std::size_t(n) << (order - 9);
        }
    }
    return blocks;
}

// A region of single pages: every page touched, then every other one given
// back. Huge pages are asked for, so that free blocks of 2 MiB are taken
// first; giving half of each back splits it, and the kernel frees the other
// halves as single pages.
void* TakeRegion()
{
    void* p = mmap(nullptr, kRegion, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED)
        return nullptr;
    madvise(p, kRegion, MADV_HUGEPAGE);
    auto* bytes = static_cast<volatile std::uint8_t*>(p);
    for (std::size_t i = 0; i < kRegion; i += kPage)
        bytes[i] = 1;
    for (std::size_t i = kPage; i < kRegion; i += 2 * kPage)
        madvise(static_cast<std::uint8_t*>(p) + i, kPage, MADV_DONTNEED);
    return p;
}

// The usage, on stdout for --help; after `fault` on stderr otherwise.
int Usage(const char* self, const std::string& fault)
{
    if (!fault.empty())
        std::fprintf(stderr, "%s: %s\n", self, fault.c_str());
    std::fprintf(fault.empty() ? stdout : stderr, "usage: %s [--floor=MB] [--reserve=MB] [--cap=MB]\n", self);
    return fault.empty() ? 0 : 2;
}

// The MiB of "--name=N" in `arg`, false when it is no such option or N is
// not a whole number.
bool Option(const std::string& arg, const std::string& name, std::size_t& bytes, bool& bad)
{
    const std::string prefix = "--" + name + "=";
    if (arg.rfind(prefix, 0) != 0)
        return false;
    const char* text = arg.c_str() + prefix.size();
    char* end = nullptr;
    const unsigned long long mib = std::strtoull(text, &end, 10);
    bad = end == text || *end != '\0' || *text == '-';
    bytes = std::size_t(mib) * kMiB;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    std::size_t floor = 512 * kMiB, reserve = 3072 * kMiB, cap = 16384 * kMiB;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        bool bad = false;
        if (a == "--help" || a == "-h")
            return Usage(argv[0], "");
        if (!Option(a, "floor", floor, bad) && !Option(a, "reserve", reserve, bad) && !Option(a, "cap", cap, bad))
            return Usage(argv[0], "unknown option " + a);
        if (bad)
            return Usage(argv[0], "bad value in " + a);
    }
    if (std::FILE* f = std::fopen("/proc/self/oom_score_adj", "w")) {
        std::fputs("1000", f);
        std::fclose(f);
    }
    std::signal(SIGINT, Stop);
    std::signal(SIGTERM, Stop);

    std::deque<void*> regions; // oldest first; each holds kRegion / 2
    std::size_t lastReport = ~std::size_t(0);
    while (!g_stop) {
        MemInfo m = ReadMemInfo();
        while (!regions.empty() && m.available < reserve) {
            munmap(regions.front(), kRegion);
            regions.pop_front();
            m = ReadMemInfo();
        }
        while (!g_stop && m.free > floor + kRegion && m.available > reserve + kRegion &&
               regions.size() * kRegion / 2 < cap) {
            void* p = TakeRegion();
            if (!p)
                break;
            regions.push_back(p);
            m = ReadMemInfo();
        }
        const std::size_t held = regions.size() * kRegion / 2 / kMiB;
        if (held / 1024 != lastReport) {
            lastReport = held / 1024;
            std::printf("holding %zu MiB; free %zu MiB, available %zu MiB, free blocks of 2 MiB or more: %zu\n", held,
                        m.free / kMiB, m.available / kMiB, FreeHugeBlocks());
            std::fflush(stdout);
        }
        usleep(5000);
    }
    for (void* p : regions)
        munmap(p, kRegion);
    return 0;
}
