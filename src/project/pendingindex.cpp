#include "project/pendingindex.h"

#include "project/parallelchunks.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <mutex>

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
    // The trees of figures that do not fit a piece are cut along their
    // nodes: those are made first, on a few threads.
    const auto points = [&](std::size_t s) { return m_figures[s].tree ? m_figures[s].tree->size() + 1 : 1; };
    ParallelChunksByWeight(m_figures.size(), points, 65536, [&](std::size_t begin, std::size_t end) {
        for (std::size_t s = begin; s < end; ++s) {
            if (m_figures[s].tree)
                m_figures[s].tree->prepareCut(m_side);
        }
    });
    for (std::size_t s = 0; s < m_figures.size(); ++s) {
        PendingFigure &f = m_figures[s];
        if (!f.tree || f.tree->empty())
            continue;
        m_waiting[s] = 1;
        ++m_waitingCount;
        m_cut.clear();
        f.tree->cut(m_side, m_cut);
        for (const auto &[part, box] : m_cut) {
            m_pieces.push_back(pieceOf(*f.tree, part, box, f.shift));
            m_pieces.back().slot = static_cast<std::int32_t>(s);
        }
    }
    build();
    if (m_waitingCount <= FewWaiting)
        listFewWaiting();
    // The grid serves where most figures were cut up, and pairs are scored
    // as they stand (no shifted points, no weights that break the bounds).
    bool gridded = m_pieces.size() >= 2 * count;
    for (const PendingFigure &f : m_figures)
        gridded = gridded && (!f.tree || (f.shift == 0 && f.tree->boundable()));
    if (gridded)
        buildGrid();
}

