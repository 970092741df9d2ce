#pragma once

// The figures still waiting in one connector strategy run, in one tree, for
// the question a joined figure b asks: which waiting figure has the best pair
// with me? Joined figures leave the tree, and a part of the tree that no
// waiting figure is left in is not looked at again, so the search of a figure
// deep inside what has been joined goes straight to the waiting ones around
// it.
//
// A compact figure is held whole and paired through the two figures'
// candidate trees. A figure that spans far beyond the spacing of the figures
// (a long straight line, a sheet outline) is held in pieces no larger than
// that spacing, down to single points, since its box says little about where
// it can be met. Joined figures are looked at in the same pieces.

#include "project/boxgrid.h"
#include "project/candidatetree.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

class HelperGang;

// Per slot of the run: what the search needs of a figure.
struct PendingFigure
{
    CandidateTree *tree = nullptr; // its candidates; null when it is not waiting
    std::int64_t shift = 0; // of its points in x and y while scoring
    std::int32_t depth = 0;
    std::int32_t container = -1;
};

// Which waiting figures a joined figure may pair with, beyond being waiting:
// at least minDepth deep, and at the depth of the joined figure only within
// its container when that depth is above 1 (the rules of the remaining
// strategies).
struct PendingRule
{
    std::int32_t minDepth = std::numeric_limits<std::int32_t>::min();
    bool sameContainerAtOwnDepth = false;
    std::int32_t depth = 0;
    std::int32_t container = -1;

    bool allows(const PendingFigure &a) const
    {
        if (a.depth < minDepth)
            return false;
        return !(sameContainerAtOwnDepth && a.depth == depth && a.container != container);
    }
};

// One search: the joined figure b and how its pairs are scored.
struct PendingQuery
{
    CandidateTree *b = nullptr;
    std::int64_t db = 0; // shift of b's points in x and y
    bool skipVertexZeroOfB = false;
    PairScoring scoring = PairScoring::Tenths;
    PendingRule rule;
    // Threads a search over many points of b may share them out to; null
    // when the search runs beside others.
    HelperGang *helpers = nullptr;
};

class PendingIndex
{
public:
    // figures: by slot; the waiting ones carry their trees. Slots follow list
    // order, so they break ties as figures do.
    explicit PendingIndex(std::vector<PendingFigure> figures);

    // The figure in the slot has been joined; its points may be taken out
    // of the grid by the helpers.
    void remove(int slot, HelperGang *helpers = nullptr);

    // Does a search of b look at the points of b one by one, so that a b of
    // many points is worth sharing out?
    bool pointwise() const { return m_gridded; }
    // No figure waits here: every search finds nothing.
    bool empty() const { return m_waitingCount == 0; }
    static constexpr std::size_t SharedPoints = 64; // at least, for each thread

    // Updates best (keyed by the waiting figure's slot, its vertex, then b's
    // vertex) with the pairs of b and the waiting figures the rule allows.
    void improve(const PendingQuery &query, PairBest &best);
    // The same for the best pairs of count different figures, best first:
    // kept[k] is the best pair of every waiting figure but those of kept[0
    // .. k - 1], so when those have joined it is the best pair left.
    void improve(const PendingQuery &query, PairBest *kept, std::size_t count);

private:
    // A piece of a waiting figure: its slot, which part of its tree, the
    // part's box (shifted) and least factor and weight.
    struct Piece
    {
        PlanBox box;
        TreePart part;
        std::int32_t slot = 0;
        std::int32_t minFactor = 0;
        std::int32_t minWeight = 0;
        bool boundable = true;
    };
    struct Node
    {
        PlanBox box;
        std::int32_t left = -1; // children; a leaf holds the piece of its own index
        std::int32_t right = -1;
        std::int32_t parent = -1;
        std::int32_t minFactor = 0;
        std::int32_t minWeight = 0;
        std::int32_t minSlot = 0;
        std::int32_t maxDepth = 0;
        // A leaf: 1 while its piece's figure waits; a node above: how many
        // of its children still hold a waiting piece.
        std::int32_t waiting = 0;
        bool boundable = true;
    };
    // A node of this tree and a piece of b, with the least key any pair of
    // their points can have: the search's queue, kept between searches.
    struct NodePair
    {
        std::int64_t score = 0;
        std::int32_t slot = 0;
        std::int32_t node = 0;
        std::int32_t piece = 0;
    };
    class BestFew;
    template<PairScoring Scoring> struct Search;

