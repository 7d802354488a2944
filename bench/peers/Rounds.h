#pragma once
// Times contenders on one input in one process, round by round, each round in
// a rotated order, so that the load of other programs on a shared machine and
// the state of caches and allocator hit every contender alike. A ratio is
// taken within each round, never between medians of separate runs.
//
// Memory is put in one of two states for every run. A page fault costs
// microseconds on a virtual machine, so output written to fresh pages can
// take several times the work itself, and which state a run meets depends on
// what ran before it (glibc raises its mmap threshold after large frees):
//   fresh:  freed memory goes back to the system before each run, so every
//           run pays for the pages it touches, as a first call does;
//   reused: the allocator keeps all freed memory, so after the warm-up no run
//           faults, and the figures are the work alone.
#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "../Ratio.h"

namespace peers {

enum class Memory { Fresh, Reused };

inline Memory g_memory = Memory::Fresh;

// Call before the inputs are made.
inline void SetMemory(Memory m)
{
    g_memory = m;
    if (m == Memory::Reused) {
        mallopt(M_MMAP_MAX, 0);
        mallopt(M_TRIM_THRESHOLD, INT_MAX);
    }
}

inline const char* MemoryName() { return g_memory == Memory::Fresh ? "fresh" : "reused"; }

// Reads [rounds] [fresh|reused] from the command line; --help prints the
// usage and anything else refuses to run.
inline int ParseArgs(int argc, char** argv, int defaultRounds)
{
    int rounds = defaultRounds;
    Memory m = Memory::Fresh;
    for (int i = 1; i < argc; ++i) {
        char* end = nullptr;
        const long n = std::strtol(argv[i], &end, 10);
        if (std::strcmp(argv[i], "reused") == 0)
            m = Memory::Reused;
        else if (std::strcmp(argv[i], "fresh") == 0)
            m = Memory::Fresh;
        else if (end != argv[i] && *end == '\0' && n >= 1 && n <= INT_MAX)
            rounds = int(n);
        else {
            const bool help = std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0;
            if (!help)
                std::fprintf(stderr, "%s: unknown argument %s\n", argv[0], argv[i]);
            std::fprintf(help ? stdout : stderr, "usage: %s [ROUNDS (default %d)] [fresh|reused]\n", argv[0],
                         defaultRounds);
            std::exit(help ? 0 : 2);
        }
    }
    SetMemory(m);
    return rounds;
}

inline double Seconds(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

struct Samples {
    std::vector<double> wall, cpu; // seconds, one per round
    std::vector<double> faults;    // minor page faults, one per round
};

inline double MinorFaults()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_minflt);
}

struct Contender {
    std::string name;
    std::function<void()> run;              // timed
    std::function<void()> before = nullptr; // untimed, e.g. restoring the input
    std::function<void()> after = nullptr;  // untimed, e.g. freeing the output
};

// Each round runs every contender once, round r starting with contender r
// modulo their number. CPU time is that of the whole process, so a contender that starts threads
// of its own shows cpu above wall.
inline std::vector<Samples> Alternate(const std::vector<Contender>& who, int rounds)
{
    std::vector<Samples> s(who.size());
    // Round -1 warms caches and the allocator and is not kept.
    for (int r = -1; r < rounds; ++r)
        for (std::size_t k = 0; k < who.size(); ++k) {
            const std::size_t i = (k + std::size_t(r + 1)) % who.size();
            if (who[i].before)
                who[i].before();
            if (g_memory == Memory::Fresh)
                malloc_trim(0);
            const double f0 = MinorFaults();
            const double c0 = Seconds(CLOCK_PROCESS_CPUTIME_ID), w0 = Seconds(CLOCK_MONOTONIC);
            who[i].run();
            const double w1 = Seconds(CLOCK_MONOTONIC), c1 = Seconds(CLOCK_PROCESS_CPUTIME_ID);
            const double f1 = MinorFaults();
            if (who[i].after)
                who[i].after();
            if (r >= 0) {
                s[i].wall.push_back(w1 - w0);
                s[i].cpu.push_back(c1 - c0);
                s[i].faults.push_back(f1 - f0);
            }
        }
    return s;
}

using bench::Best;
using bench::Median;
using bench::Ratios;

inline void PrintHeader()
{
    std::printf("%-30s %-34s %15s %15s %13s %6s %15s  %s\n", "volume", "peer", "ours ms", "peer ms", "ratio", "cpu",
                "page faults", "check");
    std::printf("%-30s %-34s %15s %15s %13s %6s %15s\n", "", "", "median  best", "median  best", "best median",
                "median", "ours  peer");
}

// One line per (volume, peer): median and best times; ours / peer on the
// wall clock as the best time over the best time and as the median of the
// per-round ratios; the median of the per-round ratios of CPU time; and the
// median page faults of a run.
inline void PrintRow(const std::string& volume, const std::string& peer, const Samples& ours, const Samples& other,
                     const std::string& check)
{
    const bench::Ratio r = bench::CompareRounds(ours.wall, other.wall);
    std::printf("%-30s %-34s %8.1f %6.1f %8.1f %6.1f %6.3f %6.3f %6.3f %7.0f %7.0f  %s\n", volume.c_str(),
                peer.c_str(), 1e3 * Median(ours.wall), 1e3 * Best(ours.wall), 1e3 * Median(other.wall),
                1e3 * Best(other.wall), r.best, r.median, Median(Ratios(ours.cpu, other.cpu)), Median(ours.faults),
                Median(other.faults), check.c_str());
    std::fflush(stdout);
}

} // namespace peers
