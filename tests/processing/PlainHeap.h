#pragma once
#include <cstddef>
#include <utility>
#include <vector>

// The plain binary max-heap of (key, id) that the pair heap must match slot
// for slot: children of i at 2i + 1 and 2i + 2, the parent asked first on
// every re-key, ties never moved. `at` holds each id's slot, -1 outside.
struct PlainHeap {
    std::vector<std::pair<float, int>> s;
    std::vector<int> at;
    bool Empty() const { return s.empty(); }
    bool Holds(int id) const { return std::size_t(id) < at.size() && at[std::size_t(id)] >= 0; }
    void Put(std::size_t i, std::pair<float, int> v)
    {
        s[i] = v;
        at[std::size_t(v.second)] = int(i);
    }
    void Up(std::size_t i)
    {
        const auto v = s[i];
        for (; i > 0 && v.first > s[(i - 1) / 2].first; i = (i - 1) / 2)
            Put(i, s[(i - 1) / 2]);
        Put(i, v);
    }
    void Down(std::size_t i)
    {
        const auto v = s[i];
        for (;;) {
            std::size_t c = 2 * i + 1;
            if (c >= s.size())
                break;
            if (c + 1 < s.size() && s[c].first < s[c + 1].first)
                ++c;
            if (!(v.first < s[c].first))
                break;
            Put(i, s[c]);
            i = c;
        }
        Put(i, v);
    }
    void Update(int id, float key)
    {
        if (std::size_t(id) >= at.size())
            at.resize(std::size_t(id) + 1, -1);
        if (at[std::size_t(id)] < 0) {
            s.emplace_back(key, id);
            at[std::size_t(id)] = int(s.size() - 1);
            Up(s.size() - 1);
            return;
        }
        const auto i = std::size_t(at[std::size_t(id)]);
        s[i].first = key;
        if (i > 0 && key > s[(i - 1) / 2].first)
            Up(i);
        else
            Down(i);
    }
    int Pop()
    {
        const int top = s[0].second;
        at[std::size_t(top)] = -1;
        const auto last = s.back();
        s.pop_back();
        if (!s.empty()) {
            Put(0, last);
            Down(0);
        }
        return top;
    }
    void Remove(int id)
    {
        const auto i = std::size_t(at[std::size_t(id)]);
        const float key = s[i].first;
        at[std::size_t(id)] = -1;
        const auto last = s.back();
        s.pop_back();
        if (i == s.size())
            return;
        Put(i, last);
        if (last.first < key)
            Down(i);
        else
            Up(i);
    }
};
