#pragma once
#include <cassert>
#include <cstdint>
#include <vector>

#include "data/Vector3.h"
#include "platform/Memory.h"

// A candidate contraction: `first` survives and `second` is merged into it.
// Its target is computed again when it is needed (the decimator's
// PairTarget), so that four records share a cache line.
struct alignas(16) DecimPair {
    std::int32_t first = 0;
    std::int32_t second = 0;
    float key = 0.0f;     // minus the cost
    std::int32_t id = -1; // its place in the heap's pool
};
// One line request fetches a whole record, and four share a line.
static_assert(sizeof(DecimPair) == 16 && alignof(DecimPair) == 16);

// Max-heap of pairs on their keys (the cheapest pair on top). Every pair
// knows its position, so a changed key moves it in logarithmic time. Equal
// keys never pass each other. The heap makes and owns the pairs: they come
// from its pool, and whatever is left of them goes with it.
class CPairHeap {
public:
    CPairHeap() = default;
    CPairHeap(const CPairHeap&) = delete;
    CPairHeap& operator=(const CPairHeap&) = delete;
    ~CPairHeap();

    // Room for `n` pairs in one block, before the first NewPair.
    void ReservePairs(std::size_t n);
    // A new pair outside the heap, and its return to the pool.
    DecimPair* NewPair();
    void DeletePair(DecimPair* pair);
    // `n` new pairs numbered first, first + 1, ... from the reserved block;
    // -1 (and nothing made) when it has no such run free.
    std::int32_t NewPairs(std::size_t n);
    DecimPair* PairAt(std::int32_t id)
    {
        return id < m_nFirst ? m_pFirst + id : &m_aBlocks[Block(id)][std::size_t(Offset(id))];
    }
    const DecimPair* PairAt(std::int32_t id) const { return const_cast<CPairHeap*>(this)->PairAt(id); }

    // Position of the pair in the heap, -1 while it is outside.
    std::int32_t IndexOf(const DecimPair* pair) const { return Owns(pair) ? m_aIndex[std::size_t(pair->id)] : -1; }

    // Enters the pair, or moves it after its key changed.
    void Update(DecimPair* pair) { Update(pair->id, pair->key); }
    void Update(std::int32_t id, float key);
    // The top pair, index -1, or null when empty.
    DecimPair* Pop();
    // Takes the pair out (not deleted); null when it is not in the heap.
    DecimPair* Remove(DecimPair* pair);
    bool Remove(std::int32_t id);

    // Cache hints for a coming Update or Remove of the pair: the entry that
    // holds its position; then, once that has loaded, the lines of its slot,
    // its parent and its children, which the move reads first. The first
    // saves 8 % of a decimation (bench_decimate's torus to 10 %, measured as
    // MeshDecimator.h tells), the second nothing measurable alone.
    void PrefetchPositionOf(std::int32_t id) const { __builtin_prefetch(&m_aIndex[std::size_t(id)]); }
    void PrefetchSlotOf(std::int32_t id) const
    {
        const std::int32_t pos = m_aIndex[std::size_t(id)];
        if (pos > 0) {
            const auto v = std::size_t(pos) + 1;
            __builtin_prefetch(&m_pSlots[v]);
            __builtin_prefetch(&m_pSlots[v / 2]);
            if (2 * v <= m_nSize)
                __builtin_prefetch(&m_pSlots[2 * v]);
        }
    }

    // Room for `n` slots in one allocation.
    void ReserveSlots(std::size_t n)
    {
        if (n > m_nCapacity)
            Reallocate(n);
    }
    void SetGrowStep(std::size_t step) { m_nGrowStep = step; }
    // Drops the spare capacity once all pairs are in.
    void Trim()
    {
        if (m_nCapacity > m_nSize)
            Reallocate(m_nSize);
    }
    // Empties the heap and returns the pairs it held to the pool.
    void Clear();
    std::size_t Size() const { return m_nSize; }
    bool Empty() const { return m_nSize == 0; }
    DecimPair* At(std::size_t i) const { return const_cast<CPairHeap*>(this)->PairAt(m_pSlots[i + 1].id); }

private:
    // The key sits beside the pair's number so that sifting compares without
    // touching the pairs, and a slot is eight bytes.
    struct Slot {
        float key;
        std::int32_t id;
    };
    // The walks' line requests count eight slots to a line.
    static constexpr std::size_t kSlotsPerLine = 8;
    static_assert(sizeof(Slot) * kSlotsPerLine == 64);
    static constexpr int kShift = 12;

