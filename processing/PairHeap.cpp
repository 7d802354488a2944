#include "processing/PairHeap.h"

#include <algorithm>

#include "platform/Memory.h"

namespace {
constexpr std::size_t kBlock = 4096;
}

CPairHeap::~CPairHeap() = default;

DecimPair* CPairHeap::NewPair()
{
    DecimPair* p;
    if (!m_aFree.empty()) {
        p = m_aFree.back();
        m_aFree.pop_back();
    } else {
        if (m_aBlocks.empty() || m_aBlocks.back().size() == m_aBlocks.back().capacity()) {
            // The first block takes what the grow step foresees: about half
            // as many pairs as heap slots.
            const std::size_t n = m_aBlocks.empty() ? std::max(kBlock, m_nGrowStep / 2) : kBlock;
            m_aBlocks.emplace_back().reserve(n);
            AdviseHugePages(m_aBlocks.back().data(), n * sizeof(DecimPair));
        }
        p = &m_aBlocks.back().emplace_back();
        return p;
    }
    *p = DecimPair();
    return p;
}

void CPairHeap::DeletePair(DecimPair* pair)
{
    if (pair)
        m_aFree.push_back(pair);
}

void CPairHeap::Clear()
{
    for (const Slot& s : m_aSlots)
        DeletePair(s.pair);
    m_aSlots.clear();
}

void CPairHeap::Swap(std::size_t a, std::size_t b)
{
    const Slot sa = m_aSlots[a];
    Place(a, m_aSlots[b]);
    Place(b, sa);
}

void CPairHeap::SiftUp(std::size_t pos)
{
    const Slot s = m_aSlots[pos];
    while (pos > 0) {
        const std::size_t parent = (pos - 1) / 2;
        if (!(s.key > m_aSlots[parent].key))
            break;
        Place(pos, m_aSlots[parent]);
        pos = parent;
    }
    Place(pos, s);
}

void CPairHeap::SiftDown(std::size_t pos)
{
    const Slot s = m_aSlots[pos];
    const std::size_t n = m_aSlots.size();
    for (;;) {
        std::size_t child = 2 * pos + 1;
        if (child >= n)
            break;
        if (child + 1 < n && m_aSlots[child].key < m_aSlots[child + 1].key)
            ++child;
        if (!(s.key < m_aSlots[child].key))
            break;
        Place(pos, m_aSlots[child]);
        pos = child;
    }
    Place(pos, s);
}

void CPairHeap::Update(DecimPair* pair)
{
    if (pair->heapIndex < 0) {
        if (m_nGrowStep && m_aSlots.size() == m_aSlots.capacity()) {
            m_aSlots.reserve(m_aSlots.capacity() + m_nGrowStep);
            AdviseHugePages(m_aSlots.data(), m_aSlots.capacity() * sizeof(Slot));
        }
        m_aSlots.push_back({pair->key, pair});
        SiftUp(m_aSlots.size() - 1);
        return;
    }
    const std::size_t pos = std::size_t(pair->heapIndex);
    m_aSlots[pos].key = pair->key;
    if (pos > 0 && pair->key > m_aSlots[(pos - 1) / 2].key)
        SiftUp(pos);
    else
        SiftDown(pos);
}

DecimPair* CPairHeap::Pop()
{
    if (m_aSlots.empty())
        return nullptr;
    const std::size_t last = m_aSlots.size() - 1;
    if (last > 0)
        Swap(0, last);
    DecimPair* top = m_aSlots.back().pair;
    m_aSlots.pop_back();
    if (!m_aSlots.empty())
        SiftDown(0);
    top->heapIndex = -1;
    return top;
}

DecimPair* CPairHeap::Remove(DecimPair* pair)
{
    if (!pair || pair->heapIndex < 0)
        return nullptr;
    const std::size_t pos = std::size_t(pair->heapIndex);
    pair->heapIndex = -1;
    const std::size_t last = m_aSlots.size() - 1;
    if (pos == last) {
        m_aSlots.pop_back();
        return pair;
    }
    const Slot moved = m_aSlots[last];
    m_aSlots.pop_back();
    Place(pos, moved);
    if (moved.key < pair->key)
        SiftDown(pos);
    else
        SiftUp(pos);
    return pair;
}
