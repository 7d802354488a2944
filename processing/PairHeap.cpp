#include "processing/PairHeap.h"

#include <algorithm>

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
    if (Owns(pair))
        m_aFree.push_back(pair->id);
}

void CPairHeap::Clear()
{
    for (const Slot& s : m_aSlots) {
        m_aIndex[std::size_t(s.id)] = -1;
        m_aFree.push_back(s.id);
    }
    m_aSlots.clear();
}

void CPairHeap::SiftUp(std::size_t pos, const Slot s)
{
    while (pos > 0) {
        const std::size_t parent = (pos - 1) / 2;
        if (!(s.key > m_aSlots[parent].key))
            break;
        Place(pos, m_aSlots[parent]);
        pos = parent;
    }
    Place(pos, s);
}

void CPairHeap::SiftDown(std::size_t pos, const Slot s)
{
    const std::size_t n = m_aSlots.size();
    const Slot* slots = m_aSlots.data();
    for (;;) {
        std::size_t child = 2 * pos + 1;
        if (child >= n)
            break;
        // The walk's next levels: the children's children lie side by side.
        if (4 * pos + 3 < n)
            __builtin_prefetch(slots + 4 * pos + 3);
        if (8 * pos + 7 < n) {
            __builtin_prefetch(slots + 8 * pos + 7);
            __builtin_prefetch(slots + 8 * pos + 14);
        }
        if (16 * pos + 15 < n) {
            __builtin_prefetch(slots + 16 * pos + 15);
            __builtin_prefetch(slots + 16 * pos + 23);
            __builtin_prefetch(slots + 16 * pos + 30);
        }
        if (32 * pos + 31 < n) {
            __builtin_prefetch(slots + 32 * pos + 31);
            __builtin_prefetch(slots + 32 * pos + 39);
            __builtin_prefetch(slots + 32 * pos + 47);
            __builtin_prefetch(slots + 32 * pos + 55);
            __builtin_prefetch(slots + 32 * pos + 62);
        }
        if (child + 1 < n && slots[child].key < slots[child + 1].key)
            ++child;
        if (!(s.key < slots[child].key))
            break;
        Place(pos, slots[child]);
        pos = child;
    }
    Place(pos, s);
}

void CPairHeap::Update(std::int32_t id, float key)
{
    if (key != key)
        m_bUnordered = true;
    const std::int32_t index = m_aIndex[std::size_t(id)];
    if (index < 0) {
        if (m_nGrowStep && m_aSlots.size() == m_aSlots.capacity()) {
            m_aSlots.reserve(m_aSlots.capacity() + m_nGrowStep);
            AdviseHugePages(m_aSlots.data(), m_aSlots.capacity() * sizeof(Slot));
        }
        m_aSlots.emplace_back();
        SiftUp(m_aSlots.size() - 1, {key, id});
        return;
    }
    const auto pos = std::size_t(index);
    // No parent is below its children, so a key that did not rise stays
    // under its parent: the parent's line need not load. A NaN key breaks
    // that order, and then the parent is always asked.
    const bool rose = m_bUnordered || !(key <= m_aSlots[pos].key);
    if (rose && pos > 0 && key > m_aSlots[(pos - 1) / 2].key)
        SiftUp(pos, {key, id});
    else
        SiftDown(pos, {key, id});
}

DecimPair* CPairHeap::Pop()
{
    if (m_aSlots.empty())
        return nullptr;
    // As a swap of the top with the last slot, then the last slot dropped.
    const Slot top = m_aSlots.front();
    const Slot last = m_aSlots.back();
    m_aSlots.pop_back();
    if (!m_aSlots.empty())
        SiftDown(0, last);
    m_aIndex[std::size_t(top.id)] = -1;
    return PairAt(top.id);
}

bool CPairHeap::Remove(std::int32_t id)
{
    const std::int32_t index = m_aIndex[std::size_t(id)];
    if (index < 0)
        return false;
    const auto pos = std::size_t(index);
    const float key = m_aSlots[pos].key;
    m_aIndex[std::size_t(id)] = -1;
    const std::size_t last = m_aSlots.size() - 1;
    if (pos == last) {
        m_aSlots.pop_back();
        return true;
    }
    const Slot moved = m_aSlots[last];
    m_aSlots.pop_back();
    if (moved.key < key)
        SiftDown(pos, moved);
    else
        SiftUp(pos, moved);
    return true;
}

DecimPair* CPairHeap::Remove(DecimPair* pair)
{
    return Owns(pair) && Remove(pair->id) ? pair : nullptr;
}
