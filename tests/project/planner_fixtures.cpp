#include "planner_fixtures.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace fixtures {

void Prepare(tfigura &f, double tolerance)
{
    if (f.points.empty()) {
        f.valid = false;
        return;
    }
    std::int32_t lowX = 2147483647, lowY = 2147483647, highX = -2147483647, highY = -2147483647;
    std::array<std::int32_t, 4> extremes {0, 0, 0, 0};
    for (std::size_t k = 0; k < f.points.size(); ++k) {
        const TPlotPoint p = f.points[k];
        if (p.x < lowX) {
            lowX = p.x;
            extremes[0] = static_cast<std::int32_t>(k);
        }
        if (p.x > highX) {
            highX = p.x;
            extremes[1] = static_cast<std::int32_t>(k);
        }
        if (p.y < lowY) {
            lowY = p.y;
            extremes[2] = static_cast<std::int32_t>(k);
        }
        if (p.y > highY) {
            highY = p.y;
            extremes[3] = static_cast<std::int32_t>(k);
        }
    }
    f.minX = lowX;
    f.minY = lowY;
    f.maxX = highX;
    f.maxY = highY;
    f.width = highX - lowX;
    f.height = highY - lowY;
    f.centreX = (lowX + highX) / 2;
    f.centreY = (lowY + highY) / 2;
    f.extremeVertices = extremes;
    f.valid = true;
    f.depth = 0;
    const TPlotPoint first = f.points.front();
    const TPlotPoint last = f.points.back();
    const bool near
        = std::abs(double(first.x - last.x)) < tolerance && std::abs(double(first.y - last.y)) < tolerance;
    f.open = f.points.size() <= 2 || !near;
    f.closed = !f.open;
    f.drawingFigure = true;
    f.cut = true;
    f.pending = true;
}

tfigura Polyline(const std::vector<TPlotPoint> &points, double tolerance)
{
    tfigura f;
    f.points = points;
    Prepare(f, tolerance);
    return f;
}

tfigura Square(std::int32_t x, std::int32_t y, std::int32_t size)
{
    return Polyline({{x, y}, {x + size, y}, {x + size, y + size}, {x, y + size}, {x, y}});
}

tfigura Circle(std::int32_t cx, std::int32_t cy, std::int32_t radius, int sides)
{
    std::vector<TPlotPoint> points;
    for (int k = 0; k <= sides; ++k) {
        const double t = 2 * 3.14159265358979323846 * (k % sides) / sides;
        points.push_back({cx + static_cast<std::int32_t>(std::nearbyint(radius * std::cos(t))),
                          cy + static_cast<std::int32_t>(std::nearbyint(radius * std::sin(t)))});
    }
    return Polyline(points);
}

void Project::bounds()
{
    state.pp = {2147483647, 2147483647};
    state.pk = {-2147483647, -2147483647};
    for (const tfigura &f : figures) {
        state.pp = {std::min(state.pp.x, f.minX), std::min(state.pp.y, f.minY)};
        state.pk = {std::max(state.pk.x, f.maxX), std::max(state.pk.y, f.maxY)};
    }
    state.crossMax = state.pk;
}

namespace {

int Uniform(std::mt19937 &rng, int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(rng);
}

// A closed blob: a polygon of 4 to 14 corners around a centre, some smooth
// (many points) to exercise the sampled and evenly marked vertices.
tfigura Blob(std::mt19937 &rng, std::int32_t cx, std::int32_t cy, std::int32_t radius)
{
    const int sides = Uniform(rng, 0, 4) == 0 ? Uniform(rng, 20, 60) : Uniform(rng, 3, 12);
    std::vector<TPlotPoint> points;
    for (int k = 0; k < sides; ++k) {
        const double t = 2 * 3.14159265358979323846 * k / sides;
        const double r = radius * (0.7 + 0.3 * Uniform(rng, 0, 100) / 100.0);
        points.push_back({cx + static_cast<std::int32_t>(std::nearbyint(r * std::cos(t))),
                          cy + static_cast<std::int32_t>(std::nearbyint(r * std::sin(t)))});
    }
    points.push_back(points.front());
    return Polyline(points);
}

} // namespace

