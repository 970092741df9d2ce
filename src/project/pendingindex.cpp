#include "project/pendingindex.h"

#include <algorithm>
#include <cmath>

namespace {

// The bits of v spread to the even places of the result.
std::uint32_t Spread(std::uint32_t v)
{
    v &= 0xffffu;
    v = (v | (v << 8)) & 0x00ff00ffu;
    v = (v | (v << 4)) & 0x0f0f0f0fu;
    v = (v | (v << 2)) & 0x33333333u;
    v = (v | (v << 1)) & 0x55555555u;
    return v;
}

// Heap order: the least key on top.
struct LaterPair
{
    template<class Pair> bool operator()(const Pair &l, const Pair &r) const
    {
        return l.score > r.score || (l.score == r.score && l.slot > r.slot);
    }
};

// Can a pair keyed (score, slot) and the least vertices come before best?
bool MayBeat(std::int64_t score, std::int32_t slot, const PairBest &best)
{
    if (!best.valid)
        return score < std::numeric_limits<std::int64_t>::max();
    return score < best.score || (score == best.score && slot <= best.b);
}

} // namespace

PendingIndex::Piece PendingIndex::pieceOf(CandidateTree &tree, TreePart part, const PlanBox &box,
                                          std::int64_t shift)
{
    // A whole figure needs no tree of its own until it is paired.
    const CandidateSummary summary = tree.summary();
    const CandidateTree::Node node = part.whole() ? CandidateTree::Node {} : tree.partNode(part);
    Piece piece;
    piece.box = Shifted(box, shift);
    piece.part = part;
    piece.minFactor = part.whole() ? summary.minFactor : node.minFactor;
    piece.minWeight = part.whole() ? summary.minWeight : node.minWeight;
    piece.boundable = tree.boundable() && piece.minFactor >= 0 && piece.minWeight >= 0;
    return piece;
}

PendingIndex::PendingIndex(std::vector<PendingFigure> figures)
    : m_figures(std::move(figures))
    , m_waiting(m_figures.size(), 0)
{
    // Pieces as large as the room each waiting figure has on average, twice
    // over: a compact figure stays whole.
    PlanBox span;
    std::size_t count = 0;
    for (const PendingFigure &f : m_figures) {
        if (!f.tree || f.tree->empty())
            continue;
        const PlanBox &box = f.tree->summary().box;
        span.add(box.minX, box.minY);
        span.add(box.maxX, box.maxY);
        ++count;
    }
    if (count == 0)
        return;
    const long double area = (static_cast<long double>(span.maxX - span.minX) + 1)
        * (static_cast<long double>(span.maxY - span.minY) + 1);
    m_side = std::max<std::int64_t>(1, static_cast<std::int64_t>(2 * std::sqrt(area / count)));
    for (std::size_t s = 0; s < m_figures.size(); ++s) {
        PendingFigure &f = m_figures[s];
        if (!f.tree || f.tree->empty())
            continue;
        m_waiting[s] = 1;
        m_cut.clear();
        f.tree->cut(m_side, m_cut);
        for (const auto &[part, box] : m_cut) {
            m_pieces.push_back(pieceOf(*f.tree, part, box, f.shift));
            m_pieces.back().slot = static_cast<std::int32_t>(s);
        }
    }
    build();
}

