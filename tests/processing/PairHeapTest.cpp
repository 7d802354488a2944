#include <algorithm>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "processing/PairHeap.h"

namespace {

DecimPair* NewPair(CPairHeap& heap, int id, float key)
{
    DecimPair* p = heap.NewPair();
    p->first = id;
    p->key = key;
    return p;
}

// Every slot's pair knows its slot, and no child is above its parent.
void ExpectHeap(const CPairHeap& h)
{
    for (std::size_t i = 0; i < h.Size(); ++i) {
        ASSERT_EQ(h.IndexOf(h.At(i)), std::int32_t(i));
        if (i > 0) {
            ASSERT_LE(h.At(i)->key, h.At((i - 1) / 2)->key) << i;
        }
    }
}

} // namespace

TEST(PairHeap, RandomUpdatesPopInKeyOrder)
{
    CPairHeap heap;
    std::vector<DecimPair*> pairs;
    std::uint32_t seed = 12345;
    auto next = [&] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (int i = 0; i < 300; ++i) {
        pairs.push_back(NewPair(heap, i, float(next() % 1000)));
        heap.Update(pairs.back());
    }
    ExpectHeap(heap);
    // Re-key, remove and re-key again; the heap stays consistent throughout.
    std::vector<DecimPair*> removed;
    for (int step = 0; step < 600; ++step) {
        DecimPair* p = pairs[next() % pairs.size()];
        if (step % 5 == 0) {
            DecimPair* r = heap.Remove(p);
            if (r) {
                EXPECT_EQ(r, p);
                EXPECT_EQ(heap.IndexOf(p), -1);
                removed.push_back(p);
            } else {
                EXPECT_EQ(heap.IndexOf(p), -1);
            }
        } else if (heap.IndexOf(p) >= 0) {
            p->key = float(next() % 1000) - 500.0f;
            heap.Update(p);
        }
        ExpectHeap(heap);
    }
    std::vector<float> keys;
    while (DecimPair* p = heap.Pop()) {
        EXPECT_EQ(heap.IndexOf(p), -1);
        keys.push_back(p->key);
        heap.DeletePair(p);
        ExpectHeap(heap);
    }
    EXPECT_EQ(keys.size() + removed.size(), pairs.size());
    EXPECT_TRUE(std::is_sorted(keys.rbegin(), keys.rend()));
    for (DecimPair* p : removed)
        heap.DeletePair(p);
}

TEST(PairHeap, EqualKeysNeverPassEachOther)
{
    CPairHeap heap;
    DecimPair* a = NewPair(heap, 0, 1.0f);
    DecimPair* b = NewPair(heap, 1, 1.0f);
    DecimPair* c = NewPair(heap, 2, 1.0f);
    for (DecimPair* p : {a, b, c})
        heap.Update(p);
    EXPECT_EQ(heap.IndexOf(a), 0);
    EXPECT_EQ(heap.IndexOf(b), 1);
    EXPECT_EQ(heap.IndexOf(c), 2);
    // Re-entering an equal key does not move it.
    heap.Update(b);
    EXPECT_EQ(heap.IndexOf(b), 1);
    // The pop moves the last pair to the top, where it stays above its equal
    // child: the order is a, c, b.
    std::vector<DecimPair*> order;
    while (DecimPair* p = heap.Pop())
        order.push_back(p);
    EXPECT_EQ(order, (std::vector<DecimPair*>{a, c, b}));
    for (DecimPair* p : order)
        heap.DeletePair(p);
}

TEST(PairHeap, RemoveAndPopEdges)
{
    CPairHeap heap;
    EXPECT_EQ(heap.Pop(), nullptr);
    DecimPair outside;
    EXPECT_EQ(heap.Remove(&outside), nullptr);

    DecimPair* top = NewPair(heap, 0, 5.0f);
    DecimPair* mid = NewPair(heap, 1, 3.0f);
    DecimPair* last = NewPair(heap, 2, 1.0f);
    for (DecimPair* p : {top, mid, last})
        heap.Update(p);
    // Removing the last slot only shortens the heap.
    EXPECT_EQ(heap.Remove(last), last);
    EXPECT_EQ(heap.IndexOf(last), -1);
    EXPECT_EQ(heap.Size(), 2u);
    EXPECT_EQ(heap.IndexOf(top), 0);
    EXPECT_EQ(heap.IndexOf(mid), 1);
    EXPECT_EQ(heap.Remove(last), nullptr);
    heap.DeletePair(last);

    // A removed top is replaced by the pair from the end.
    EXPECT_EQ(heap.Remove(top), top);
    EXPECT_EQ(heap.IndexOf(mid), 0);
    heap.DeletePair(top);
    // Raising a key sifts up; the heap deletes what it still holds.
    DecimPair* low = NewPair(heap, 3, -2.0f);
    heap.Update(low);
    EXPECT_EQ(heap.IndexOf(low), 1);
    low->key = 10.0f;
    heap.Update(low);
    EXPECT_EQ(heap.IndexOf(low), 0);
    low->key = -10.0f;
    heap.Update(low);
    EXPECT_EQ(heap.IndexOf(low), 1);
}