    std::size_t Block(std::int32_t id) const { return std::size_t(id - m_nFirst) >> kShift; }
    std::int32_t Offset(std::int32_t id) const { return (id - m_nFirst) & ((1 << kShift) - 1); }
    bool Owns(const DecimPair* p) const
    {
        return p && p->id >= 0 && std::size_t(p->id) < m_aIndex.size() && PairAt(p->id) == p;
    }
    void Reallocate(std::size_t capacity);
    // Slots are counted from 1 at the root and slot 0 of the store stays
    // empty: the children of v are 2v and 2v + 1, and in a large store, which
    // starts on a page, siblings share a line and the descendants k levels
    // down are 2^k slots that start on a line.
    // Both move `s` from the hole at `v`, whose slot they never read: the
    // slot's line need not load before the walk.
    void SiftUp(std::size_t v, Slot s);
    // A pop's walk goes to the bottom, that of a re-keyed or a moved last pair
    // seldom more than a few levels: the one requests its lines kFar levels
    // ahead, the other kNear.
    static constexpr int kFar = 4;
    static constexpr int kNear = 3;
    template <int kAhead> void SiftDown(std::size_t v, Slot s);
    // The sift down's cache hints, forced inline like the decimator's.
    // The line of v's grandchildren, which the walk reads second: 7 %.
    [[gnu::always_inline]] static void PrefetchGrandchildren(const Slot* slots, std::size_t n, std::size_t v)
    {
        if (4 * v <= n)
            __builtin_prefetch(slots + 4 * v);
    }
    // The 2^kAhead descendants kAhead levels below v, a run that starts on a line: 2 % (noise 2 %).
    // Unlikely: written in the walk, the guard was predicted so from the
    // request loop, which the helper's own optimisation folds first.
    template <int kAhead>
    [[gnu::always_inline]] static void PrefetchDescendants(const Slot* slots, std::size_t n, std::size_t v)
    {
        if (((v + 1) << kAhead) <= n + 1) [[unlikely]]
            for (std::size_t k = 0; k < (std::size_t(1) << kAhead); k += kSlotsPerLine)
                __builtin_prefetch(slots + (v << kAhead) + k);
    }
    void Place(std::size_t v, const Slot& s)
    {
        assert(v >= 1 && v <= m_nSize);
        m_pSlots[v] = s;
        m_aIndex[std::size_t(s.id)] = std::int32_t(v - 1);
    }
    // The pair's position, checked against the slot it names.
    std::int32_t PositionOf(std::int32_t id) const
    {
        assert(id >= 0 && std::size_t(id) < m_aIndex.size());
        const std::int32_t index = m_aIndex[std::size_t(id)];
        assert(index < 0 || (std::size_t(index) < m_nSize && m_pSlots[std::size_t(index) + 1].id == id));
        return index;
    }

    LargeArray<Slot> m_pSlots;
    std::size_t m_nSize = 0;
    std::size_t m_nCapacity = 0;
    std::vector<std::int32_t> m_aIndex; // heap position of every pair, -1 outside
    std::size_t m_nGrowStep = 0;
    std::vector<DecimPair> m_aFirst;               // the reserved block, never beyond its capacity
    DecimPair* m_pFirst = nullptr;
    std::int32_t m_nFirst = 0;                     // its capacity
    std::vector<std::vector<DecimPair>> m_aBlocks; // later blocks, never beyond their capacity
    std::vector<std::int32_t> m_aFree;
};
