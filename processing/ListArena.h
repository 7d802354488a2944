#pragma once
#include <algorithm>
#include <cassert>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/Memory.h"

// Many short growable lists in one shared store, so that building and
// growing them costs no allocation each. A list that outgrows its room moves
// to the end of the store; the room it leaves is not reused.
template <class T> class CListArena {
public:
    struct List {
        std::uint32_t first = 0, size = 0, capacity = 0;
        bool empty() const { return size == 0; }
    };

    void Reserve(std::size_t total)
    {
        m_store.reserve(total);
        AdviseHugePages(m_store.data(), m_store.capacity() * sizeof(T));
    }
    List Make(std::uint32_t capacity)
    {
        List l;
        l.first = Grab(capacity);
        l.capacity = capacity;
        return l;
    }
    std::span<T> View(const List& l)
    {
        assert(Holds(l));
        return {m_store.data() + l.first, l.size};
    }
    std::span<const T> View(const List& l) const
    {
        assert(Holds(l));
        return {m_store.data() + l.first, l.size};
    }
    T& At(const List& l, std::uint32_t i)
    {
        assert(Holds(l) && i < l.size);
        return m_store[l.first + i];
    }
    __attribute__((always_inline)) void Push(List& l, const T& v)
    {
        assert(Holds(l));
        if (l.size == l.capacity)
            Move(l, std::max<std::uint32_t>(8, 2 * l.capacity));
        m_store[l.first + l.size++] = v;
    }
    // Plain loops: the lists are a few entries long.
    void RemoveFirst(List& l, const T& v)
    {
        assert(Holds(l));
        T* d = m_store.data() + l.first;
        std::uint32_t i = 0;
        while (i < l.size && !(d[i] == v))
            ++i;
        if (i == l.size)
            return;
        for (--l.size; i < l.size; ++i)
            d[i] = d[i + 1];
    }
    void Clear(List& l) { l.size = 0; }

private:
    // A list lies within the room handed out, and its entries within its own.
    bool Holds(const List& l) const { return l.size <= l.capacity && std::size_t(l.first) + l.capacity <= m_used; }
    __attribute__((noinline)) void Move(List& l, std::uint32_t capacity)
    {
        const std::uint32_t at = Grab(capacity);
        std::copy_n(m_store.begin() + l.first, l.size, m_store.begin() + std::ptrdiff_t(at));
        l.first = at;
        l.capacity = capacity;
    }
    // Room at the end; the store grows in steps, not once per list.
    std::uint32_t Grab(std::uint32_t n)
    {
        const std::size_t at = m_used;
        m_used += n;
        // Lists are placed by 32-bit offsets.
        assert(m_used <= UINT32_MAX);
        if (m_used > m_store.size())
            m_store.resize(std::max(m_used, m_store.size() + kStep));
        return std::uint32_t(at);
    }

    static constexpr std::size_t kStep = std::size_t(1) << 16;
    std::vector<T> m_store;
    std::size_t m_used = 0;
};
