#pragma once
#include <cstddef>
#include <new>

// The data tests' operator new records the largest single request and
// refuses requests above a ceiling, so that a test can show that a file is
// refused before its header costs anything, and fails quickly when it is not.
// It also counts the bytes held, so that a test can bound what a run keeps.
// Inactive under the address sanitizer, which brings its own allocator.
namespace AllocationWatch {
bool Active();
void Start(std::size_t ceiling);
std::size_t Stop(); // the largest request since Start

// Bytes held through operator new now, and the most held at any time since
// ResetPeak (which starts the peak at what is held now).
std::size_t HeldBytes();
std::size_t PeakHeldBytes();
void ResetPeak();

// The largest request made while `run` runs; a refused request ends the run.
template <typename F>
std::size_t LargestRequest(std::size_t ceiling, F&& run)
{
    Start(ceiling);
    try {
        run();
    } catch (const std::bad_alloc&) {
    }
    return Stop();
}
} // namespace AllocationWatch
