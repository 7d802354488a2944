#include "platform/FaultInjection.h"

namespace {
std::int64_t g_budget = -1;
}

void FaultInjection::ArmWriteBudget(std::int64_t bytes) { g_budget = bytes; }
void FaultInjection::Disarm() { g_budget = -1; }

bool FaultInjection::AllowWrite(std::uint64_t bytes)
{
    if (g_budget < 0)
        return true;
    if (std::uint64_t(g_budget) < bytes) {
        g_budget = 0;
        return false;
    }
    g_budget -= std::int64_t(bytes);
    return true;
}