    // A waiting figure's point in the grid, left unset until placed: the
    // grid's points are written once, by the threads that place them.
    struct GridPoint
    {
        std::int32_t x;
        std::int32_t y;
        std::int32_t slot;
        std::int32_t vertex;
        std::int32_t factor;
        std::int32_t weight;
    };
    template<PairScoring Scoring> class GridSearch;

    static Piece pieceOf(CandidateTree &tree, TreePart part, const PlanBox &box, std::int64_t shift);
    void build();
    void buildGrid();
    void search(const PendingQuery &query, BestFew kept);
    template<PairScoring Scoring> bool searchGrid(const PendingQuery &query, BestFew &kept);
    void removeFromGrid(const std::vector<CandidatePoint> &points, int slot, std::size_t share,
                        std::size_t shares);
    // How many threads a walk over that many points of one figure goes on.
    static std::size_t SharesOf(const HelperGang *helpers, std::size_t points);

    std::vector<PendingFigure> m_figures;
    std::vector<std::uint8_t> m_waiting; // by slot
    std::size_t m_waitingCount = 0;
    // Once few figures wait, each is paired with b whole, through the two
    // figures' own trees: the search of pieces would open most of them
    // anyway, and cannot prune at all while fewer wait than it keeps. Their
    // slots, once so few are left.
    static constexpr std::size_t FewWaiting = 8;
    std::vector<std::int32_t> m_fewWaiting;
    void listFewWaiting();
    std::int64_t m_side = 0; // the largest piece, across
    std::vector<Piece> m_pieces; // in the order of the tree's leaves
    std::vector<Node> m_nodes; // the leaves first, one per piece
    std::int32_t m_root = -1;
    // Each slot's pieces: m_slotPieces[m_slotStart[s] .. m_slotStart[s + 1]).
    std::vector<std::int32_t> m_slotStart;
    std::vector<std::int32_t> m_slotPieces;
    std::vector<NodePair> m_queue;
    std::vector<std::pair<TreePart, PlanBox>> m_cut;
    std::vector<Piece> m_piecesOfB;
    std::vector<PairBest> m_keptOfShares; // a search shared out: each thread's own

    // Figures that sprawl far beyond the spacing of the figures (scribbles,
    // long strokes) are cut into pieces whose boxes overlap many others, so
    // their boxes prune little. Their points are also kept in square cells
    // of about one point each: a joined figure's points look first at the
    // cells around them, which mostly settles the search; the tree finishes
    // it when they do not.
    bool m_gridded = false;
    std::int64_t m_cellSide = 1;
    CellDivider m_perCell;
    std::int64_t m_gridX = 0; // the grid's corner
    std::int64_t m_gridY = 0;
    std::int64_t m_columns = 0;
    std::int64_t m_rows = 0;
    std::int32_t m_gridMinFactor = 0;
    std::int32_t m_gridMinWeight = 0;
    // A cell holds the points of waiting figures m_gridPoints[start .. start
    // + live); a joined figure's points leave at once. A bit per cell tells
    // the cells that hold any, so that the empty ones, most of them once the
    // joined figures spread, cost no reading.
    struct Cell
    {
        std::int32_t start = 0;
        std::int32_t live = 0;
    };
    std::vector<Cell> m_cells;
    std::vector<std::uint64_t> m_occupied;
    // Node n (not a leaf) and those above it to the boxes of their
    // children that still hold a waiting piece.
    void shrink(std::int32_t n);
    // Cells lie all over the grid: a walk along a figure's points asks
    // memory for each cell's record, then for its points, these many points
    // before it reads them.
    static constexpr std::size_t RecordsAhead = 12;
    static constexpr std::size_t PointsAhead = 6;
    void prefetchRecord(std::size_t c) const { __builtin_prefetch(&m_cells[c]); }
    void prefetchPoints(std::size_t c) const { __builtin_prefetch(m_gridPoints.get() + m_cells[c].start); }
    std::size_t gridCell(std::int64_t x, std::int64_t y) const
    {
        return static_cast<std::size_t>(m_perCell(y - m_gridY) * m_columns + m_perCell(x - m_gridX));
    }
    std::unique_ptr<GridPoint[]> m_gridPoints;
    std::vector<std::size_t> m_cellsOfRemoved; // of each point of the figure leaving the grid
};
