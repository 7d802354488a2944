#include "AllocationBudget.h"

#include <cstdlib>
#include <new>

long g_allocBudget = -1;
long g_allocCount = 0;

// The sanitizer brings its own allocator, which must not be mixed with this.
#if defined(__SANITIZE_ADDRESS__)
const bool g_allocBudgetActive = false;
#else
const bool g_allocBudgetActive = true;

void* operator new(std::size_t n)
{
    ++g_allocCount;
    if (g_allocBudget == 0)
        throw std::bad_alloc();
    if (g_allocBudget > 0)
        --g_allocBudget;
    if (void* p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
#endif