// The pieces in the order of a Z curve over their centres (16 bits of each
// coordinate, interleaved, sorted a byte at a time), one leaf each, and every
// level above pairing the nodes of the one below; an odd last node goes up as
// it is. Runs of the curve lie close together, so the boxes stay small.
void PendingIndex::build()
{
    PlanBox span;
    for (const Piece &p : m_pieces)
        span.add((p.box.minX + p.box.maxX) / 2, (p.box.minY + p.box.maxY) / 2);
    int bits = 0;
    while ((std::max(span.maxX - span.minX, span.maxY - span.minY) >> bits) >= 65536)
        ++bits;
    const std::size_t n = m_pieces.size();
    std::vector<std::uint32_t> keys(n);
    for (std::size_t k = 0; k < n; ++k) {
        const PlanBox &b = m_pieces[k].box;
        const auto qx = static_cast<std::uint32_t>(((b.minX + b.maxX) / 2 - span.minX) >> bits);
        const auto qy = static_cast<std::uint32_t>(((b.minY + b.maxY) / 2 - span.minY) >> bits);
        keys[k] = Spread(qx) | (Spread(qy) << 1);
    }
    std::vector<std::uint32_t> order(n);
    std::vector<std::uint32_t> sorted(n);
    for (std::size_t k = 0; k < n; ++k)
        order[k] = static_cast<std::uint32_t>(k);
    for (int shift = 0; shift < 32; shift += 8) {
        std::size_t counts[257] = {};
        for (std::uint32_t k : order)
            ++counts[((keys[k] >> shift) & 0xffu) + 1];
        for (std::size_t c = 1; c < 257; ++c)
            counts[c] += counts[c - 1];
        for (std::uint32_t k : order)
            sorted[counts[(keys[k] >> shift) & 0xffu]++] = k;
        order.swap(sorted);
    }
    std::vector<Piece> pieces(n);
    for (std::size_t k = 0; k < n; ++k)
        pieces[k] = m_pieces[order[k]];
    m_pieces = std::move(pieces);

    m_nodes.reserve(2 * n);
    std::vector<std::int32_t> level;
    for (std::size_t k = 0; k < n; ++k) {
        const Piece &p = m_pieces[k];
        Node leaf;
        leaf.box = p.box;
        leaf.minFactor = p.minFactor;
        leaf.minWeight = p.minWeight;
        leaf.minSlot = p.slot;
        leaf.maxDepth = m_figures[static_cast<std::size_t>(p.slot)].depth;
        leaf.waiting = 1;
        leaf.boundable = p.boundable;
        level.push_back(static_cast<std::int32_t>(m_nodes.size()));
        m_nodes.push_back(leaf);
    }
    std::vector<std::int32_t> above;
    while (level.size() > 1) {
        above.clear();
        for (std::size_t k = 0; k + 1 < level.size(); k += 2) {
            const auto index = static_cast<std::int32_t>(m_nodes.size());
            const Node &l = m_nodes[static_cast<std::size_t>(level[k])];
            const Node &r = m_nodes[static_cast<std::size_t>(level[k + 1])];
            Node node;
            node.left = level[k];
            node.right = level[k + 1];
            node.box = l.box;
            node.box.add(r.box.minX, r.box.minY);
            node.box.add(r.box.maxX, r.box.maxY);
            node.minFactor = std::min(l.minFactor, r.minFactor);
            node.minWeight = std::min(l.minWeight, r.minWeight);
            node.minSlot = std::min(l.minSlot, r.minSlot);
            node.maxDepth = std::max(l.maxDepth, r.maxDepth);
            node.waiting = (l.waiting > 0 ? 1 : 0) + (r.waiting > 0 ? 1 : 0);
            node.boundable = l.boundable && r.boundable;
            m_nodes.push_back(node);
            m_nodes[static_cast<std::size_t>(level[k])].parent = index;
            m_nodes[static_cast<std::size_t>(level[k + 1])].parent = index;
            above.push_back(index);
        }
        if (level.size() % 2 == 1)
            above.push_back(level.back());
        level.swap(above);
    }
    m_root = level.front();

    m_slotStart.assign(m_figures.size() + 1, 0);
    for (const Piece &p : m_pieces)
        ++m_slotStart[static_cast<std::size_t>(p.slot) + 1];
    for (std::size_t s = 1; s < m_slotStart.size(); ++s)
        m_slotStart[s] += m_slotStart[s - 1];
    m_slotPieces.resize(n);
    std::vector<std::int32_t> fill(m_slotStart.begin(), m_slotStart.end() - 1);
    for (std::size_t k = 0; k < n; ++k)
        m_slotPieces[static_cast<std::size_t>(fill[static_cast<std::size_t>(m_pieces[k].slot)]++)]
            = static_cast<std::int32_t>(k);
}

void PendingIndex::remove(int slot)
{
    const auto s = static_cast<std::size_t>(slot);
    if (s >= m_waiting.size() || !m_waiting[s])
        return;
    m_waiting[s] = 0;
    // A node above counts only children that still hold a waiting piece: it
    // hears of a piece leaving only when that empties the child, so each
    // node is reached once in the whole run, not at every removal.
    for (std::int32_t k = m_slotStart[s]; k < m_slotStart[s + 1]; ++k) {
        for (std::int32_t n = m_slotPieces[static_cast<std::size_t>(k)]; n >= 0;) {
            Node &node = m_nodes[static_cast<std::size_t>(n)];
            if (--node.waiting > 0)
                break;
            n = node.parent;
        }
    }
}

// The best pairs of a few figures, best first, each the best pair of every
// waiting figure but those before it: a pair matters while it may beat the
// kept pair of its own figure, or the last one when its figure has none.
class PendingIndex::BestFew
{
public:
    BestFew(PairBest *kept, std::size_t count)
        : m_kept(kept)
        , m_count(count)
    { }

