#pragma once

// A binary min-heap over the items 0 .. n - 1, each at most once, ordered by
// (key, item), whose keys change in place: a planner ranking thousands of
// figures re-ranks one many times per round, and a heap of stale entries
// would grow with every change instead of staying as small as the figures.

#include <cstdint>
#include <utility>
#include <vector>

class IndexedHeap
{
public:
    explicit IndexedHeap(std::size_t items)
        : m_key(items, 0)
        , m_position(items, -1)
    { }

    bool contains(int item) const { return m_position[static_cast<std::size_t>(item)] >= 0; }
    std::int64_t key(int item) const { return m_key[static_cast<std::size_t>(item)]; }
    // The least (key, item), -1 when empty.
    int top() const { return m_heap.empty() ? -1 : m_heap.front(); }

    // Inserts the item, or moves it to its new key.
    void set(int item, std::int64_t key)
    {
        const auto k = static_cast<std::size_t>(item);
        if (m_position[k] < 0) {
            m_key[k] = key;
            m_position[k] = static_cast<std::int32_t>(m_heap.size());
            m_heap.push_back(item);
            up(m_heap.size() - 1);
            return;
        }
        const std::int64_t old = m_key[k];
        m_key[k] = key;
        const auto at = static_cast<std::size_t>(m_position[k]);
        if (key < old)
            up(at);
        else
            down(at);
    }

    void remove(int item)
    {
        const auto k = static_cast<std::size_t>(item);
        if (m_position[k] < 0)
            return;
        const auto at = static_cast<std::size_t>(m_position[k]);
        m_position[k] = -1;
        const int last = m_heap.back();
        m_heap.pop_back();
        if (at == m_heap.size())
            return;
        place(at, last);
        up(at);
        down(static_cast<std::size_t>(m_position[static_cast<std::size_t>(last)]));
    }

private:
    bool before(int l, int r) const
    {
        const std::int64_t kl = m_key[static_cast<std::size_t>(l)];
        const std::int64_t kr = m_key[static_cast<std::size_t>(r)];
        return kl < kr || (kl == kr && l < r);
    }
    void place(std::size_t at, int item)
    {
        m_heap[at] = item;
        m_position[static_cast<std::size_t>(item)] = static_cast<std::int32_t>(at);
    }
    void up(std::size_t at)
    {
        const int item = m_heap[at];
        while (at > 0) {
            const std::size_t parent = (at - 1) / 2;
            if (!before(item, m_heap[parent]))
                break;
            place(at, m_heap[parent]);
            at = parent;
        }
        place(at, item);
    }
    void down(std::size_t at)
    {
        const int item = m_heap[at];
        for (;;) {
            std::size_t child = 2 * at + 1;
            if (child >= m_heap.size())
                break;
            if (child + 1 < m_heap.size() && before(m_heap[child + 1], m_heap[child]))
                ++child;
            if (!before(m_heap[child], item))
                break;
            place(at, m_heap[child]);
            at = child;
        }
        place(at, item);
    }

    std::vector<std::int64_t> m_key; // by item
    std::vector<std::int32_t> m_position; // by item: index in m_heap, -1 when absent
    std::vector<int> m_heap;
};