Project NestedSquares(std::mt19937 &rng, int count)
{
    Project p;
    while (static_cast<int>(p.figures.size()) < count) {
        const int x = Uniform(rng, 0, 40) * 100;
        const int y = Uniform(rng, 0, 40) * 100;
        const int nest = std::min(Uniform(rng, 1, 4), count - static_cast<int>(p.figures.size()));
        for (int k = 0; k < nest; ++k)
            p.add(Square(x + 10 * k, y + 10 * k, 300 - 20 * k));
    }
    if (Uniform(rng, 0, 2) == 0) {
        // A frame around everything.
        p.add(Square(-50, -50, 4500));
    }
    std::shuffle(p.figures.begin(), p.figures.end(), rng);
    p.bounds();
    return p;
}

Project TextClusters(std::mt19937 &rng, int count)
{
    Project p;
    const int perRow = Uniform(rng, 3, 12);
    int n = 0;
    while (n < count) {
        const int row = n / perRow;
        const int column = n % perRow;
        const int cx = column * 120 + Uniform(rng, -10, 10);
        const int cy = row * 200 + Uniform(rng, -10, 10);
        p.add(Blob(rng, cx, cy, 50));
        ++n;
        if (n < count && Uniform(rng, 0, 2) == 0) {
            p.add(Blob(rng, cx + Uniform(rng, -3, 3), cy + Uniform(rng, -3, 3), 18));
            ++n;
        }
    }
    p.bounds();
    return p;
}

Project StrokesOnOutlines(std::mt19937 &rng, int count)
{
    Project p;
    int n = 0;
    while (n < count) {
        const int cx = Uniform(rng, 0, 30) * 60;
        const int cy = Uniform(rng, 0, 30) * 60;
        tfigura outline = Blob(rng, cx, cy, 40);
        const TPlotPoint on
            = outline.points[static_cast<std::size_t>(Uniform(rng, 0, int(outline.points.size()) - 1))];
        p.add(std::move(outline));
        ++n;
        if (n < count) {
            // A stroke starting (or ending) within the tolerance of the outline.
            std::vector<TPlotPoint> stroke {{on.x + Uniform(rng, -3, 3), on.y + Uniform(rng, -3, 3)}};
            const int len = Uniform(rng, 1, 5);
            for (int k = 0; k < len; ++k)
                stroke.push_back(
                    {stroke.back().x + Uniform(rng, -60, 60), stroke.back().y + Uniform(rng, -60, 60)});
            if (Uniform(rng, 0, 1) == 0)
                std::reverse(stroke.begin(), stroke.end());
            p.add(Polyline(stroke));
            ++n;
        }
        if (n < count && Uniform(rng, 0, 3) == 0) {
            p.add(Polyline({{cx - 200, cy + 300}, {cx - 150, cy + 340}}));
            ++n;
        }
    }
    std::shuffle(p.figures.begin(), p.figures.end(), rng);
    p.bounds();
    return p;
}

Project Mixed(std::mt19937 &rng, int count)
{
    const int part = std::max(1, count / 3);
    Project a = NestedSquares(rng, part);
    Project b = TextClusters(rng, part);
    Project c = StrokesOnOutlines(rng, std::max(1, count - 2 * part));
    Project p;
    for (Project *q : {&a, &b, &c}) {
        for (tfigura &f : q->figures)
            p.add(std::move(f));
    }
    // Odd figures the planner meets too: dots, cross points, and connecting
    // lines a generator added (not drawing figures, one of them closed).
    for (tfigura &f : p.figures) {
        switch (Uniform(rng, 0, 24)) {
        case 0:
            f = Polyline({f.points.front()});
            break;
        case 1:
            f = Polyline({f.points.front(), f.points.front()});
            f.crossPoint = true;
            break;
        case 2:
            if (!f.closed)
                f.drawingFigure = false;
            break;
        case 3:
            if (f.points.size() == 2) {
                f.drawingFigure = false;
                f.closed = true;
                f.open = false;
            }
            break;
        default:
            break;
        }
    }
    p.bounds();
    return p;
}

