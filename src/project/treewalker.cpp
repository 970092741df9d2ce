#include "project/treewalker.h"

#include <algorithm>
#include <cmath>
#include <utility>

const std::vector<TPlotPoint> &WalkedPoints(const tfigura &figure, bool pairedProfiles)
{
    if (pairedProfiles && !figure.secondPoints.empty())
        return figure.secondPoints;
    return figure.points;
}

namespace {

// The walk is iterative: chains of touching figures and connectors can nest
// many thousands of figures deep.
class TreeWalk
{
public:
    TreeWalk(std::vector<tfigura> &figures, const TreeWalkOptions &options, CuttingTreeSink &sink)
        : m_figures(figures)
        , m_options(options)
        , m_sink(sink)
        , m_children(figures.size())
        , m_entered(figures.size(), false)
    {
        // Children of every figure, ordered by their vertex on it and then
        // by list order, so the children at one vertex are one range.
        const auto count = static_cast<std::int32_t>(figures.size());
        for (std::int32_t i = 0; i < count; ++i) {
            const std::int32_t parent = figures[i].parent;
            if (parent >= 0 && parent < count && parent != i)
                m_children[parent].push_back(i);
        }
        for (std::int32_t i = 0; i < count; ++i)
            sortChildren(i);
    }

    bool run();

private:
    enum class Stage { Top, Children, After, Legs };

    struct Frame
    {
        std::int32_t figure = -1;
        std::int32_t n = 0; // index of the last point
        std::int32_t e = 0; // current vertex
        int direction = 1;
        std::int32_t k = 0;
        std::int32_t last = 0;
        Stage stage = Stage::Top;
        std::size_t childPos = 0;
        std::size_t childEnd = 0;
        // An open figure entered between its ends: out to the last vertex,
        // back to the first, and on to the entry again.
        bool middle = false;
        std::int32_t entry = 0;
        int leg = 0;
        bool legChildren = false; // the children of the vertex just reached are due
    };

    const std::vector<TPlotPoint> &points(std::int32_t figure) const
    {
        return WalkedPoints(m_figures[figure], m_options.pairedProfiles);
    }
    std::vector<TPlotPoint> &walkedList(std::int32_t figure)
    {
        tfigura &fig = m_figures[figure];
        return m_options.pairedProfiles && !fig.secondPoints.empty() ? fig.secondPoints : fig.points;
    }
    void sortChildren(std::int32_t figure);
    // The children of f's figure at the vertex become f's pending range. The
    // range is stored straight into the frame: handing it back as a pair
    // went through memory at a width its two halves cannot be forwarded at.
    void setChildren(Frame &f, std::int32_t vertex) const;
    bool enter(std::int32_t figure);
    bool step();
    bool stepPart(Frame &f);
    bool stepLegs(Frame &f);
    bool stepChildless(Frame &f);
    bool advance(Frame &f);
    bool pushNextChild(Frame &f);
    void writeVertex(const Frame &f, std::int32_t vertex);
    bool edgesWritten(const Frame &f) const { return f.figure != m_options.root || m_options.cutFrame; }
    double cornerAngle(std::int32_t figure, std::int32_t vertex) const;
    void pause() { m_sink.pause(); }

