#include "loadsupport.h"
#include "project/figurecollector.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

namespace {

using Points = std::vector<TPlotPoint>;

// Random drawings that exercise the joining rules: outlines cut into pieces
// (some reversed, ends moved within the tolerance, shuffled), strokes on a
// coarse grid so several ends meet at one point (ties), closed figures,
// duplicates and reversed duplicates, and crossing two-point lines.
class DrawingGenerator
{
public:
    explicit DrawingGenerator(unsigned seed)
        : m_rng(seed)
    { }

    double PickTolerance()
    {
        const double choices[] = {0.5, 1.0, 4.0, 10.0, 10.0, 10.0, 25.5};
        return choices[Uniform(0, 6)];
    }

    std::vector<tfigura> Drawing(double tolerance)
    {
        // Ends scattered around a few hubs, up to almost the tolerance away:
        // two of them may miss each other while both meet a third, so which
        // figure a join takes depends on list order and passes.
        m_hubs.clear();
        m_reach = std::max(0, int(std::ceil(tolerance)) - 1);
        const int hubs = Uniform(0, 3);
        for (int i = 0; i < hubs; ++i)
            m_hubs.push_back(GridPoint());
        std::vector<tfigura> figures;
        const int outlines = Uniform(0, 4);
        for (int i = 0; i < outlines; ++i)
            AddOutlinePieces(figures, tolerance);
        const int strokes = Uniform(0, 16);
        for (int i = 0; i < strokes; ++i)
            figures.push_back(ReaderFigure(Stroke(Uniform(2, 4))));
        const int closed = Uniform(0, 3);
        for (int i = 0; i < closed; ++i) {
            Points p = Stroke(Uniform(2, 5));
            p.push_back(p.front());
            figures.push_back(ReaderFigure(p));
        }
        const int lines = Uniform(0, 6);
        for (int i = 0; i < lines; ++i)
            figures.push_back(ReaderFigure({GridPoint(), GridPoint()}));
        // Pairs of lines crossing at a hub: with cross-to-point cutting they
        // leave a point among the ends there, which later joins can reach.
        for (const TPlotPoint &hub : m_hubs) {
            for (int pair = Uniform(0, 2); pair > 0; --pair) {
                const TPlotPoint at = StrokePoint(hub);
                const int a = Uniform(5, 60), b = Uniform(5, 60), c = Uniform(5, 60), d = Uniform(5, 60);
                figures.push_back(ReaderFigure({{at.x - a, at.y - b}, {at.x + a, at.y + b}}));
                figures.push_back(ReaderFigure({{at.x - c, at.y + d}, {at.x + c, at.y - d}}));
            }
        }
        std::shuffle(figures.begin(), figures.end(), m_rng);
        const int copies = figures.empty() ? 0 : Uniform(0, 4);
        for (int i = 0; i < copies; ++i) {
            tfigura copy = figures[Uniform(0, int(figures.size()) - 1)];
            if (Uniform(0, 1))
                std::reverse(copy.points.begin(), copy.points.end());
            figures.insert(figures.begin() + Uniform(0, int(figures.size())), copy);
        }
        return figures;
    }

private:
    int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_rng); }

    // A coarse grid, so that ends coincide often.
    TPlotPoint GridPoint() { return {Uniform(-4, 4) * 50, Uniform(-4, 4) * 50}; }

    TPlotPoint StrokePoint()
    {
        if (m_hubs.empty() || Uniform(0, 2) == 0)
            return GridPoint();
        return StrokePoint(m_hubs[Uniform(0, int(m_hubs.size()) - 1)]);
    }

    TPlotPoint StrokePoint(const TPlotPoint &hub)
    {
        return {hub.x + Uniform(-m_reach, m_reach), hub.y + Uniform(-m_reach, m_reach)};
    }

    Points Stroke(int n)
    {
        Points p;
        for (int i = 0; i < n; ++i)
            p.push_back(StrokePoint());
        return p;
    }

    void AddOutlinePieces(std::vector<tfigura> &figures, double tolerance)
    {
        const int corners = Uniform(3, 9);
        Points ring;
        for (int i = 0; i < corners; ++i)
            ring.push_back({Uniform(-300, 300), Uniform(-300, 300)});
        ring.push_back(ring.front());
        // Cut at random corners into 1..corners pieces.
        std::vector<int> cuts {0, corners};
        const int extra = Uniform(0, corners - 1);
        for (int i = 0; i < extra; ++i)
            cuts.push_back(Uniform(1, corners - 1));
        std::sort(cuts.begin(), cuts.end());
        cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
        const int slack = std::max(0, int(std::ceil(tolerance)) - 1);
        for (std::size_t c = 0; c + 1 < cuts.size(); ++c) {
            Points piece(ring.begin() + cuts[c], ring.begin() + cuts[c + 1] + 1);
            if (Uniform(0, 2) == 0) {
                piece.front().x += Uniform(-slack, slack);
                piece.back().y += Uniform(-slack, slack);
            }
            if (Uniform(0, 1))
                std::reverse(piece.begin(), piece.end());
            figures.push_back(ReaderFigure(piece));
        }
    }

    std::mt19937 m_rng;
    std::vector<TPlotPoint> m_hubs;
    int m_reach = 0;
};