namespace {

// Point counts between 500 and 20,000, spread evenly on a log scale, that
// leave at least 500 for each figure still to come.
std::vector<int> PointCounts(std::mt19937 &rng, int figures, int totalPoints)
{
    std::vector<int> counts;
    int left = totalPoints;
    for (int k = 0; k < figures; ++k) {
        const int room = std::clamp(left - 500 * (figures - k - 1), 500, 20000);
        const int n = static_cast<int>(500 * std::pow(40.0, Uniform(rng, 0, 1000) / 1000.0));
        counts.push_back(std::min(n, room));
        left -= counts.back();
    }
    std::shuffle(counts.begin(), counts.end(), rng);
    return counts;
}

// A closed ring of n points (the last repeats the first) around (cx, cy),
// its radius scaled per vertex by 1 + jitter x (a random value in -0.5..0.5).
tfigura Ring(std::mt19937 &rng, std::int32_t cx, std::int32_t cy, double radius, int n, double jitter)
{
    std::vector<TPlotPoint> points;
    const double phase = Uniform(rng, 0, 1000) / 159.0;
    for (int k = 0; k + 1 < n; ++k) {
        const double t = phase + 2 * 3.14159265358979323846 * k / (n - 1);
        const double r = radius * (1 + jitter * (Uniform(rng, 0, 1000) / 1000.0 - 0.5));
        points.push_back({cx + static_cast<std::int32_t>(std::nearbyint(r * std::cos(t))),
                          cy + static_cast<std::int32_t>(std::nearbyint(r * 0.8 * std::sin(t)))});
    }
    points.push_back(points.front());
    return Polyline(points);
}

} // namespace

Project ManyPointRings(std::mt19937 &rng, int figures, int totalPoints)
{
    Project p;
    const std::vector<int> counts = PointCounts(rng, figures, totalPoints);
    const int columns = Uniform(rng, 1, 6);
    std::int32_t x = 0;
    std::int32_t rowTop = 0;
    std::int32_t rowHeight = 0;
    for (std::size_t k = 0; k < counts.size(); ++k) {
        const int n = counts[k];
        // Staircase rings have their points under a unit apart, so rounding
        // makes nearly every vertex a corner; smooth ones a few units apart.
        const bool staircase = Uniform(rng, 0, 2) == 0;
        const double radius = n * (staircase ? 0.11 : Uniform(rng, 2, 6) / 2.0);
        const auto r = static_cast<std::int32_t>(radius);
        if (k % static_cast<std::size_t>(columns) == 0) {
            x = 0;
            rowTop += rowHeight;
            rowHeight = 0;
        }
        // Now and then a ring touches the one before it.
        const std::int32_t gap = Uniform(rng, 0, 4) == 0 ? 0 : Uniform(rng, 20, 400);
        const std::int32_t cx = x + gap + r;
        const std::int32_t cy = rowTop + r;
        p.add(Ring(rng, cx, cy, radius, n, 0.0));
        if (gap == 0 && k > 0 && k % static_cast<std::size_t>(columns) != 0) {
            // Move it onto the left neighbour's rightmost vertex.
            const tfigura &left = p.figures[p.figures.size() - 2];
            tfigura &ring = p.figures.back();
            const TPlotPoint from = ring.points[static_cast<std::size_t>(ring.extremeVertices[0])];
            const TPlotPoint to = left.points[static_cast<std::size_t>(left.extremeVertices[1])];
            for (TPlotPoint &q : ring.points)
                q = {q.x + to.x - from.x, q.y + to.y - from.y};
            Prepare(ring);
        }
        x = p.figures.back().maxX;
        if (Uniform(rng, 0, 3) == 0 && n >= 1000)
            p.add(Ring(rng, cx, cy, radius / 2, n / 2, staircase ? 0.0 : 0.02));
        rowHeight = std::max(rowHeight, 2 * r + 50);
    }
    if (Uniform(rng, 0, 2) == 0) {
        p.bounds();
        p.add(Square(p.state.pp.x - 100, p.state.pp.y - 100,
                     std::max(p.state.pk.x - p.state.pp.x, p.state.pk.y - p.state.pp.y) + 200));
    }
    std::shuffle(p.figures.begin(), p.figures.end(), rng);
    p.bounds();
    return p;
}

Project JitteredOutlines(std::mt19937 &rng, int figures, int totalPoints)
{
    Project p;
    const std::vector<int> counts = PointCounts(rng, figures, totalPoints);
    std::int32_t x = 0;
    for (int n : counts) {
        const double radius = n * Uniform(rng, 1, 8) / 4.0;
        const double jitter = Uniform(rng, 2, 30) / 100.0;
        const auto r = static_cast<std::int32_t>(radius);
        const std::int32_t cx = x + r;
        const std::int32_t cy = Uniform(rng, -r / 2, r / 2);
        p.add(Ring(rng, cx, cy, radius, n, jitter));
        // A hole well inside.
        if (Uniform(rng, 0, 2) == 0)
            p.add(Ring(rng, cx, cy, radius / 3, std::max(20, n / 4), jitter));
        x = cx + r * (Uniform(rng, 0, 3) == 0 ? 1 : 2) + Uniform(rng, 10, 200);
    }
    std::shuffle(p.figures.begin(), p.figures.end(), rng);
    p.bounds();
    return p;
}