    std::vector<tfigura> &m_figures;
    const TreeWalkOptions &m_options;
    CuttingTreeSink &m_sink;
    std::vector<std::vector<std::int32_t>> m_children;
    std::vector<bool> m_entered;
    std::vector<Frame> m_stack;
    bool m_pauseJustWritten = false;
};

void TreeWalk::sortChildren(std::int32_t figure)
{
    auto &children = m_children[figure];
    std::sort(children.begin(), children.end(), [this](std::int32_t a, std::int32_t b) {
        const auto va = m_figures[a].vertexOnParent;
        const auto vb = m_figures[b].vertexOnParent;
        return va != vb ? va < vb : a < b;
    });
}

void TreeWalk::setChildren(Frame &f, std::int32_t vertex) const
{
    const auto &children = m_children[f.figure];
    const auto lower
        = std::lower_bound(children.begin(), children.end(), vertex, [this](std::int32_t c, std::int32_t v) {
              return m_figures[c].vertexOnParent < v;
          });
    auto upper = lower;
    while (upper != children.end() && m_figures[*upper].vertexOnParent == vertex)
        ++upper;
    f.childPos = static_cast<std::size_t>(lower - children.begin());
    f.childEnd = static_cast<std::size_t>(upper - children.begin());
}

double TreeWalk::cornerAngle(std::int32_t figure, std::int32_t vertex) const
{
    const auto &info = m_figures[figure].vertexInfo;
    if (vertex < 0 || static_cast<std::size_t>(vertex) >= info.size())
        return 0.0;
    return std::fabs(info[vertex].angle);
}

// The first steps of a figure: its direction, the pause every figure starts
// with, and the reversal of an open figure entered at its last vertex.
bool TreeWalk::enter(std::int32_t figure)
{
    // A figure is cut once, even if broken links lead to it twice.
    if (m_entered[figure])
        return true;
    m_entered[figure] = true;
    tfigura &fig = m_figures[figure];
    const auto &pts = points(figure);
    Frame f;
    f.figure = figure;
    f.n = static_cast<std::int32_t>(pts.size()) - 1;
    f.e = std::clamp(fig.entryVertex, 0, std::max(f.n, 0));

    if (!m_options.pairedProfiles && f.n >= 2) {
        const bool atEnd = f.e == 0 || f.e == f.n;
        const std::int32_t ahead = atEnd ? pts[1].y : pts[f.e + 1].y;
        const std::int32_t behind = atEnd ? pts[f.n - 1].y : pts[f.e - 1].y;
        f.direction = ahead < behind ? -1 : 1;
    }
    pause();
    if (f.n < 0)
        return true;

    const bool longOpen = fig.open && pts.size() > 2;
    // A single open line entered at its far end is turned round as well:
    // arriving at its vertex 0 writes nothing, so walked as it lies it would
    // never be cut.
    const bool singleLine = m_options.singleOpenFigure && fig.open && pts.size() == 2;
    if (longOpen || singleLine) {
        f.direction = 1;
        if (f.e > 0 && f.e < f.n) {
            f.middle = true;
            f.entry = f.e;
            f.stage = Stage::Legs;
        } else if (f.e > 0) {
            // Entered at its last vertex: the figure is turned round so the
            // cut runs from the entry to the other end and back.
            auto &list = walkedList(figure);
            std::reverse(list.begin(), list.end());
            if (&list == &fig.points && fig.vertexInfo.size() == fig.points.size())
                std::reverse(fig.vertexInfo.begin(), fig.vertexInfo.end());
            f.e = 0;
            fig.entryVertex = 0;
            for (std::int32_t child : m_children[figure])
                m_figures[child].vertexOnParent = f.n - m_figures[child].vertexOnParent;
            sortChildren(figure);
        }
    }
    f.last = m_options.mode == 2 ? f.n - 1 : f.n;
    m_stack.push_back(f);
    return true;
}

void TreeWalk::writeVertex(const Frame &f, std::int32_t vertex)
{
    TreeStep s;
    s.figure = f.figure;
    s.vertex = vertex;
    bool corner = false;
    if (m_options.pairedProfiles) {
        if (m_figures.size() < 2)
            return;
        const auto &front = points(0);
        const auto &back = points(1);
        if (vertex < 0 || static_cast<std::size_t>(vertex) >= front.size()
            || static_cast<std::size_t>(vertex) >= back.size())
            return;
        s.front = front[vertex];
        s.back = back[vertex];
        s.paired = true;
        corner = cornerAngle(0, vertex) > TreeCornerAngle || cornerAngle(1, vertex) > TreeCornerAngle;
    } else {
        s.front = s.back = points(f.figure)[vertex];
        corner = cornerAngle(f.figure, vertex) > TreeCornerAngle;
    }
    m_sink.moveTo(s);
    if (corner)
        pause();
    m_pauseJustWritten = corner;
}

bool TreeWalk::pushNextChild(Frame &f)
{
    const std::int32_t child = m_children[f.figure][f.childPos++];
    return enter(child); // f may be gone once the child's frame is pushed
}

bool TreeWalk::stepPart(Frame &f)
{
    switch (f.stage) {
    case Stage::Top:
        if (m_children[f.figure].empty())
            return stepChildless(f);
        if (f.k > f.n) {
            m_stack.pop_back();
            return true;
        }
        if (m_sink.stopRequested())
            return false;
        setChildren(f, f.e);
        f.stage = Stage::Children;
        return true;
    case Stage::Children:
        if (m_sink.stopRequested())
            return false;
        if (f.childPos < f.childEnd)
            return pushNextChild(f);
        f.stage = Stage::After;
        return true;
    default:
        break;
    }

    // Stage::After
    if (m_sink.stopRequested())
        return false;
    if (!advance(f))
        return false;
    f.stage = Stage::Top;
    return true;
}

// A figure without children: nothing can be pushed above its frame, so its
// vertices are walked in one loop instead of three stack steps each. The sink
// is asked to stop once per vertex; its answer cannot change between the
// steps this loop joins, since no call reaches the sink in between.
bool TreeWalk::stepChildless(Frame &f)
{
    for (;;) {
        if (f.k > f.n) {
            m_stack.pop_back();
            return true;
        }
        if (m_sink.stopRequested())
            return false;
        if (!advance(f))
            return false;
    }
}

// On from the vertex whose children were cut to the next one. Serial cutting
// leaves the last edge out, but the children of the vertex before it were
// cut already.
bool TreeWalk::advance(Frame &f)
{
    if (f.k > f.last) {
        ++f.k;
        return true;
    }
    const tfigura &fig = m_figures[f.figure];
    // e stays within 0 .. n, so stepping on wraps at n without a division.
    f.e = f.direction > 0 ? (f.e >= f.n ? 0 : f.e + 1) : (f.e == 0 ? f.n : f.e - 1);
    const bool open = fig.open;
    const bool longOpen = open && points(f.figure).size() > 2;
    if (!m_options.singleOpenFigure && longOpen && f.k == f.n && m_options.mode != 2 && edgesWritten(f)) {
        // Back along the open figure to its start, the way the wire came.
        for (std::int32_t v = f.k; v >= 0; --v) {
            if (m_sink.stopRequested())
                return false;
            writeVertex(f, v);
        }
    }
    const bool skip = (m_options.singleOpenFigure && f.e == 0) || !edgesWritten(f);
    if (!skip) {
        if (open && f.e == 0 && !m_pauseJustWritten)
            pause();
        writeVertex(f, f.e);
    }
    ++f.k;
    return true;
}

// An open figure entered at a middle vertex e: e -> n, n -> 0, 0 -> e. The
// children of each vertex are cut when the wire first reaches it.
bool TreeWalk::stepLegs(Frame &f)
{
    if (m_sink.stopRequested())
        return false;
    if (f.legChildren) {
        if (f.childPos < f.childEnd)
            return pushNextChild(f);
        f.legChildren = false;
    }
    const bool finalLeg = !m_options.singleOpenFigure && m_options.mode != 2;
    auto arrive = [&](std::int32_t vertex, bool firstArrival) {
        if (edgesWritten(f))
            writeVertex(f, vertex);
        f.e = vertex;
        if (firstArrival) {
            setChildren(f, vertex);
            f.legChildren = true;
        }
    };
    switch (f.leg) {
    case 0: // at the entry
        setChildren(f, f.e);
        f.legChildren = true;
        f.leg = 1;
        return true;
    case 1: // out to the last vertex
        if (f.e < f.n) {
            arrive(f.e + 1, true);
            return true;
        }
        f.leg = 2;
        return true;
    case 2: // back to the first vertex
        if (f.e > 0) {
            arrive(f.e - 1, f.e - 1 < f.entry);
            return true;
        }
        f.leg = 3;
        return true;
    case 3: // on to the entry again
        if (finalLeg && f.e < f.entry) {
            arrive(f.e + 1, false);
            return true;
        }
        break;
    default:
        break;
    }
    m_stack.pop_back();
    return true;
}

bool TreeWalk::step()
{
    Frame &f = m_stack.back();
    return f.middle ? stepLegs(f) : stepPart(f);
}

bool TreeWalk::run()
{
    const auto count = static_cast<std::int32_t>(m_figures.size());
    const std::int32_t root = m_options.root;
    if (root < 0 || root >= count || points(root).empty())
        return false;
    const auto &pts = points(root);
    const std::int32_t entry
        = std::clamp(m_figures[root].entryVertex, 0, static_cast<std::int32_t>(pts.size()) - 1);
    m_sink.start(root, entry, pts[entry]);
    if (!enter(root))
        return false;
    while (!m_stack.empty()) {
        if (!step())
            return false;
    }
    return true;
}

} // namespace

bool WalkCuttingTree(std::vector<tfigura> &figures, const TreeWalkOptions &options, CuttingTreeSink &sink)
{
    TreeWalk walk(figures, options, sink);
    return walk.run();
}
