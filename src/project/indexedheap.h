#pragma once

// A min-heap over the items 0 .. n - 1, each at most once, ordered by
// (key, item) (keys compared with <), whose keys change in place: a planner
// ranking thousands of figures re-ranks one many times per round, and a heap
// of stale entries would grow with every change instead of staying as small
// as the figures. Each entry carries its key, and a node has four children:
// moving an entry compares keys side by side, not through the items, over
// half the levels.

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

template<class Key> class IndexedHeap
{
public:
    explicit IndexedHeap(std::size_t items)
        : m_position(items, -1)
    { }

    bool contains(int item) const { return m_position[static_cast<std::size_t>(item)] >= 0; }
    // The item's key; the item must be in the heap.
    const Key &key(int item) const
    {
        return m_heap[static_cast<std::size_t>(m_position[static_cast<std::size_t>(item)])].key;
    }
    // The least (key, item), -1 when empty.
    int top() const { return m_heap.empty() ? -1 : m_heap.front().item; }

    // Inserts the item, or moves it to its new key.
    void set(int item, const Key &key)
    {
        const auto k = static_cast<std::size_t>(item);
        if (m_position[k] < 0) {
            m_heap.push_back(Entry {key, item});
            up(m_heap.size() - 1);
            return;
        }
        const auto at = static_cast<std::size_t>(m_position[k]);
        const bool lower = key < m_heap[at].key;
        m_heap[at].key = key;
        if (lower)
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
        const Entry last = m_heap.back();
        m_heap.pop_back();
        if (at == m_heap.size())
            return;
        place(at, last);
        up(at);
        down(static_cast<std::size_t>(m_position[static_cast<std::size_t>(last.item)]));
    }

private:
    static constexpr std::size_t Arity = 4;

    // A key with room left at its end (one with member initializers) takes
    // the item there: four entries to a cache line for a 12-byte key.
    struct Entry
    {
        [[no_unique_address]] Key key {};
        int item = -1;
    };

    static bool before(const Entry &l, const Entry &r)
    {
        if (l.key < r.key)
            return true;
        return !(r.key < l.key) && l.item < r.item;
    }
    void place(std::size_t at, const Entry &entry)
    {
        m_heap[at] = entry;
        m_position[static_cast<std::size_t>(entry.item)] = static_cast<std::int32_t>(at);
    }
    void up(std::size_t at)
    {
        const Entry entry = m_heap[at];
        while (at > 0) {
            const std::size_t parent = (at - 1) / Arity;
            if (!before(entry, m_heap[parent]))
                break;
            place(at, m_heap[parent]);
            at = parent;
        }
        place(at, entry);
    }
    void down(std::size_t at)
    {
        const Entry entry = m_heap[at];
        for (;;) {
            const std::size_t first = Arity * at + 1;
            if (first >= m_heap.size())
                break;
            std::size_t least = first;
            const std::size_t end = std::min(first + Arity, m_heap.size());
            for (std::size_t child = first + 1; child < end; ++child) {
                if (before(m_heap[child], m_heap[least]))
                    least = child;
            }
            if (!before(m_heap[least], entry))
                break;
            place(at, m_heap[least]);
            at = least;
        }
        place(at, entry);
    }

    std::vector<std::int32_t> m_position; // by item: index in m_heap, -1 when absent
    std::vector<Entry> m_heap;
};
