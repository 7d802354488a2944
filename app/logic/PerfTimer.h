#pragma once
#include <cstdint>

// A timer over the high-resolution counter (the clock of platform/Clock.h,
// counted in nanoseconds). GetElapsed and GetRate each keep their own
// previous reading: the start on their first call ever, later their own last
// call, also across a restart.
class CPerfTimer {
public:
    // False when there is no counter (never here); otherwise takes the start.
    bool Start();
    // Seconds since the previous reading of this call.
    float GetElapsed();
    // n divided by the seconds since the previous reading of this call; 0
    // when no time has passed.
    float GetRate(unsigned n);

    std::int64_t m_nStart = 0;
    std::int64_t m_nFrequency = 0;
    std::uint32_t m_nFrames = 0;

private:
    static std::int64_t Counter();

    std::int64_t m_nElapsedLast = 0;
    bool m_bElapsedRead = false;
    std::int64_t m_nRateLast = 0;
    bool m_bRateRead = false;
};
