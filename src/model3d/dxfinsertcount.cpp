#include "model3d/dxfinsertcount.h"

#include <algorithm>
#include <cassert>
#include <limits>

namespace {

constexpr std::uint64_t Most = std::numeric_limits<std::uint64_t>::max();

std::uint64_t Add(std::uint64_t a, std::uint64_t b)
{
    return a > Most - b ? Most : a + b;
}

std::uint64_t Times(std::uint64_t a, std::uint64_t b)
{
    return b != 0 && a > Most / b ? Most : a * b;
}

} // namespace

TDxfInsertCount::TDxfInsertCount(Summarise summarise, int maxDepth)
    : m_summarise(std::move(summarise))
    , m_maxDepth(maxDepth)
{
    assert(maxDepth > 0 && maxDepth < MaxLevels);
}

void TDxfInsertCount::Clear()
{
    m_nodes.clear();
    m_nextIndex = 0;
}

TDxfExpansion TDxfInsertCount::Count(std::ptrdiff_t block, TDxfExpansion limit)
{
    m_limit = limit;
    findComponents(block);
    return once(block, 1);
}

bool TDxfInsertCount::above(const TDxfExpansion &total) const
{
    return total.reads > m_limit.reads || total.faces > m_limit.faces;
}

// A block entered from outside its cycle (or not in one): what it expands to does not
// depend on the blocks above it, so it is counted once per depth.
TDxfExpansion TDxfInsertCount::once(std::ptrdiff_t block, int depth)
{
    Node &node = m_nodes[block];
    if (!node.known[std::size_t(depth)]) {
        node.counted[std::size_t(depth)] = expand(block, depth);
        node.known[std::size_t(depth)] = true;
    }
    return node.counted[std::size_t(depth)];
}

// The block's own reads and faces, and those of every insert the converter would expand:
// none at the deepest level, none of a block on the path.
TDxfExpansion TDxfInsertCount::expand(std::ptrdiff_t block, int depth)
{
    const TDxfBlockSummary &summary = m_summarise(block);
    TDxfExpansion total {summary.reads, summary.faces};
    if (depth == m_maxDepth)
        return total;
    m_path.push_back(block);
    const std::int64_t component = m_nodes[block].component;
    for (const auto &[child, times] : summary.inserts) {
        if (above(total) || m_walked > WalkBudget)
            break;
        if (std::find(m_path.begin(), m_path.end(), child) != m_path.end())
            continue;
        TDxfExpansion sub;
        if (m_nodes[child].component != component) {
            sub = once(child, depth + 1);
        } else {
            ++m_walked;
            sub = expand(child, depth + 1);
        }
        total.reads = Add(total.reads, Times(sub.reads, times));
        total.faces = Add(total.faces, Times(sub.faces, times));
    }
    m_path.pop_back();
    return total;
}

// Tarjan's strongly connected components over the blocks reachable from `root`, kept
// between calls, with an explicit stack: a chain of thousands of blocks must not overflow
// the thread's own.
void TDxfInsertCount::findComponents(std::ptrdiff_t root)
{
    if (m_nodes[root].index >= 0)
        return;
    struct Frame
    {
        std::ptrdiff_t block;
        std::size_t next;
    };
    std::vector<Frame> frames;
    std::vector<std::ptrdiff_t> stack;
    auto enter = [&](std::ptrdiff_t block) {
        Node &node = m_nodes[block];
        node.index = node.low = m_nextIndex++;
        node.onStack = true;
        stack.push_back(block);
        frames.push_back({block, 0});
    };
    enter(root);
    while (!frames.empty()) {
        const std::ptrdiff_t block = frames.back().block;
        const auto &inserts = m_summarise(block).inserts;
        if (frames.back().next < inserts.size()) {
            const std::ptrdiff_t child = inserts[frames.back().next++].first;
            Node &next = m_nodes[child];
            if (next.index < 0)
                enter(child);
            else if (next.onStack)
                m_nodes[block].low = std::min(m_nodes[block].low, next.index);
            continue;
        }
        Node &node = m_nodes[block];
        if (node.low == node.index) {
            std::ptrdiff_t member;
            do {
                member = stack.back();
                stack.pop_back();
                m_nodes[member].onStack = false;
                m_nodes[member].component = node.index;
            } while (member != block);
        }
        frames.pop_back();
        if (!frames.empty()) {
            Node &parent = m_nodes[frames.back().block];
            parent.low = std::min(parent.low, node.low);
        }
    }
}
