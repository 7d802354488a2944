#pragma once

// Allocation failure on demand for this test program: while the budget is not
// negative, each allocation spends one and the one that finds it at zero
// throws std::bad_alloc. Every allocation is counted.
extern long g_allocBudget;
extern long g_allocCount;
// False where the program keeps the standard allocator (sanitizer builds).
extern const bool g_allocBudgetActive;
