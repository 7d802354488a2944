#include "processing/PairHeap.h"

#include <algorithm>
#include <cassert>

#include "platform/Memory.h"

CPairHeap::~CPairHeap() = default;

void CPairHeap::ReservePairs(std::size_t n)
{
    if (!m_aIndex.empty() || n <= std::size_t(m_nFirst))
        return;
    m_aFirst.reserve(n);
    AdviseHugePages(m_aFirst.data(), n * sizeof(DecimPair));
    m_aIndex.reserve(n);
    AdviseHugePages(m_aIndex.data(), n * sizeof(std::int32_t));
    // Most pairs are deleted in the end: their numbers never move to a
    // larger list.
    m_aFree.reserve(n);
    m_pFirst = m_aFirst.data();
    m_nFirst = std::int32_t(n);
}

DecimPair* CPairHeap::NewPair()
{
    if (!m_aFree.empty()) {
        const std::int32_t id = m_aFree.back();
        m_aFree.pop_back();
        DecimPair* p = PairAt(id);
        *p = DecimPair();
        p->id = id;
        return p;
    }
    const auto id = std::int32_t(m_aIndex.size());
    DecimPair* p;
    if (id < m_nFirst) {
        p = &m_aFirst.emplace_back();
    } else {
        const std::size_t b = Block(id);
        if (b == m_aBlocks.size())
            m_aBlocks.emplace_back().reserve(std::size_t(1) << kShift);
        p = &m_aBlocks[b].emplace_back();
    }
    m_aIndex.push_back(-1);
    p->id = id;
    return p;
}

std::int32_t CPairHeap::NewPairs(std::size_t n)
{
    const std::size_t first = m_aIndex.size();
    if (!m_aFree.empty() || first + n > std::size_t(m_nFirst))
        return -1;
    m_aFirst.resize(first + n);
    m_aIndex.resize(first + n, -1);
    for (std::size_t i = first; i < first + n; ++i)
        m_aFirst[i].id = std::int32_t(i);
    return std::int32_t(first);
}

void CPairHeap::DeletePair(DecimPair* pair)
{
    if (!Owns(pair))
        return;
    // A pair goes back to the pool only once out of the heap.
    assert(PositionOf(pair->id) < 0);
    m_aFree.push_back(pair->id);
}

void CPairHeap::Clear()
{
    for (std::size_t v = 1; v <= m_nSize; ++v) {
        m_aIndex[std::size_t(m_pSlots[v].id)] = -1;
        m_aFree.push_back(m_pSlots[v].id);
    }
    m_nSize = 0;
}

void CPairHeap::Reallocate(std::size_t capacity)
{
    capacity = std::max(capacity, m_nSize);
    LargeArray<Slot> slots = MakeLargeArray<Slot>(capacity + 1, Pages::Huge);
    if (m_nSize)
        std::copy(&m_pSlots[1], &m_pSlots[m_nSize + 1], &slots[1]);
    m_pSlots = std::move(slots);
    m_nCapacity = capacity;
}

void CPairHeap::SiftUp(std::size_t v, const Slot s)
{
    while (v > 1) {
        const std::size_t parent = v / 2;
        if (!(s.key > m_pSlots[parent].key))
            break;
        Place(v, m_pSlots[parent]);
        v = parent;
    }
    Place(v, s);
}

// The larger child is taken without a branch: it is as often the left as the
// right one, and a mispredicted branch throws away the walk's loads behind
// it. Its lines are requested kAhead levels early instead, all of them; the
// grandchildren's line, which that leaves out, at once.
template <int kAhead>
void CPairHeap::SiftDown(std::size_t v, const Slot s)
{
    const std::size_t n = m_nSize;
    const Slot* slots = m_pSlots.get();
    PrefetchGrandchildren(slots, n, v);
    for (;;) {
        std::size_t child = 2 * v;
        if (child > n)
            break;
        PrefetchDescendants<kAhead>(slots, n, v);
        if (child < n)
            child += std::size_t(slots[child].key < slots[child + 1].key);
        if (!(s.key < slots[child].key))
            break;
        Place(v, slots[child]);
        v = child;
    }
    Place(v, s);
}

void CPairHeap::Update(std::int32_t id, float key)
{
    const std::int32_t index = PositionOf(id);
    if (index < 0) {
        if (m_nSize == m_nCapacity)
            Reallocate(m_nGrowStep ? m_nCapacity + m_nGrowStep : std::max<std::size_t>(2 * m_nCapacity, 16));
        assert(m_nSize < m_nCapacity);
        SiftUp(++m_nSize, {key, id});
        return;
    }
    const auto v = std::size_t(index) + 1;
    // The parent is asked first even when the key fell: its line comes with
    // the pair's (PrefetchSlotOf), and a branch on the old key mispredicts
    // about as often as keys rise.
    if (v > 1 && key > m_pSlots[v / 2].key)
        SiftUp(v, {key, id});
    else
        SiftDown<kNear>(v, {key, id});
}

DecimPair* CPairHeap::Pop()
{
    if (m_nSize == 0)
        return nullptr;
    // As a swap of the top with the last slot, then the last slot dropped.
    const Slot top = m_pSlots[1];
    assert(PositionOf(top.id) == 0);
    const Slot last = m_pSlots[m_nSize];
    if (--m_nSize)
        SiftDown<kFar>(1, last);
    m_aIndex[std::size_t(top.id)] = -1;
    return PairAt(top.id);
}

bool CPairHeap::Remove(std::int32_t id)
{
    const std::int32_t index = PositionOf(id);
    if (index < 0)
        return false;
    const auto v = std::size_t(index) + 1;
    const float key = m_pSlots[v].key;
    m_aIndex[std::size_t(id)] = -1;
    const Slot moved = m_pSlots[m_nSize--];
    if (v > m_nSize)
        return true;
    if (moved.key < key)
        SiftDown<kNear>(v, moved);
    else
        SiftUp(v, moved);
    return true;
}

DecimPair* CPairHeap::Remove(DecimPair* pair)
{
    return Owns(pair) && Remove(pair->id) ? pair : nullptr;
}
