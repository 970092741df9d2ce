// The planner's per-figure trees against the plain scans they replace, on
// points crowded onto a few grid values: repeated points, equal scores,
// collinear and touching edges, distances exactly at the tolerance.

#include "drawing/geometry.h"
#include "project/candidatetree.h"
#include "project/figureindexes.h"
#include "project/indexedheap.h"
#include "project/parallelchunks.h"

#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <stdexcept>
#include <tuple>

namespace {

int Uniform(std::mt19937 &rng, int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(rng);
}

std::vector<TPlotPoint> GridPoints(std::mt19937 &rng, int count, int span, std::int32_t offset)
{
    std::vector<TPlotPoint> points;
    for (int k = 0; k < count; ++k)
        points.push_back({offset + Uniform(rng, 0, span), offset + Uniform(rng, 0, span)});
    return points;
}

// Every figure with a vertex within the tolerance, in x and in y, of one of
// each figure's, by a sweep along x.
std::vector<std::vector<std::int32_t>> PlainTouchers(const std::vector<tfigura> &figures, double tolerance)
{
    std::vector<std::pair<TPlotPoint, std::int32_t>> vertices;
    for (std::size_t f = 0; f < figures.size(); ++f) {
        for (const TPlotPoint &p : figures[f].points)
            vertices.push_back({p, static_cast<std::int32_t>(f)});
    }
    std::sort(vertices.begin(), vertices.end(),
              [](const auto &a, const auto &b) { return a.first.x < b.first.x; });
    std::vector<std::vector<std::int32_t>> touchers(figures.size());
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        for (std::size_t j = i + 1;
             j < vertices.size() && vertices[j].first.x - vertices[i].first.x <= tolerance; ++j) {
            const auto &[p, a] = vertices[i];
            const auto &[q, b] = vertices[j];
            if (a != b && std::abs(double(p.y - q.y)) <= tolerance) {
                touchers[a].push_back(b);
                touchers[b].push_back(a);
            }
        }
    }
    for (auto &list : touchers) {
        std::sort(list.begin(), list.end());
        list.erase(std::unique(list.begin(), list.end()), list.end());
    }
    return touchers;
}

TEST(EdgeTree, AnswersAsTestingEveryEdge)
{
    // Near the readers' coordinate limit the crossing's rounding is largest.
    for (const std::int32_t offset : {0, -7, 21474000}) {
        std::mt19937 rng(static_cast<unsigned>(offset + 11));
        for (int figure = 0; figure < 40; ++figure) {
            tfigura f;
            f.points = GridPoints(rng, Uniform(rng, 64, 160), Uniform(rng, 3, 12), offset);
            f.closed = figure % 2 == 0;
            const EdgeTree tree(f.points);
            const auto n = static_cast<int>(f.points.size());
            for (int query = 0; query < 200; ++query) {
                const std::vector<TPlotPoint> ends = GridPoints(rng, 2, 14, offset - 1);
                const TSegment cut {ends[0], ends[1]};
                const int v = Uniform(rng, -1, n);
                bool expected = false;
                for (int k = 0; k + 1 < n && !expected; ++k)
                    expected = k != v && k + 1 != v
                        && SegmentsIntersect(cut, TSegment {f.points[k], f.points[k + 1]});
                SCOPED_TRACE(::testing::Message()
                             << "offset " << offset << " figure " << figure << " query " << query);
                ASSERT_EQ(tree.crosses(f.points, cut, v), expected);
                expected = expected
                    || (f.closed && SegmentsIntersect(cut, TSegment {f.points[n - 1], f.points[0]}));
                ASSERT_EQ(CutCrossesFigure(cut, f, v, nullptr), expected);
                ASSERT_EQ(CutCrossesFigure(cut, f, v, &tree), expected);
            }
        }
    }
}

std::vector<CandidatePoint> Candidates(std::mt19937 &rng, int count, std::int32_t offset)
{
    static const std::int32_t weights[] = {5, 6, 8, 9, 10};
    std::vector<CandidatePoint> points;
    for (const TPlotPoint &p : GridPoints(rng, count, 9, offset)) {
        const std::int32_t weight = weights[Uniform(rng, 0, 4)];
        const bool candidate = Uniform(rng, 0, 3) > 0;
        points.push_back(
            {p.x, p.y, static_cast<std::int32_t>(points.size()), candidate ? weight : 10, weight});
    }
    return points;
}

