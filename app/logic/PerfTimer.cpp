#include "app/logic/PerfTimer.h"

#include <cmath>

#include "platform/Clock.h"

namespace {
constexpr std::int64_t kCountsPerSecond = 1'000'000'000;
}

std::int64_t CPerfTimer::Counter() { return std::llround(Clock().Seconds() * double(kCountsPerSecond)); }

bool CPerfTimer::Start()
{
    m_nFrequency = kCountsPerSecond;
    m_nStart = Counter();
    return true;
}

float CPerfTimer::GetElapsed()
{
    const std::int64_t now = Counter();
    const std::int64_t previous = m_bElapsedRead ? m_nElapsedLast : m_nStart;
    m_nElapsedLast = now;
    m_bElapsedRead = true;
    return m_nFrequency > 0 ? float(double(now - previous) / double(m_nFrequency)) : 0.0f;
}

float CPerfTimer::GetRate(unsigned n)
{
    const std::int64_t now = Counter();
    const std::int64_t previous = m_bRateRead ? m_nRateLast : m_nStart;
    m_nRateLast = now;
    m_bRateRead = true;
    m_nFrames += n;
    const std::int64_t counts = now - previous;
    // Two readings within one count would divide by zero.
    if (counts <= 0)
        return 0.0f;
    return float(double(n) * double(m_nFrequency) / double(counts));
}
