#pragma once

// What a block of a DXF face mesh expands to when it is inserted, counted before the
// converter expands it: a few kilobytes of blocks that insert each other ten times over ten
// levels stand for 10^10 faces, which the expansion would take minutes and a gigabyte to
// refuse.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <utility>
#include <vector>

// One block's body read once with its inserts left out.
struct TDxfBlockSummary
{
    std::uint64_t reads = 0; // group pairs read from its BLOCK to its ENDBLK
    std::uint64_t faces = 0; // 3DFACEs and polyface face records, one or two triangles each
    // The blocks it inserts (by the pair index of their BLOCK), each with how many times.
    std::vector<std::pair<std::ptrdiff_t, std::uint64_t>> inserts;
};

struct TDxfExpansion
{
    std::uint64_t reads = 0;
    std::uint64_t faces = 0;
};

// Counts the pairs the converter reads and the faces it converts while it expands one block,
// nesting inserts as it does: none inside a block read at the deepest level, none of a block
// already being expanded. Counts saturate at 2^64 - 1.
//
// A block not inside a cycle of inserts expands alike wherever it is inserted at a given
// depth, so it is counted once per depth. Inside a cycle what is dropped depends on the
// blocks above, so each way through it is walked; that walk stops after a bounded number
// of blocks, and the count is then only a lower bound.
class TDxfInsertCount
{
public:
    using Summarise = std::function<const TDxfBlockSummary &(std::ptrdiff_t block)>;

    TDxfInsertCount(Summarise summarise, int maxDepth);

    // What inserting `block` outside any block reads and gives: exact, or a lower bound that
    // already lies above `limit` in reads or faces (the count stops there).
    TDxfExpansion Count(std::ptrdiff_t block, TDxfExpansion limit);
    // The blocks changed: nothing counted so far holds.
    void Clear();

private:
    static constexpr int MaxLevels = 16;
    static constexpr std::uint64_t WalkBudget = 1'000'000;

    struct Node
    {
        std::int64_t index = -1;
        std::int64_t low = -1;
        std::int64_t component = -1;
        bool onStack = false;
        std::array<TDxfExpansion, MaxLevels> counted {};
        std::array<bool, MaxLevels> known {};
    };

    void findComponents(std::ptrdiff_t root);
    TDxfExpansion once(std::ptrdiff_t block, int depth);
    TDxfExpansion expand(std::ptrdiff_t block, int depth);
    bool above(const TDxfExpansion &total) const;

    Summarise m_summarise;
    int m_maxDepth;
    std::unordered_map<std::ptrdiff_t, Node> m_nodes;
    std::int64_t m_nextIndex = 0;
    std::vector<std::ptrdiff_t> m_path; // the blocks being expanded, outermost first
    TDxfExpansion m_limit;
    std::uint64_t m_walked = 0;
};