void ExpectSameFigures(const std::vector<tfigura> &expected, const std::vector<tfigura> &actual)
{
    ASSERT_EQ(expected.size(), actual.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "figure " << i);
        const tfigura &e = expected[i];
        const tfigura &a = actual[i];
        ASSERT_EQ(e.points, a.points);
        EXPECT_EQ(e.pen, a.pen);
        EXPECT_EQ(e.open, a.open);
        EXPECT_EQ(e.closed, a.closed);
        EXPECT_EQ(e.crossPoint, a.crossPoint);
        EXPECT_EQ(e.minX, a.minX);
        EXPECT_EQ(e.maxY, a.maxY);
        EXPECT_EQ(e.centreX, a.centreX);
        EXPECT_EQ(e.extremeVertices, a.extremeVertices);
    }
}

std::vector<tfigura> Indexed(const std::vector<tfigura> &incoming, double tolerance, bool cross)
{
    TFigureCollector collector(tolerance, cross);
    for (const tfigura &f : incoming)
        collector.Add(f);
    return collector.TakeFigures();
}

} // namespace

TEST(LoadEquivalence, IndexedLoaderMatchesTheListScansOnRandomDrawings)
{
    int joinedSomewhere = 0;
    int droppedSomewhere = 0;
    for (unsigned seed = 1; seed <= 600; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        DrawingGenerator generator(seed);
        const double tolerance = generator.PickTolerance();
        const bool cross = seed % 3 == 0;
        const std::vector<tfigura> incoming = generator.Drawing(tolerance);
        const std::vector<tfigura> expected = DirectCollect(incoming, tolerance, cross);
        ExpectSameFigures(expected, Indexed(incoming, tolerance, cross));
        if (HasFatalFailure())
            return;
        std::size_t points = 0, expectedPoints = 0;
        for (const auto &f : incoming)
            points += f.points.size();
        for (const auto &f : expected)
            expectedPoints += f.points.size();
        joinedSomewhere += expectedPoints < points && expected.size() < incoming.size();
        droppedSomewhere += expected.size() < incoming.size();
    }
    // The generator must really produce joins and drops, or the comparison
    // proves nothing.
    EXPECT_GT(joinedSomewhere, 200);
    EXPECT_GT(droppedSomewhere, 300);
}

TEST(LoadEquivalence, ManyPiecesMeetingAtOnePoint)
{
    // A star of strokes whose inner ends lie up to 9 units from the origin
    // (tolerance 10): many miss each other but meet a third.
    for (unsigned seed = 1; seed <= 100; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        std::mt19937 rng(seed);
        std::vector<tfigura> incoming;
        for (int i = 0; i < 20; ++i) {
            const TPlotPoint far {int(rng() % 200) - 100, int(rng() % 200) - 100};
            const TPlotPoint centre {int(rng() % 19) - 9, int(rng() % 19) - 9};
            incoming.push_back(ReaderFigure(rng() % 2 ? Points {centre, far} : Points {far, centre}));
        }
        ExpectSameFigures(DirectCollect(incoming, 10.0, false), Indexed(incoming, 10.0, false));
        if (HasFatalFailure())
            return;
    }
}