// The full scan: pairs in vertex order, a strictly smaller score replaces.
PairBest Scan(const std::vector<CandidatePoint> &a, std::int64_t da, const std::vector<CandidatePoint> &b,
              std::int64_t db, int figureB, bool skipZero, PairScoring scoring, PairBest best)
{
    for (const CandidatePoint &p : a) {
        for (const CandidatePoint &q : b) {
            if (skipZero && q.vertex == 0)
                continue;
            const std::int64_t dx = p.x + da - (q.x + db);
            const std::int64_t dy = p.y + da - (q.y + db);
            const std::int64_t s = dx * dx + dy * dy;
            const std::int64_t score = scoring == PairScoring::Tenths ? s * p.factor / 10 * q.factor / 10
                : scoring == PairScoring::HalfHalf                    ? s * 5 / 10 * 5 / 10
                                                                      : s * p.weight * q.weight;
            const PairBest pair {score, figureB, p.vertex, q.vertex, true};
            if (PairBefore(pair, best))
                best = pair;
        }
    }
    return best;
}

TEST(CandidateTree, PairSearchFindsTheFullScansPairTiesIncluded)
{
    std::mt19937 rng(5);
    for (int round = 0; round < 600; ++round) {
        const std::vector<CandidatePoint> a = Candidates(rng, Uniform(rng, 1, 90), 0);
        const std::vector<CandidatePoint> b = Candidates(rng, Uniform(rng, 1, 90), Uniform(rng, -6, 6));
        CandidateTree treeA(a);
        CandidateTree treeB(b);
        const auto scoring = static_cast<PairScoring>(round % 3);
        const std::int64_t da = Uniform(rng, -2, 2);
        const std::int64_t db = Uniform(rng, -1, 1);
        const bool skipZero = round % 4 == 1;
        // A best pair of another joined figure, before or after this one,
        // sometimes already as good as this pair's best.
        PairBest best;
        if (round % 5 > 1)
            best = PairBest {Uniform(rng, 0, 60), 7 + Uniform(rng, -1, 1), Uniform(rng, 0, 3), 0, true};
        const PairBest expected = Scan(a, da, b, db, 7, skipZero, scoring, best);
        PairSearch search(treeA, da, treeB, db, 7, skipZero, scoring);
        SCOPED_TRACE(round);
        // No pair of the two comes before the key their boxes promise.
        const PairBest own = Scan(a, da, b, db, 7, skipZero, scoring, PairBest {});
        if (own.valid) {
            EXPECT_FALSE(PairBefore(own, search.lowerKey()));
        }
        search.improve(best);
        ASSERT_EQ(best.valid, expected.valid);
        EXPECT_EQ(best.score, expected.score);
        EXPECT_EQ(best.b, expected.b);
        EXPECT_EQ(best.va, expected.va);
        EXPECT_EQ(best.vb, expected.vb);
    }
}

TEST(CandidateTree, TouchAndNearnessAnswerAsTheScans)
{
    std::mt19937 rng(9);
    for (int round = 0; round < 300; ++round) {
        const std::vector<CandidatePoint> a = Candidates(rng, Uniform(rng, 33, 120), 0);
        const std::vector<CandidatePoint> b = Candidates(rng, Uniform(rng, 33, 120), Uniform(rng, 2, 16));
        CandidateTree treeA(a);
        CandidateTree treeB(b);
        const double tolerance = round % 3 == 0 ? 4.0 : 2.5 + round % 2;
        // The touching pair: a's vertices from the last, b's from the last.
        bool touch = false;
        std::int32_t ta = -1;
        std::int32_t tb = -1;
        for (auto p = a.rbegin(); p != a.rend() && !touch; ++p) {
            for (auto q = b.rbegin(); q != b.rend() && !touch; ++q) {
                touch = std::abs(double(p->x - q->x)) <= tolerance
                    && std::abs(double(p->y - q->y)) <= tolerance;
                ta = p->vertex;
                tb = q->vertex;
            }
        }
        std::int32_t va = -1;
        std::int32_t vb = -1;
        SCOPED_TRACE(round);
        ASSERT_EQ(TouchSearch(treeA, treeB, tolerance).find(va, vb), touch);
        if (touch) {
            EXPECT_EQ(va, ta);
            EXPECT_EQ(vb, tb);
        }
        for (const CandidatePoint &p : a) {
            bool near = false;
            for (const CandidatePoint &q : b)
                near = near || PointDistance(TPlotPoint {p.x, p.y}, TPlotPoint {q.x, q.y}) <= tolerance;
            ASSERT_EQ(treeB.anyWithin(p.x, p.y, tolerance), near);
        }
    }
}

