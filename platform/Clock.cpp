#include "platform/Clock.h"

#include <chrono>

#include "platform/Installed.h"

double CSteadyClock::Seconds() const
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

namespace {
CSteadyClock g_steady;
constinit TInstalled<IClock> g_clock{g_steady};
} // namespace

IClock& Clock() { return g_clock.Get(); }
void SetClock(IClock* clock) { g_clock.Set(clock); }