void PendingIndex::buildGrid()
{
    // Every pass over the points goes on a few threads, by runs of figures.
    const auto weight = [&](std::size_t s) { return m_figures[s].tree ? m_figures[s].tree->size() + 1 : 1; };
    constexpr std::size_t Grain = 65536;
    struct Extent
    {
        PlanBox span;
        std::size_t points = 0;
        std::int32_t minFactor = std::numeric_limits<std::int32_t>::max();
        std::int32_t minWeight = std::numeric_limits<std::int32_t>::max();
    };
    std::mutex joining;
    Extent all;
    ParallelChunksByWeight(m_figures.size(), weight, Grain, [&](std::size_t begin, std::size_t end) {
        Extent part;
        for (std::size_t s = begin; s < end; ++s) {
            if (!m_figures[s].tree)
                continue;
            for (const CandidatePoint &p : m_figures[s].tree->points()) {
                part.span.add(p.x, p.y);
                part.minFactor = std::min(part.minFactor, p.factor);
                part.minWeight = std::min(part.minWeight, p.weight);
            }
            part.points += m_figures[s].tree->size();
        }
        const std::lock_guard lock(joining);
        if (!part.span.empty()) {
            all.span.add(part.span.minX, part.span.minY);
            all.span.add(part.span.maxX, part.span.maxY);
        }
        all.points += part.points;
        all.minFactor = std::min(all.minFactor, part.minFactor);
        all.minWeight = std::min(all.minWeight, part.minWeight);
    });
    const PlanBox &span = all.span;
    const std::size_t points = all.points;
    m_gridMinFactor = all.minFactor;
    m_gridMinWeight = all.minWeight;
    if (points == 0 || points > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        return;
    // About three points a cell: fewer cells to fill and to look at, each
    // read at once.
    m_cellSide = CellSideForCount(span, std::max<std::int64_t>(1, static_cast<std::int64_t>(points) / 3));
    m_perCell = CellDivider(m_cellSide);
    m_gridX = span.minX;
    m_gridY = span.minY;
    m_columns = (span.maxX - span.minX) / m_cellSide + 1;
    m_rows = (span.maxY - span.minY) / m_cellSide + 1;
    // A drawing far longer than it is wide would need many empty cells.
    if (m_columns * m_rows > 4 * static_cast<std::int64_t>(points) + 1024)
        return;
    const auto cells = static_cast<std::size_t>(m_columns * m_rows);
    const auto cellOf = [&](const CandidatePoint &p) { return gridCell(p.x, p.y); };
    // The order of the points within a cell does not matter to a search:
    // the threads count and place them as they come.
    m_cells.assign(cells, Cell {});
    ParallelChunksByWeight(m_figures.size(), weight, Grain, [&](std::size_t begin, std::size_t end) {
        for (std::size_t s = begin; s < end; ++s) {
            if (m_figures[s].tree) {
                for (const CandidatePoint &p : m_figures[s].tree->points())
                    std::atomic_ref(m_cells[cellOf(p)].live).fetch_add(1, std::memory_order_relaxed);
            }
        }
    });
    // Each cell's count of points counts them again as they are placed.
    m_occupied.assign((cells + 63) / 64, 0);
    std::int32_t start = 0;
    for (std::size_t c = 0; c < cells; ++c) {
        Cell &cell = m_cells[c];
        cell.start = start;
        start += cell.live;
        if (cell.live > 0)
            m_occupied[c / 64] |= std::uint64_t(1) << (c % 64);
        cell.live = 0;
    }
    m_gridPoints = std::make_unique_for_overwrite<GridPoint[]>(points);
    ParallelChunksByWeight(m_figures.size(), weight, Grain, [&](std::size_t begin, std::size_t end) {
        for (std::size_t s = begin; s < end; ++s) {
            if (!m_figures[s].tree)
                continue;
            for (const CandidatePoint &p : m_figures[s].tree->points()) {
                Cell &cell = m_cells[cellOf(p)];
                const std::int32_t at
                    = cell.start + std::atomic_ref(cell.live).fetch_add(1, std::memory_order_relaxed);
                m_gridPoints[static_cast<std::size_t>(at)]
                    = GridPoint {p.x, p.y, static_cast<std::int32_t>(s), p.vertex, p.factor, p.weight};
            }
        }
    });
    m_gridded = true;
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

void PendingIndex::remove(int slot, HelperGang *helpers)
{
    const auto s = static_cast<std::size_t>(slot);
    if (s >= m_waiting.size() || !m_waiting[s])
        return;
    m_waiting[s] = 0;
    if (--m_waitingCount == FewWaiting)
        listFewWaiting();
    else if (m_waitingCount < FewWaiting)
        m_fewWaiting.erase(std::find(m_fewWaiting.begin(), m_fewWaiting.end(), slot));
    if (m_gridded) {
        const std::vector<CandidatePoint> &points = m_figures[s].tree->points();
        m_cellsOfRemoved.resize(points.size());
        for (std::size_t k = 0; k < points.size(); ++k)
            m_cellsOfRemoved[k] = gridCell(points[k].x, points[k].y);
        const std::size_t shares = SharesOf(helpers, points.size());
        if (shares <= 1) {
            removeFromGrid(points, slot, 0, 1);
        } else {
            helpers->run([&](std::size_t t) {
                if (t < shares)
                    removeFromGrid(points, slot, t, shares);
            });
        }
    }
    // A node above counts only children that still hold a waiting piece: it
    // hears of a piece leaving only when that empties the child, so each
    // node is reached once in the whole run, not at every removal. The node
    // that keeps a waiting child shrinks to the children left, and those
    // above it with it: late in a run the few figures left would otherwise
    // sit in boxes made for all, and a search would open most of the tree.
    for (std::int32_t k = m_slotStart[s]; k < m_slotStart[s + 1]; ++k) {
        for (std::int32_t n = m_slotPieces[static_cast<std::size_t>(k)]; n >= 0;) {
            Node &node = m_nodes[static_cast<std::size_t>(n)];
            if (--node.waiting > 0) {
                shrink(n);
                break;
            }
            n = node.parent;
        }
    }
}

// Shared out, each share takes the points out of the cells whose occupancy
// bits share a word with its own: no two write the same word, and a cell's
// points leave in the order they would one after another.
void PendingIndex::removeFromGrid(const std::vector<CandidatePoint> &points, int slot, std::size_t share,
                                  std::size_t shares)
{
    const auto mine = [&](std::size_t c) { return shares == 1 || c / 64 % shares == share; };
    const std::size_t count = points.size();
    for (std::size_t k = 0; k < count; ++k) {
        if (k + RecordsAhead < count && mine(m_cellsOfRemoved[k + RecordsAhead]))
            prefetchRecord(m_cellsOfRemoved[k + RecordsAhead]);
        if (k + PointsAhead < count && mine(m_cellsOfRemoved[k + PointsAhead]))
            prefetchPoints(m_cellsOfRemoved[k + PointsAhead]);
        const std::size_t c = m_cellsOfRemoved[k];
        if (!mine(c))
            continue;
        const CandidatePoint &p = points[k];
        Cell &cell = m_cells[c];
        GridPoint *const first = m_gridPoints.get() + cell.start;
        GridPoint *const last = first + cell.live;
        GridPoint *const at = std::find_if(
            first, last, [&](const GridPoint &q) { return q.slot == slot && q.vertex == p.vertex; });
        if (at == last)
            continue;
        *at = *(last - 1);
        if (--cell.live == 0)
            m_occupied[c / 64] &= ~(std::uint64_t(1) << (c % 64));
    }
}

std::size_t PendingIndex::SharesOf(const HelperGang *helpers, std::size_t points)
{
    return helpers ? std::min(helpers->size(), points / SharedPoints) : std::size_t {1};
}

void PendingIndex::listFewWaiting()
{
    m_fewWaiting.clear();
    for (std::size_t s = 0; s < m_waiting.size(); ++s) {
        if (m_waiting[s])
            m_fewWaiting.push_back(static_cast<std::int32_t>(s));
    }
}

void PendingIndex::shrink(std::int32_t n)
{
    while (n >= 0) {
        Node &node = m_nodes[static_cast<std::size_t>(n)];
        PlanBox box;
        for (const std::int32_t child : {node.left, node.right}) {
            const Node &c = m_nodes[static_cast<std::size_t>(child)];
            if (c.waiting > 0) {
                box.add(c.box.minX, c.box.minY);
                box.add(c.box.maxX, c.box.maxY);
            }
        }
        if (box.empty() || (box.minX == node.box.minX && box.minY == node.box.minY && box.maxX == node.box.maxX
                            && box.maxY == node.box.maxY))
            return;
        node.box = box;
        n = node.parent;
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

    std::size_t count() const { return m_count; }
    const PairBest &operator[](std::size_t k) const { return m_kept[k]; }

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

// The pairs of b's points with the points in the cells around them. Every
// pair that could still come before the last pair kept is offered, so what is
// kept does not hang on the order the pairs are met in; false when the cells
// near b do not settle the search, the pairs met so far kept for the tree.
template<PairScoring Scoring> class PendingIndex::GridSearch
{
public:
    // Over b's points [begin, end).
    GridSearch(const PendingIndex &index, const PendingQuery &query, BestFew &kept, std::size_t begin,
               std::size_t end)
        : m_index(index)
        , m_query(query)
        , m_kept(kept)
        , m_points(query.b->points().data() + begin)
        , m_count(end - begin)
    { }

    // Each point's own cell and the eight around it first: what they hold
    // bounds what lies further out.
    void lookNear()
    {
        m_cellsOfB.resize(m_count);
        for (std::size_t k = 0; k < m_count; ++k) {
            const CandidatePoint &p = m_points[k];
            m_cellsOfB[k] = Ring {cellOf(p.x, m_index.m_gridX), cellOf(p.y, m_index.m_gridY), 0, false};
        }
        for (std::size_t k = 0; k < m_count; ++k) {
            if (k + RecordsAhead < m_count && inGrid(m_cellsOfB[k + RecordsAhead]))
                m_index.prefetchRecord(indexOf(m_cellsOfB[k + RecordsAhead]));
            if (k + PointsAhead < m_count && inGrid(m_cellsOfB[k + PointsAhead]))
                m_index.prefetchPoints(indexOf(m_cellsOfB[k + PointsAhead]));
            const CandidatePoint &p = m_points[k];
            if (!skipped(p)) {
                scanRing(m_cellsOfB[k], p);
                scanRing(ringAround(m_cellsOfB[k], 1), p);
            }
        }
    }

    // Then, point by point, the rings beyond while a ring's nearest room
    // could still hold a pair before the last one kept. False when that
    // would look at more than `budget` cells, or too far: the tree does
    // better then.
    bool lookFurther(std::int64_t budget)
    {
        m_budget = budget;
        for (std::size_t k = 0; k < m_count; ++k) {
            const CandidatePoint &p = m_points[k];
            if (skipped(p))
                continue;
            for (std::int64_t r = 2;; ++r) {
                const Ring ring = ringAround(m_cellsOfB[k], r);
                if (ring.beyond)
                    break;
                const std::int64_t gap = (r - 1) * m_index.m_cellSide;
                if (gap > MostGap)
                    return false;
                if (reach(gap, gap, p) > m_kept.threshold().score)
                    break;
                if (!scanRing(ring, p))
                    return false;
            }
        }
        return true;
    }

private:
    // Beyond this the scores of the rings are not worked out: the tree
    // takes over.
    static constexpr std::int64_t MostGap = std::int64_t(1) << 26;

    // The cells at Chebyshev distance r from a point's cell; beyond when
    // none of them is in the grid.
    struct Ring
    {
        std::int64_t cx = 0;
        std::int64_t cy = 0;
        std::int64_t r = 0;
        bool beyond = false;
    };

    bool skipped(const CandidatePoint &p) const { return m_query.skipVertexZeroOfB && p.vertex == 0; }
    // A point outside the grid has its cell beyond the grid's edge: only the
    // cells inside are looked at.
    std::int64_t cellOf(std::int64_t v, std::int64_t origin) const
    {
        const std::int64_t d = v - origin;
        return d >= 0 ? m_index.m_perCell(d) : -((-d + m_index.m_cellSide - 1) / m_index.m_cellSide);
    }
    // A cell's place in the grid, for one inside it.
    std::size_t indexOf(const Ring &cell) const
    {
        return static_cast<std::size_t>(cell.cy * m_index.m_columns + cell.cx);
    }
    bool inGrid(const Ring &cell) const
    {
        return cell.cx >= 0 && cell.cx < m_index.m_columns && cell.cy >= 0 && cell.cy < m_index.m_rows;
    }
    // The ring r around a point's cell (ring 0).
    Ring ringAround(const Ring &cell, std::int64_t r) const
    {
        const std::int64_t cx = cell.cx;
        const std::int64_t cy = cell.cy;
        const std::int64_t last = std::max({cx, m_index.m_columns - 1 - cx, cy, m_index.m_rows - 1 - cy});
        return Ring {cx, cy, r, r > last};
    }
    // The least score of p with any point gapX and gapY away or further.
    std::int64_t reach(std::int64_t gapX, std::int64_t gapY, const CandidatePoint &p) const
    {
        return PairScoreOf<Scoring>(gapX * gapX + gapY * gapY, m_index.m_gridMinFactor, p.factor,
                                    m_index.m_gridMinWeight, p.weight);
    }
    // False when the cells to look at ran out.
    bool scanRing(const Ring &ring, const CandidatePoint &p)
    {
        const std::int64_t r = ring.r;
        for (std::int64_t y = std::max<std::int64_t>(ring.cy - r, 0);
             y <= std::min(ring.cy + r, m_index.m_rows - 1); ++y) {
            const bool edge = y == ring.cy - r || y == ring.cy + r;
            for (std::int64_t x = ring.cx - r; x <= ring.cx + r; x += edge || r == 0 ? 1 : 2 * r) {
                if (x < 0 || x >= m_index.m_columns)
                    continue;
                if (r > 1 && --m_budget < 0)
                    return false;
                scoreCell(x, y, p);
            }
        }
        return true;
    }

    void scoreCell(std::int64_t x, std::int64_t y, const CandidatePoint &p)
    {
        // A cell whose nearest room is already too far is not read, nor is
        // its bit looked at: most cells around a point are passed by so.
        if (const PairBest &last = m_kept.threshold(); last.valid) {
            const std::int64_t left = m_index.m_gridX + x * m_index.m_cellSide;
            const std::int64_t bottom = m_index.m_gridY + y * m_index.m_cellSide;
            const std::int64_t gapX
                = std::max<std::int64_t>({0, left - p.x, p.x - (left + m_index.m_cellSide - 1)});
            const std::int64_t gapY
                = std::max<std::int64_t>({0, bottom - p.y, p.y - (bottom + m_index.m_cellSide - 1)});
            if (gapX <= MostGap && gapY <= MostGap && reach(gapX, gapY, p) > last.score)
                return;
        }
        const auto c = static_cast<std::size_t>(y * m_index.m_columns + x);
        if (!(m_index.m_occupied[c / 64] >> (c % 64) & 1))
            return;
        const Cell &cell = m_index.m_cells[c];
        for (std::int32_t k = cell.start; k < cell.start + cell.live; ++k) {
            const GridPoint &q = m_index.m_gridPoints[static_cast<std::size_t>(k)];
            const std::int64_t dx = std::int64_t(q.x) - p.x;
            const std::int64_t dy = std::int64_t(q.y) - p.y;
            const std::int64_t s
                = PairScoreOf<Scoring>(dx * dx + dy * dy, q.factor, p.factor, q.weight, p.weight);
            if (const PairBest &last = m_kept.threshold(); last.valid && s > last.score)
                continue;
            if (!m_query.rule.allows(m_index.m_figures[static_cast<std::size_t>(q.slot)]))
                continue;
            const PairBest pair {s, q.slot, q.vertex, p.vertex, true};
            if (PairBefore(pair, m_kept.thresholdFor(q.slot)))
                m_kept.add(pair);
        }
    }

    const PendingIndex &m_index;
    const PendingQuery &m_query;
    BestFew &m_kept;
    const CandidatePoint *m_points;
    std::size_t m_count;
    std::int64_t m_budget = 0;
    std::vector<Ring> m_cellsOfB; // each point's cell, as ring 0
};

// A search of b over many points is shared out over them when there are
// helpers: each share keeps its own best pairs, from those kept before. The
// best few pairs of all are the best few of the shares' best few, since a
// figure among the best few overall is among them in the share that holds
// its best pair. The first look is gathered before the second, which so
// stops where one search would. How the search is shared out changes only
// whether the grid settles it, not what the tree then keeps.
template<PairScoring Scoring> bool PendingIndex::searchGrid(const PendingQuery &query, BestFew &kept)
{
    const std::vector<CandidatePoint> &points = query.b->points();
    for (const CandidatePoint &p : points) {
        if (p.factor < 0 || p.weight < 0)
            return false;
    }
    const auto all = static_cast<std::int64_t>(points.size());
    const auto budget = [&](std::size_t begin, std::size_t end) {
        const auto count = static_cast<std::int64_t>(end - begin);
        return 64 * count + 16384 * count / all;
    };
    const std::size_t shares = SharesOf(query.helpers, points.size());
    if (shares <= 1) {
        GridSearch<Scoring> search(*this, query, kept, 0, points.size());
        search.lookNear();
        return kept.threshold().valid && search.lookFurther(budget(0, points.size()));
    }
    const std::size_t count = kept.count();
    m_keptOfShares.resize(shares * count);
    const auto first = [&](std::size_t t) { return points.size() * t / shares; };
    std::vector<BestFew> keptOfShare;
    std::vector<GridSearch<Scoring>> searches;
    keptOfShare.reserve(shares);
    searches.reserve(shares);
    for (std::size_t t = 0; t < shares; ++t) {
        keptOfShare.emplace_back(m_keptOfShares.data() + t * count, count);
        searches.emplace_back(*this, query, keptOfShare[t], first(t), first(t + 1));
    }
    const auto spread = [&](std::size_t t) {
        for (std::size_t k = 0; k < count; ++k)
            m_keptOfShares[t * count + k] = kept[k];
    };
    const auto gather = [&] {
        for (const PairBest &pair : m_keptOfShares)
            kept.add(pair);
    };
    query.helpers->run([&](std::size_t t) {
        if (t < shares) {
            spread(t);
            searches[t].lookNear();
        }
    });
    gather();
    if (!kept.threshold().valid)
        return false;
    std::vector<std::uint8_t> settled(shares, 0);
    query.helpers->run([&](std::size_t t) {
        if (t < shares) {
            spread(t);
            settled[t] = searches[t].lookFurther(budget(first(t), first(t + 1)));
        }
    });
    gather();
    return std::all_of(settled.begin(), settled.end(), [](std::uint8_t s) { return s != 0; });
}

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
    if (m_waitingCount <= FewWaiting) {
        for (const std::int32_t slot : m_fewWaiting) {
            const PendingFigure &figure = m_figures[static_cast<std::size_t>(slot)];
            if (!query.rule.allows(figure))
                continue;
            PairBest pair = kept.thresholdFor(slot);
            PairSearch(*figure.tree, figure.shift, *query.b, query.db, slot, query.skipVertexZeroOfB,
                       query.scoring)
                .improve(pair);
            kept.add(pair);
        }
        return;
    }
    if (m_gridded && query.db == 0) {
        const bool settled = WithScoring(
            query.scoring, [&](auto kind) { return searchGrid<decltype(kind)::value>(query, kept); });
        if (settled)
            return;
        // The figures the grid could not settle lie far from b: its pieces
        // would each walk the same way down the tree, b whole walks it once.
        m_cut.clear();
        m_cut.emplace_back(TreePart {}, query.b->summary().box);
    } else {
        m_cut.clear();
        query.b->cut(m_side, m_cut);
    }
    m_piecesOfB.clear();
    for (const auto &[part, box] : m_cut)
        m_piecesOfB.push_back(pieceOf(*query.b, part, box, query.db));
    WithScoring(query.scoring, [&](auto kind) { Search<decltype(kind)::value> {*this, query}.run(kept); });
}
