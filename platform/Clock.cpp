#include "platform/Clock.h"

#include <chrono>

double CSteadyClock::Seconds() const
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

namespace {
CSteadyClock g_steady;
IClock* g_clock = nullptr;
} // namespace

IClock& Clock() { return g_clock ? *g_clock : g_steady; }
void SetClock(IClock* clock) { g_clock = clock; }