    // What a pair must come before to matter at all.
    const PairBest &threshold() const { return m_kept[m_count - 1]; }
    // What a pair of the figure in the slot must come before.
    const PairBest &thresholdFor(std::int32_t slot) const { return m_kept[place(slot)]; }
    // Takes in pair, the best of its figure's pairs searched against
    // thresholdFor(pair.b), should it have beaten that.
    void add(const PairBest &pair)
    {
        std::size_t at = place(pair.b);
        if (!pair.valid || !PairBefore(pair, m_kept[at]))
            return;
        m_kept[at] = pair;
        for (; at > 0 && PairBefore(m_kept[at], m_kept[at - 1]); --at)
            std::swap(m_kept[at], m_kept[at - 1]);
    }

private:
    std::size_t place(std::int32_t slot) const
    {
        for (std::size_t k = 0; k + 1 < m_count; ++k) {
            if (m_kept[k].valid && m_kept[k].b == slot)
                return k;
        }
        return m_count - 1;
    }

    PairBest *m_kept;
    std::size_t m_count;
};

template<PairScoring Scoring> struct PendingIndex::Search
{
    PendingIndex &index;
    const PendingQuery &query;

    std::int64_t bound(const Node &node, const Piece &b) const
    {
        if (!node.boundable || !b.boundable)
            return std::numeric_limits<std::int64_t>::min();
        return PairScoreOf<Scoring>(BoxGapSquared(node.box, b.box), node.minFactor, b.minFactor,
                                    node.minWeight, b.minWeight);
    }

    void run(BestFew &kept) const
    {
        std::vector<NodePair> &queue = index.m_queue;
        queue.clear();
        const auto push = [&](std::int32_t n, std::int32_t piece) {
            const Node &node = index.m_nodes[static_cast<std::size_t>(n)];
            if (node.waiting == 0 || node.maxDepth < query.rule.minDepth)
                return;
            const std::int64_t score = bound(node, index.m_piecesOfB[static_cast<std::size_t>(piece)]);
            if (!MayBeat(score, node.minSlot, kept.threshold()))
                return;
            queue.push_back(NodePair {score, node.minSlot, n, piece});
            std::push_heap(queue.begin(), queue.end(), LaterPair {});
        };
        for (std::size_t piece = 0; piece < index.m_piecesOfB.size(); ++piece)
            push(index.m_root, static_cast<std::int32_t>(piece));
        const auto leaves = static_cast<std::int32_t>(index.m_pieces.size());
        // The pairs by their least keys: once the least cannot beat the best
        // pair, no other can.
        while (!queue.empty()) {
            std::pop_heap(queue.begin(), queue.end(), LaterPair {});
            const NodePair next = queue.back();
            queue.pop_back();
            if (!MayBeat(next.score, next.slot, kept.threshold()))
                break;
            const Node &node = index.m_nodes[static_cast<std::size_t>(next.node)];
            // Figures may have joined since the pair was queued.
            if (node.waiting == 0)
                continue;
            if (next.node >= leaves) {
                push(node.left, next.piece);
                push(node.right, next.piece);
                continue;
            }
            const Piece &a = index.m_pieces[static_cast<std::size_t>(next.node)];
            const PendingFigure &figure = index.m_figures[static_cast<std::size_t>(a.slot)];
            if (!query.rule.allows(figure))
                continue;
            const Piece &b = index.m_piecesOfB[static_cast<std::size_t>(next.piece)];
            PairBest pair = kept.thresholdFor(a.slot);
            PairSearch(*figure.tree, figure.shift, *query.b, query.db, a.slot, query.skipVertexZeroOfB,
                       Scoring)
                .improve(a.part, b.part, pair);
            kept.add(pair);
        }
    }
};

void PendingIndex::improve(const PendingQuery &query, PairBest &best)
{
    search(query, BestFew(&best, 1));
}

void PendingIndex::improve(const PendingQuery &query, PairBest *kept, std::size_t count)
{
    search(query, BestFew(kept, count));
}

void PendingIndex::search(const PendingQuery &query, BestFew kept)
{
    if (m_root < 0 || query.b->empty())
        return;
    m_cut.clear();
    query.b->cut(m_side, m_cut);
    m_piecesOfB.clear();
    for (const auto &[part, box] : m_cut)
        m_piecesOfB.push_back(pieceOf(*query.b, part, box, query.db));
    switch (query.scoring) {
    case PairScoring::Tenths:
        Search<PairScoring::Tenths> {*this, query}.run(kept);
        break;
    case PairScoring::HalfHalf:
        Search<PairScoring::HalfHalf> {*this, query}.run(kept);
        break;
    case PairScoring::Product:
        Search<PairScoring::Product> {*this, query}.run(kept);
        break;
    }
}
