#pragma once
#include <cstdint>

// Makes file writes fail after a byte budget, to show what a full disk does
// to a save or a cache build. Inactive unless a test arms it.
namespace FaultInjection {
// Writes beyond `bytes` more bytes fail; a negative budget disarms.
void ArmWriteBudget(std::int64_t bytes);
void Disarm();
} // namespace FaultInjection
