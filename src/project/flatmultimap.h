#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A hash multimap from 64-bit keys to small values, kept in one array with
// linear probing: no allocation per entry, which matters when a drawing of
// tens of thousands of pieces adds and removes several entries per piece.
// Removed entries leave a mark until the table is rebuilt.
template<typename Value> class TFlatMultiMap
{
public:
    void insert(std::uint64_t key, const Value &value)
    {
        if ((m_used + 1) * 2 > m_entries.size())
            rebuild();
        std::size_t i = slotOf(key);
        while (m_entries[i].state == State::Full)
            i = (i + 1) & m_mask;
        if (m_entries[i].state == State::Empty)
            ++m_used;
        m_entries[i] = {key, value, State::Full};
        ++m_live;
    }

    // Calls f(value) for every value under the key.
    template<typename F> void forEach(std::uint64_t key, F &&f) const
    {
        if (m_entries.empty())
            return;
        for (std::size_t i = slotOf(key); m_entries[i].state != State::Empty; i = (i + 1) & m_mask) {
            if (m_entries[i].state == State::Full && m_entries[i].key == key)
                f(m_entries[i].value);
        }
    }

    // Removes the values under the key for which pred(value) holds.
    template<typename P> void eraseIf(std::uint64_t key, P &&pred)
    {
        if (m_entries.empty())
            return;
        for (std::size_t i = slotOf(key); m_entries[i].state != State::Empty; i = (i + 1) & m_mask) {
            Entry &e = m_entries[i];
            if (e.state == State::Full && e.key == key && pred(e.value)) {
                e.state = State::Removed;
                --m_live;
            }
        }
    }

    void clear()
    {
        m_entries.clear();
        m_used = m_live = 0;
        m_mask = 0;
    }

private:
    enum class State : std::uint8_t { Empty, Full, Removed };
    struct Entry
    {
        std::uint64_t key = 0;
        Value value {};
        State state = State::Empty;
    };

    std::size_t slotOf(std::uint64_t key) const
    {
        // splitmix64 finaliser: neighbouring cells land far apart.
        key ^= key >> 30;
        key *= 0xBF58476D1CE4E5B9ULL;
        key ^= key >> 27;
        key *= 0x94D049BB133111EBULL;
        key ^= key >> 31;
        return static_cast<std::size_t>(key) & m_mask;
    }

    void rebuild()
    {
        std::size_t capacity = 16;
        while (capacity < (m_live + 1) * 4)
            capacity *= 2;
        std::vector<Entry> old;
        old.swap(m_entries);
        m_entries.assign(capacity, Entry {});
        m_mask = capacity - 1;
        m_used = m_live = 0;
        for (const Entry &e : old) {
            if (e.state == State::Full)
                insert(e.key, e.value);
        }
    }

    std::vector<Entry> m_entries;
    std::size_t m_mask = 0;
    std::size_t m_used = 0; // full and removed
    std::size_t m_live = 0;
};