TEST(LoadEquivalence, CrossPointsAmongEndsJoinInLaterPasses)
{
    // Cross points are made after joining, so they may lie next to ends that
    // are already in the project: only there do joins happen in second and
    // later passes, and list order decides between several candidates.
    int differsFromOnePass = 0;
    for (unsigned seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        std::mt19937 rng(seed);
        const auto near = [&] { return int(rng() % 19) - 9; };
        std::vector<tfigura> incoming;
        for (int i = 0; i < 12; ++i) {
            if (rng() % 2) {
                const TPlotPoint at {near(), near()};
                const int a = 20 + int(rng() % 40), b = 20 + int(rng() % 40);
                incoming.push_back(ReaderFigure({{at.x - a, at.y - b}, {at.x + a, at.y + b}}));
                incoming.push_back(ReaderFigure({{at.x - b, at.y + a}, {at.x + b, at.y - a}}));
            } else {
                const TPlotPoint end {near(), near()};
                const TPlotPoint far {int(rng() % 400) - 200, int(rng() % 400) - 200};
                incoming.push_back(ReaderFigure(rng() % 2 ? Points {end, far, {far.x, far.y + 7}}
                                                          : Points {{far.x, far.y + 7}, far, end}));
            }
        }
        const auto expected = DirectCollect(incoming, 10.0, true);
        ExpectSameFigures(expected, Indexed(incoming, 10.0, true));
        if (HasFatalFailure())
            return;
        differsFromOnePass += expected.size() != DirectCollect(incoming, 10.0, false).size();
    }
    EXPECT_GT(differsFromOnePass, 50);
}

TEST(LoadEquivalence, ThousandsOfShuffledPiecesOfOutlines)
{
    // Enough pieces for the index to grow and drop removed entries many times.
    std::mt19937 rng(11);
    std::vector<tfigura> incoming;
    for (int outline = 0; outline < 300; ++outline) {
        const int cx = (outline % 20) * 900, cy = (outline / 20) * 900;
        Points ring;
        for (int k = 0; k < 12; ++k)
            ring.push_back({cx + int(rng() % 700), cy + int(rng() % 700)});
        ring.push_back(ring.front());
        for (int p = 0; p < 12; p += 2) {
            Points piece(ring.begin() + p, ring.begin() + p + 3);
            piece.front().x += int(rng() % 9) - 4; // within the tolerance of 10
            if (rng() % 2)
                std::reverse(piece.begin(), piece.end());
            incoming.push_back(ReaderFigure(piece));
        }
    }
    std::shuffle(incoming.begin(), incoming.end(), rng);
    const auto expected = DirectCollect(incoming, 10.0, false);
    EXPECT_LT(expected.size(), incoming.size() / 3);
    ExpectSameFigures(expected, Indexed(incoming, 10.0, false));
}

TEST(LoadEquivalence, CrossingLinesShortAndLongOverAWideDrawing)
{
    // Short crosses all over, lines reaching over many columns of the line
    // index, and lines across the zero column.
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        std::mt19937 rng(seed);
        const auto coordinate = [&](int range) { return int(rng() % (2 * range + 1)) - range; };
        std::vector<tfigura> incoming;
        for (int i = 0; i < 150; ++i) {
            const TPlotPoint at {coordinate(200000), coordinate(3000)};
            switch (rng() % 4) {
            case 0: // a long line
                incoming.push_back(ReaderFigure(
                    {{coordinate(300000), coordinate(3000)}, {coordinate(300000), coordinate(3000)}}));
                break;
            case 1: // a vertical line
                incoming.push_back(ReaderFigure({at, {at.x, at.y + coordinate(2000)}}));
                break;
            default: { // a small cross
                const int a = 50 + int(rng() % 1500), b = 50 + int(rng() % 1500);
                incoming.push_back(ReaderFigure({{at.x - a, at.y - b}, {at.x + a, at.y + b}}));
                incoming.push_back(ReaderFigure({{at.x - b, at.y + a}, {at.x + b, at.y - a}}));
                break;
            }
            }
        }
        std::shuffle(incoming.begin(), incoming.end(), rng);
        const auto expected = DirectCollect(incoming, 10.0, true);
        ExpectSameFigures(expected, Indexed(incoming, 10.0, true));
        if (HasFatalFailure())
            return;
    }
}
