#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "data/Vector3.h"

// A candidate contraction: `first` survives and `second` is merged into it.
struct DecimPair {
    std::int32_t first = 0;
    std::int32_t second = 0;
    CVector3 target;
    float key = 0.0f;             // minus the cost
    std::int32_t heapIndex = -1;  // position in the heap, -1 while outside
};

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

    // A new pair outside the heap (index -1), and its return to the pool.
    DecimPair* NewPair();
    void DeletePair(DecimPair* pair);

    // Enters the pair, or moves it after its key changed.
    void Update(DecimPair* pair);
    // The top pair, index -1, or null when empty.
    DecimPair* Pop();
    // Takes the pair out (not deleted); null when it is not in the heap.
    DecimPair* Remove(DecimPair* pair);

    void SetGrowStep(std::size_t step) { m_nGrowStep = step; }
    // Drops the spare capacity once all pairs are in.
    void Trim() { m_aSlots.shrink_to_fit(); }
    // Empties the heap and returns the pairs it held to the pool.
    void Clear();
    std::size_t Size() const { return m_aSlots.size(); }
    bool Empty() const { return m_aSlots.empty(); }
    DecimPair* At(std::size_t i) const { return m_aSlots[i].pair; }

private:
    // The key sits beside the pointer so that sifting compares without
    // touching the pairs.
    struct Slot {
        float key;
        DecimPair* pair;
    };

    void SiftUp(std::size_t pos);
    void SiftDown(std::size_t pos);
    void Swap(std::size_t a, std::size_t b);
    void Place(std::size_t pos, const Slot& s)
    {
        m_aSlots[pos] = s;
        s.pair->heapIndex = std::int32_t(pos);
    }

    std::vector<Slot> m_aSlots;
    std::size_t m_nGrowStep = 0;
    std::vector<std::vector<DecimPair>> m_aBlocks; // never beyond their capacity

    std::vector<DecimPair*> m_aFree;
};
