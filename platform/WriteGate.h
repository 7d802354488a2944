#pragma once
#include <cstdint>

// The one point where a test can make file writes fail, to show what a full
// disk does to a save or a cache build; the program installs no gate.
// A gate that returns false for a write of `bytes` makes that write fail.
using FileWriteGate = bool (*)(std::uint64_t bytes);
void SetFileWriteGate(FileWriteGate gate);
bool FileWriteAllowed(std::uint64_t bytes);
