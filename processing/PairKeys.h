#pragma once
#include <cstddef>

struct DecimPair;
struct DecimVertex;

// The keys of decimation pairs computed several at a time, one pair per
// vector lane. Every lane takes the operations of the one-pair cost in the
// same order with the same roundings, so each key is bit for bit the key the
// pair gets alone. Only the keys are written; the heap is not touched.

// 2 lanes anywhere; 4 where the processor has AVX2.
int WidestPairKeyLanes();

// `lanes` is 2 or 4 (4 only where WidestPairKeyLanes() is 4).
void ComputePairKeys(const DecimVertex* vertices, DecimPair* const* pairs, std::size_t n,
                     int lanes = WidestPairKeyLanes());
