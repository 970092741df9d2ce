#pragma once

#include <cstdint>
#include <utility>
#include <vector>

// The program memory of the simulated controller: 65,537 16-bit words from
// byte address 0x02000000, erased to 0xFFFF. "S" 8 sets the address, "S" 9
// erases the whole memory once the erase time has passed, "S" 10 programs
// the word at the address and moves on, and every read of reply 17 gives
// the word at the address and moves on. Programming works as flash does: it
// can only clear bits, so a word written over an unerased one reads back
// wrong.
class SimulatedProgramMemory
{
public:
    static constexpr std::uint32_t kStart = 0x02000000;
    static constexpr int kWords = 65537;
    static constexpr std::uint16_t kBlank = 0xFFFF;

    // Starts with a program made up from `seed` (a running firmware).
    explicit SimulatedProgramMemory(std::uint32_t seed);

    void setAddress(std::uint32_t address) { m_address = address; }
    std::uint32_t address() const { return m_address; }
    // Erases at nowMs + eraseMs; until then reads give the old words and
    // writes are lost.
    void startErase(std::int64_t nowMs, std::int64_t eraseMs);
    void program(std::uint16_t word, std::int64_t nowMs);
    std::uint16_t read(std::int64_t nowMs);

    // The words as they stand now.
    const std::vector<std::uint16_t> &words(std::int64_t nowMs);
    // A fingerprint of the whole memory, to tell images apart.
    std::uint64_t fingerprint(std::int64_t nowMs);
    static std::uint64_t fingerprint(const std::vector<std::uint16_t> &words);

    // Faults: an erase leaves the first `count` words as they were; the word
    // at `index` reads back with `mask` flipped.
    void leaveOnErase(int count) { m_leaveOnErase = count; }
    void corruptWord(int index, std::uint16_t mask) { m_corrupt = {index, mask}; }

private:
    void settle(std::int64_t nowMs);
    // The word index at the address; -1 outside the memory.
    int index() const;

    std::vector<std::uint16_t> m_words;
    std::uint32_t m_address = kStart;
    std::int64_t m_eraseAt = -1;
    int m_leaveOnErase = 0;
    std::pair<int, std::uint16_t> m_corrupt {-1, 0};
};