Project CrossingOpenPaths(std::mt19937 &rng, int figures, int totalPoints)
{
    Project p;
    const std::vector<int> counts = PointCounts(rng, figures, totalPoints);
    const int step = Uniform(rng, 5, 40);
    const int area = static_cast<int>(step * std::sqrt(static_cast<double>(totalPoints)) * 2);
    for (int n : counts) {
        std::vector<TPlotPoint> line;
        std::int32_t x = Uniform(rng, 0, area);
        std::int32_t y = Uniform(rng, 0, area);
        // Some paths start on a vertex of a path already drawn.
        if (!p.figures.empty() && Uniform(rng, 0, 3) == 0) {
            const tfigura &other
                = p.figures[static_cast<std::size_t>(Uniform(rng, 0, int(p.figures.size()) - 1))];
            const TPlotPoint on
                = other.points[static_cast<std::size_t>(Uniform(rng, 0, int(other.points.size()) - 1))];
            x = on.x + Uniform(rng, -3, 3);
            y = on.y + Uniform(rng, -3, 3);
        }
        for (int v = 0; v < n; ++v) {
            line.push_back({x, y});
            x += Uniform(rng, -step, step);
            y += Uniform(rng, -step, step);
        }
        if (Uniform(rng, 0, 1) == 0)
            std::reverse(line.begin(), line.end());
        p.add(Polyline(line));
    }
    p.bounds();
    return p;
}

std::string Difference(const Project &e, const Project &a)
{
    std::ostringstream out;
    if (e.figures.size() != a.figures.size()) {
        out << "figure count " << e.figures.size() << " vs " << a.figures.size();
        return out.str();
    }
    for (std::size_t k = 0; k < e.figures.size(); ++k) {
        const tfigura &x = e.figures[k];
        const tfigura &y = a.figures[k];
        const auto field = [&](const char *name, auto u, auto v) {
            if (out.tellp() == 0 && u != v)
                out << "figure " << k << " " << name << ": " << +u << " vs " << +v;
        };
        field("parent", x.parent, y.parent);
        field("vertexOnParent", x.vertexOnParent, y.vertexOnParent);
        field("entryVertex", x.entryVertex, y.entryVertex);
        field("pending", x.pending, y.pending);
        field("container", x.container, y.container);
        field("depth", x.depth, y.depth);
        field("childCount", x.childCount, y.childCount);
        field("generatedKind", x.generatedKind, y.generatedKind);
        field("connectorLength", x.connectorLength, y.connectorLength);
        field("touchMark", x.touchMark, y.touchMark);
        if (out.tellp() == 0 && x.points != y.points)
            out << "figure " << k << " points differ";
        if (out.tellp() == 0 && x.neighbourSlots != y.neighbourSlots)
            out << "figure " << k << " neighbour slots differ";
        for (std::size_t v = 0; out.tellp() == 0 && v < x.vertexInfo.size() && v < y.vertexInfo.size(); ++v) {
            if (x.vertexInfo[v].weight != y.vertexInfo[v].weight
                || x.vertexInfo[v].candidate != y.vertexInfo[v].candidate)
                out << "figure " << k << " vertex record " << v << " differs";
        }
        if (out.tellp() != 0)
            return out.str();
    }
    const auto field = [&](const char *name, auto u, auto v) {
        if (out.tellp() == 0 && u != v)
            out << name << ": " << u << " vs " << v;
    };
    field("root", e.state.rootFigure, a.state.rootFigure);
    field("maxDepth", e.state.maxDepth, a.state.maxDepth);
    field("frame", e.state.framePresent, a.state.framePresent);
    field("planned", e.state.planned, a.state.planned);
    field("pathLength", e.state.pathLength, a.state.pathLength);
    field("startToLeft", e.state.startToLeft, a.state.startToLeft);
    field("startToRight", e.state.startToRight, a.state.startToRight);
    field("startToTop", e.state.startToTop, a.state.startToTop);
    field("startToBottom", e.state.startToBottom, a.state.startToBottom);
    return out.str();
}

} // namespace fixtures
