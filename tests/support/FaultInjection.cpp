#include "support/FaultInjection.h"

#include <mutex>

#include "platform/WriteGate.h"

namespace {
// Files may be written from several threads at once.
std::mutex g_mutex;
std::int64_t g_budget = -1;

bool TakeFromBudget(std::uint64_t bytes)
{
    std::lock_guard lock(g_mutex);
    if (g_budget < 0)
        return true;
    if (std::uint64_t(g_budget) < bytes) {
        g_budget = 0;
        return false;
    }
    g_budget -= std::int64_t(bytes);
    return true;
}
} // namespace

void FaultInjection::ArmWriteBudget(std::int64_t bytes)
{
    {
        std::lock_guard lock(g_mutex);
        g_budget = bytes;
    }
    SetFileWriteGate(bytes < 0 ? nullptr : TakeFromBudget);
}

void FaultInjection::Disarm() { ArmWriteBudget(-1); }