TEST(VertexGrid, AnswersAsTheScansOverAWholeDrawing)
{
    // 3,000 open figures of 100 points: past the first 650 or so asked,
    // the rest are answered on a few threads at once.
    std::mt19937 rng(17);
    const double tolerance = 4.0;
    std::vector<tfigura> figures(3000);
    struct Vertex
    {
        TPlotPoint p;
        int figure;
    };
    std::vector<Vertex> vertices;
    for (int f = 0; f < 3000; ++f) {
        figures[f].points = GridPoints(rng, 100, 10000, 0);
        for (const TPlotPoint &p : figures[f].points)
            vertices.push_back({p, f});
    }
    // The plain answer: every vertex pair within the tolerance in x, by a
    // sweep along x.
    std::sort(vertices.begin(), vertices.end(),
              [](const Vertex &a, const Vertex &b) { return a.p.x < b.p.x; });
    std::vector<std::set<std::int32_t>> touchers(figures.size());
    std::set<std::tuple<int, std::int32_t, std::int32_t>> near; // figure, x, y
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        for (std::size_t j = i + 1; j < vertices.size() && vertices[j].p.x - vertices[i].p.x <= tolerance;
             ++j) {
            const Vertex &a = vertices[i];
            const Vertex &b = vertices[j];
            if (a.figure == b.figure || std::abs(double(a.p.y - b.p.y)) > tolerance)
                continue;
            touchers[a.figure].insert(b.figure);
            touchers[b.figure].insert(a.figure);
            if (PointDistance(a.p, b.p) <= tolerance) {
                near.insert({a.figure, a.p.x, a.p.y});
                near.insert({b.figure, b.p.x, b.p.y});
            }
        }
    }
    VertexGrid grid(figures, tolerance);
    for (int f = 0; f < 3000; ++f) {
        const auto &points = figures[f].points;
        const auto isNear = [&](TPlotPoint p) { return near.count({f, p.x, p.y}) > 0; };
        const bool first = isNear(points.front());
        const bool last = isNear(points.back());
        bool inner = false;
        for (std::size_t v = 1; v + 1 < points.size(); ++v)
            inner = inner || isNear(points[v]);
        const std::uint8_t ends = (first ? VertexGrid::FirstNear : 0) | (last ? VertexGrid::LastNear : 0)
            | (!first && !last && inner ? VertexGrid::InnerNear : 0);
        SCOPED_TRACE(f);
        ASSERT_EQ(grid.nearEnds(f), ends);
    }
    for (int f = 0; f < 3000; ++f) {
        SCOPED_TRACE(f);
        const auto found = grid.touchers(f);
        ASSERT_EQ(std::vector<std::int32_t>(found.begin(), found.end()),
                  std::vector<std::int32_t>(touchers[f].begin(), touchers[f].end()));
    }
}

TEST(VertexGrid, AnswersTouchersOfACrowdedDrawingAndBetweenWholeUnits)
{
    // 1,500 figures of 60 points, most answered all at once: once with every
    // figure through one spot, so that they all touch one another (far more
    // vertex pairs than vertices), once without; the tolerance lies between
    // whole units.
    const double tolerance = 3.5;
    for (const bool crowded : {true, false}) {
        std::mt19937 rng(crowded ? 5 : 6);
        std::vector<tfigura> figures(1500);
        for (tfigura &f : figures) {
            f.points = GridPoints(rng, 60, 4000, 0);
            if (crowded)
                f.points[0] = {2000 + Uniform(rng, 0, 3), 2000 - Uniform(rng, 0, 3)};
        }
        const auto plain = PlainTouchers(figures, tolerance);
        VertexGrid grid(figures, tolerance);
        for (int f = 0; f < 1500; ++f) {
            SCOPED_TRACE(f);
            const auto found = grid.touchers(f);
            ASSERT_EQ(std::vector<std::int32_t>(found.begin(), found.end()),
                      plain[static_cast<std::size_t>(f)]);
        }
    }
}

} // namespace

TEST(CellDivider, DividesAsIntegersDo)
{
    std::mt19937 rng(17);
    std::uniform_int_distribution<std::int64_t> side(1, std::int64_t(1) << 33);
    std::uniform_int_distribution<std::int64_t> offset(0, std::int64_t(1) << 52);
    for (int k = 0; k < 200000; ++k) {
        const std::int64_t s = k % 2 == 0 ? side(rng) % 4096 + 1 : side(rng);
        const CellDivider divide(s);
        // Offsets at, just below and just above multiples of the side, and anywhere.
        const std::int64_t q = offset(rng) / s;
        for (const std::int64_t d : {q * s, q * s - 1, q * s + 1, q * s + s - 1, offset(rng) >> (k % 40)}) {
            if (d >= 0) {
                ASSERT_EQ(divide(d), d / s) << d << " / " << s;
            }
        }
    }
}

