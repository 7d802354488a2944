#include "platform/WriteGate.h"

#include <atomic>

namespace {
// Files are written from several threads at once.
std::atomic<FileWriteGate> g_gate{nullptr};
} // namespace

void SetFileWriteGate(FileWriteGate gate) { g_gate.store(gate); }

bool FileWriteAllowed(std::uint64_t bytes)
{
    FileWriteGate gate = g_gate.load(std::memory_order_acquire);
    return !gate || gate(bytes);
}
