#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "PlainHeap.h"
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

namespace {

// A random script of updates, pops and removals run on the heap and on the
// plain heap side by side: after every step each slot holds the same pair
// and each pair knows its slot.
struct Script {
    int pairs;
    std::uint32_t seed;
    int steps;
    int keys;          // keys 0 .. keys - 1, shifted to centre on 0: many ties
    int nanEvery;      // every so many steps a NaN key; 0 for none
    std::size_t growStep;
    bool resizes;      // also trims the store and reserves room again
};

void ExpectSlotsOfThePlainHeap(const Script& script)
{
    CPairHeap heap;
    heap.SetGrowStep(script.growStep);
    PlainHeap model;
    std::vector<DecimPair*> pairs;
    for (int i = 0; i < script.pairs; ++i)
        pairs.push_back(NewPair(heap, i, 0.0f));
    model.at.assign(std::size_t(script.pairs), -1);
    std::uint32_t seed = script.seed;
    auto next = [&] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (int step = 0; step < script.steps; ++step) {
        const int id = int(next() % std::uint32_t(script.pairs));
        const std::uint32_t op = next() % 10;
        if (op == 0 && model.at[std::size_t(id)] >= 0) {
            heap.Remove(pairs[std::size_t(id)]);
            model.Remove(id);
        } else if (op == 1 && !model.s.empty()) {
            ASSERT_EQ(heap.Pop()->first, model.Pop()) << step;
        } else if (op == 2 && script.resizes) {
            heap.Trim();
        } else if (op == 3 && script.resizes) {
            heap.ReserveSlots(heap.Size() + next() % 20);
        } else {
            float key = float(int(next() % std::uint32_t(script.keys)) - script.keys / 2);
            if (script.nanEvery && step % script.nanEvery == 0)
                key = std::numeric_limits<float>::quiet_NaN();
            pairs[std::size_t(id)]->key = key;
            heap.Update(pairs[std::size_t(id)]);
            model.Update(id, key);
        }
        ASSERT_EQ(heap.Size(), model.s.size());
        for (std::size_t i = 0; i < model.s.size(); ++i) {
            ASSERT_EQ(heap.At(i)->first, model.s[i].second) << step << " slot " << i;
            ASSERT_EQ(heap.IndexOf(heap.At(i)), std::int32_t(i));
        }
    }
    heap.Clear();
}

} // namespace

// Tied keys everywhere, with and without NaN keys, which break the heap's
// order: every slot stays where the plain heap puts it.
TEST(PairHeap, SlotsMatchThePlainHeapWithTiesAndNaN)
{
    for (const int nanEvery : {0, 7, 97}) {
        SCOPED_TRACE(nanEvery);
        ExpectSlotsOfThePlainHeap({400, 777, 6000, 9, nanEvery, 0, false});
    }
}

// The store is reallocated as the heap grows, in fixed steps or by doubling,
// and when it is trimmed or reserved again: no slot moves or gets lost.
TEST(PairHeap, SlotsSurviveGrowthTrimAndReserve)
{
    for (const std::size_t growStep : {std::size_t(0), std::size_t(5)}) {
        SCOPED_TRACE(growStep);
        ExpectSlotsOfThePlainHeap({150, 4242, 3000, 50, 0, growStep, true});
    }
}