// Many short rounds one after another, as a run's searches come: every share
// runs once a round and its work is seen when the round returns; a share that
// throws is thrown to the caller, and the next round runs as before.
TEST(HelperGang, RunsEachShareOnceARound)
{
    HelperGang gang(3);
    ASSERT_GE(gang.size(), 1U);
    std::vector<int> runs(gang.size(), 0);
    for (int round = 0; round < 500; ++round)
        gang.run([&](std::size_t t) { ++runs[t]; });
    for (std::size_t t = 0; t < runs.size(); ++t)
        EXPECT_EQ(runs[t], 500) << "share " << t;
    const std::size_t last = gang.size() - 1;
    EXPECT_THROW(gang.run([&](std::size_t t) {
        if (t == last)
            throw std::runtime_error("share failed");
    }),
                 std::runtime_error);
    gang.run([&](std::size_t t) { ++runs[t]; });
    EXPECT_EQ(runs[last], 501);
}

// More items than one thread weighs, with a few heavy ones: each item is
// weighed once and worked on in exactly one chunk, by weight and by count.
TEST(ParallelChunks, WeighAndWorkOnEveryItemOnce)
{
    constexpr std::size_t Count = 100003;
    std::vector<std::atomic<int>> weighed(Count);
    std::vector<std::atomic<int>> worked(Count);
    const auto work = [&](std::size_t begin, std::size_t end) {
        for (std::size_t k = begin; k < end; ++k)
            ++worked[k];
    };
    ParallelChunksByWeight(
        Count,
        [&](std::size_t k) {
            ++weighed[k];
            return k % 1000 == 0 ? std::size_t {5000} : std::size_t {1};
        },
        4096, work);
    ParallelChunks(Count, 1000, work);
    for (std::size_t k = 0; k < Count; ++k) {
        ASSERT_EQ(weighed[k], 1) << k;
        ASSERT_EQ(worked[k], 2) << k;
    }
}

// Readying memory for a writer keeps what it already holds.
TEST(ParallelChunks, PreparedRoomKeepsWhatItHolds)
{
    std::vector<std::uint32_t> held(std::size_t(1) << 22);
    for (std::size_t k = 0; k < held.size(); ++k)
        held[k] = static_cast<std::uint32_t>(k * 2654435761U);
    PrepareRoom(held.data(), held.data() + held.size());
    for (std::size_t k = 0; k < held.size(); ++k)
        ASSERT_EQ(held[k], static_cast<std::uint32_t>(k * 2654435761U)) << k;
}

namespace {

// A ranking key as the planner's: 12 bytes with room left at its end.
struct RankingKey
{
    std::int64_t score = 0;
    std::int32_t a = 0;
    friend bool operator<(const RankingKey &l, const RankingKey &r)
    {
        return std::tie(l.score, l.a) < std::tie(r.score, r.a);
    }
};

} // namespace

// The ranking of joined figures: keys that change in place, ties broken by
// item. The key leaves room at its end, where the heap keeps the item: a key
// written over in place must not reach it.
TEST(IndexedHeap, KeepsTheLeastKeyAndItemThroughChanges)
{
    constexpr int Items = 500;
    IndexedHeap<RankingKey> heap(Items);
    std::set<std::tuple<std::int64_t, std::int32_t, int>> ordered; // (score, a, item)
    std::vector<RankingKey> keyOf(Items);
    std::vector<bool> in(Items, false);
    std::mt19937 random(7);
    for (int step = 0; step < 20000; ++step) {
        const int item = static_cast<int>(random() % Items);
        if (in[static_cast<std::size_t>(item)]) {
            const RankingKey &old = keyOf[static_cast<std::size_t>(item)];
            ordered.erase({old.score, old.a, item});
        }
        if (random() % 4 == 0) {
            heap.remove(item);
            in[static_cast<std::size_t>(item)] = false;
        } else {
            // Few distinct scores: many ties on the score, and some on the whole key.
            const RankingKey key {static_cast<std::int64_t>(random() % 8) - 4,
                                  static_cast<std::int32_t>(random() % 3)};
            heap.set(item, key);
            keyOf[static_cast<std::size_t>(item)] = key;
            in[static_cast<std::size_t>(item)] = true;
            ordered.insert({key.score, key.a, item});
        }
        ASSERT_EQ(heap.top(), ordered.empty() ? -1 : std::get<2>(*ordered.begin())) << "step " << step;
        ASSERT_EQ(heap.contains(item), in[static_cast<std::size_t>(item)]);
        if (heap.contains(item)) {
            ASSERT_EQ(heap.key(item).score, keyOf[static_cast<std::size_t>(item)].score);
            ASSERT_EQ(heap.key(item).a, keyOf[static_cast<std::size_t>(item)].a);
        }
    }
}
