#include "reference_planner.h"

#include "drawing/geometry.h"
#include "project/containment.h"

#include <algorithm>
#include <cmath>

namespace reference {

namespace {

using Figures = std::vector<tfigura>;

void PropagateDepth(Figures &figures, int i, std::int32_t &maxDepth)
{
    for (int k = 0; k < static_cast<int>(figures.size()); ++k) {
        if (figures[k].container == i) {
            figures[k].depth = figures[i].depth + 1;
            maxDepth = std::max(maxDepth, figures[k].depth);
            PropagateDepth(figures, k, maxDepth);
        }
    }
    maxDepth = std::max(maxDepth, figures[i].depth);
}

bool FiguresTouch(Figures &figures, int a, int b, double tol, std::int32_t &va, std::int32_t &vb)
{
    if (a == b)
        return false;
    for (int i = static_cast<int>(figures[a].points.size()) - 1; i >= 0; --i) {
        for (int j = static_cast<int>(figures[b].points.size()) - 1; j >= 0; --j) {
            const TPlotPoint p = figures[a].points[i];
            const TPlotPoint q = figures[b].points[j];
            if (std::abs(double(std::int64_t(p.x) - q.x)) <= tol
                && std::abs(double(std::int64_t(p.y) - q.y)) <= tol) {
                va = i;
                vb = j;
                if (figures[a].generatedKind == 3)
                    figures[a].points[i] = figures[b].points[j];
                if (figures[b].generatedKind == 3)
                    figures[b].points[j] = figures[a].points[i];
                return true;
            }
        }
    }
    return false;
}

bool VertexTooClose(const Figures &figures, int v, int f, double tol)
{
    for (int g = 0; g < static_cast<int>(figures.size()); ++g) {
        if (g == f)
            continue;
        const TPlotPoint p = figures[f].points[v];
        for (const TPlotPoint &q : figures[g].points) {
            // The distance is at least either offset: farther along one axis
            // is farther, without the square root.
            if (std::abs(double(std::int64_t(q.x) - p.x)) > tol
                || std::abs(double(std::int64_t(q.y) - p.y)) > tol)
                continue;
            if (PointDistance(p, q) <= tol)
                return true;
        }
    }
    return false;
}

bool FreeEndEntry(Figures &figures, int f, double tol)
{
    tfigura &fig = figures[f];
    const int n = static_cast<int>(fig.points.size());
    if (n == 0)
        return false;
    bool laterClose = false;
    for (int k = 1; k < n; ++k)
        laterClose = laterClose || VertexTooClose(figures, k, f, tol);
    if (!VertexTooClose(figures, 0, f, tol) && laterClose) {
        fig.entryVertex = 0;
        return true;
    }
    if (VertexTooClose(figures, n - 1, f, tol))
        return false;
    for (int k = 0; k <= n - 2; ++k) {
        if (VertexTooClose(figures, k, f, tol)) {
            fig.entryVertex = n - 1;
            return true;
        }
    }
    return false;
}

enum class Strategy { ToStart, Children, ChildrenMany, Remaining, RemainingMany };

bool InNeighbourSlots(const Figures &figures, int v, int f)
{
    for (std::int32_t s : figures[f].neighbourSlots) {
        if (s == v)
            return true;
    }
    return false;
}

bool RuleA(const Figures &figures, Strategy s, int a, int c)
{
    switch (s) {
    case Strategy::ToStart:
        return figures[a].depth < 2;
    case Strategy::Children:
    case Strategy::ChildrenMany:
        return figures[a].container == c;
    default:
        return true;
    }
}

bool RuleB(const Figures &figures, Strategy s, int a, int b, int c, int root)
{
    const tfigura &fa = figures[a];
    const tfigura &fb = figures[b];
    switch (s) {
    case Strategy::ToStart:
        return b == root;
    case Strategy::Children:
    case Strategy::ChildrenMany: {
        const bool joinedChild = !fb.pending && fb.container == c;
        const bool containerItself = b == c && !figures[c].pending;
        if (!((joinedChild || containerItself) && fb.drawingFigure))
            return false;
        return s == Strategy::Children || InNeighbourSlots(figures, a, b) || !fa.closed || !fb.closed;
    }
    case Strategy::Remaining:
    case Strategy::RemainingMany: {
        if (fb.pending || !fb.drawingFigure || fb.depth > fa.depth)
            return false;
        if (b == root && figures[root].closed)
            return false;
        if (fb.depth > 1 && fb.depth == fa.depth && fa.container != fb.container)
            return false;
        return s == Strategy::Remaining || InNeighbourSlots(figures, a, b) || !fa.closed || !fb.closed;
    }
    }
    return false;
}

std::vector<int> VerticesA(const Figures &figures, Strategy s, int a)
{
    const tfigura &f = figures[a];
    const int n = static_cast<int>(f.points.size());
    std::vector<int> v;
    switch (s) {
    case Strategy::ToStart:
        for (int k = 0; k < n; ++k)
            v.push_back(k);
        break;
    case Strategy::Children:
    case Strategy::Remaining:
        for (int k = 0; k < n; k += flatplan::SamplingStep(f.points.size()))
            v.push_back(k);
        break;
    case Strategy::ChildrenMany:
    case Strategy::RemainingMany:
        for (int k = 0; k < n; ++k) {
            if (f.vertexInfo[k].candidate == 1)
                v.push_back(k);
        }
        break;
    }
    return v;
}

std::vector<int> VerticesB(const Figures &figures, Strategy s, int b, TPlotPoint pp)
{
    const tfigura &f = figures[b];
    const int n = static_cast<int>(f.points.size());
    std::vector<int> v;
    switch (s) {
    case Strategy::ToStart:
        if (n > 0)
            v.push_back(flatplan::NearestVertexToPP(f, pp));
        break;
    case Strategy::Children:
    case Strategy::Remaining:
        for (int k = 0; k < n; k += flatplan::SamplingStep(f.points.size()))
            v.push_back(k);
        break;
    case Strategy::ChildrenMany:
        for (int k = 1; k < n; ++k) {
            if (f.vertexInfo[k].candidate == 1)
                v.push_back(k);
        }
        break;
    case Strategy::RemainingMany:
        for (int k = 0; k < n; ++k) {
            if (f.vertexInfo[k].candidate == 1)
                v.push_back(k);
        }
        break;
    }
    return v;
}

std::int64_t Score(const Figures &figures, Strategy s, int a, int va, int b, int vb)
{
    TPlotPoint p = figures[a].points[va];
    TPlotPoint q = figures[b].points[vb];
    const TVertexInfo &ia = figures[a].vertexInfo[va];
    const TVertexInfo &ib = figures[b].vertexInfo[vb];
    if (s == Strategy::Children) {
        const int na = figures[a].depth % 2 == 0 ? 2 : -2;
        const int nb = figures[b].depth % 2 == 0 ? 1 : -1;
        p = TPlotPoint {p.x + na, p.y + na};
        q = TPlotPoint {q.x + nb, q.y + nb};
    }
    const std::int64_t dx = std::int64_t(q.x) - p.x;
    const std::int64_t dy = std::int64_t(q.y) - p.y;
    std::int64_t score = dx * dx + dy * dy; // DistanceSquared, written out to keep this loop fast
    switch (s) {
    case Strategy::ChildrenMany:
        return score * 5 / 10 * 5 / 10;
    case Strategy::RemainingMany:
        return score * ia.weight * ib.weight;
    default:
        if (ia.candidate == 1)
            score = score * ia.weight / 10;
        if (ib.candidate == 1)
            score = score * ib.weight / 10;
        return score;
    }
}

// ConnectorCrossesEdge, edge by edge.
int CrossedFigure(const Figures &figures, int a, int va, int b, int vb)
{
    const TSegment s {figures[a].points[va], figures[b].points[vb]};
    for (const auto &[f, v] : {std::pair {a, va}, std::pair {b, vb}}) {
        const auto &p = figures[f].points;
        const int n = static_cast<int>(p.size());
        for (int k = 0; k + 1 < n; ++k) {
            if (k != v && k + 1 != v && SegmentsIntersect(s, TSegment {p[k], p[k + 1]}))
                return f;
        }
        if (figures[f].closed && n > 0 && SegmentsIntersect(s, TSegment {p[n - 1], p[0]}))
            return f;
    }
    return -1;
}

// The crossing walk: the crossed figure's vertex moves back, and once it has
// gone round to its chosen value the other figure's too; after |a| x |b|
// steps without a free cut the chosen pair stays.
void WalkOffCrossings(const Figures &figures, int a, int &va, int b, int &vb)
{
    const int na = static_cast<int>(figures[a].points.size());
    const int nb = static_cast<int>(figures[b].points.size());
    const int chosenA = va;
    const int chosenB = vb;
    std::int64_t steps = 0;
    for (int r = CrossedFigure(figures, a, va, b, vb); r >= 0; r = CrossedFigure(figures, a, va, b, vb)) {
        if (steps++ >= std::int64_t(na) * nb) {
            va = chosenA;
            vb = chosenB;
            return;
        }
        if (r == b) {
            vb = flatplan::PrevVertex(vb, nb);
            if (vb == chosenB)
                va = flatplan::PrevVertex(va, na);
        } else {
            va = flatplan::PrevVertex(va, na);
            if (va == chosenA)
                vb = flatplan::PrevVertex(vb, nb);
        }
    }
}

// One strategy call; true when it joined a figure.
bool RunStrategy(Figures &figures, Strategy s, int c, int root, TPlotPoint pp)
{
    bool nothingLeft = true;
    std::int64_t best = flatplan::NoScore;
    int bestA = -1;
    int bestVa = -1;
    int bestB = -1;
    int bestVb = -1;
    const int count = static_cast<int>(figures.size());
    // Each figure's vertex choice, listed once per call.
    std::vector<std::vector<int>> verticesB(static_cast<std::size_t>(count));
    for (int b = 0; b < count; ++b)
        verticesB[static_cast<std::size_t>(b)] = VerticesB(figures, s, b, pp);
    for (int a = 0; a < count; ++a) {
        if (!figures[a].pending || !RuleA(figures, s, a, c))
            continue;
        const std::vector<int> verticesA = VerticesA(figures, s, a);
        for (int b = 0; b < count; ++b) {
            if (!RuleB(figures, s, a, b, c, root))
                continue;
            nothingLeft = false;
            for (int va : verticesA) {
                for (int vb : verticesB[static_cast<std::size_t>(b)]) {
                    const std::int64_t score = Score(figures, s, a, va, b, vb);
                    if (score < best) {
                        best = score;
                        bestA = a;
                        bestVa = va;
                        bestB = b;
                        bestVb = vb;
                    }
                }
            }
        }
    }
    if (nothingLeft || bestA < 0)
        return false;
    std::int32_t container = 0;
    std::int32_t depth = figures[root].depth;
    if (s == Strategy::Children || s == Strategy::ChildrenMany)
        container = c;
    if (s != Strategy::ToStart)
        depth = std::max(figures[bestA].depth, figures[bestB].depth);
    WalkOffCrossings(figures, bestA, bestVa, bestB, bestVb);
    flatplan::MakeConnector(figures, bestA, bestVa, bestB, bestVb, container, depth);
    return true;
}

bool AllFiguresJoined(const Figures &figures)
{
    return flatplan::CountPending(figures) == 0;
}

void ShowPlanProgress(const Figures &figures, const FlatPlanControl &control)
{
    if (control.progress) {
        const std::size_t joined = figures.size() - static_cast<std::size_t>(flatplan::CountPending(figures));
        control.progress(flatplan::PlanProgressPercent(joined, figures.size()));
    }
}

} // namespace

void co_w_czym(Figures &figures, std::int32_t &maxDepth)
{
    for (tfigura &f : figures) {
        f.depth = 0;
        f.container = -1;
        f.childCount = 0;
    }
    bool changed = true;
    while (changed) {
        changed = false;
        for (int i = 0; i < static_cast<int>(figures.size()); ++i) {
            for (int j = 0; j < static_cast<int>(figures.size()); ++j) {
                if (!FigureInside(figures, i, j))
                    continue;
                const int present = figures[i].container;
                if (present == -1 || figures[j].depth > figures[present].depth) {
                    figures[i].container = j;
                    figures[i].depth = figures[j].depth + 1;
                    PropagateDepth(figures, i, maxDepth);
                    figures[j].childCount += 1;
                    changed = true;
                }
            }
        }
    }
}

void OrderByDistance(Figures &figures)
{
    const int count = static_cast<int>(figures.size());
    for (int a = 0; a < count; ++a) {
        std::vector<std::pair<std::int64_t, int>> keys;
        for (int b = 0; b < count; ++b) {
            const TPlotPoint ca {figures[a].centreX, figures[a].centreY};
            const TPlotPoint cb {figures[b].centreX, figures[b].centreY};
            auto key = static_cast<std::int64_t>(std::nearbyint(PointDistance(ca, cb)));
            if (figures[a].depth > figures[b].depth)
                key += 500000000;
            if (figures[b].container == a)
                key += 500000000;
            keys.emplace_back(key, b);
        }
        // SortNeighbourKeys: exchange neighbours until a pass exchanges nothing.
        for (bool exchanged = true; exchanged;) {
            exchanged = false;
            for (std::size_t k = 0; k + 1 < keys.size(); ++k) {
                if (keys[k].first > keys[k + 1].first) {
                    std::swap(keys[k], keys[k + 1]);
                    exchanged = true;
                }
            }
        }
        for (std::size_t s = 0; s < figures[a].neighbourSlots.size(); ++s)
            figures[a].neighbourSlots[s] = s < keys.size() ? keys[s].second : -1;
    }
}

void JoinTouchingFigures(Figures &figures, double tol)
{
    const int count = static_cast<int>(figures.size());
    for (tfigura &f : figures)
        f.touchMark = 1;
    for (;;) {
        bool joinedAny = false;
        int f = 0;
        while (f < count) {
            if (!figures[f].pending && figures[f].touchMark == 1) {
                int g = -1;
                std::int32_t vf = 0;
                std::int32_t vg = 0;
                for (int k = 0; k < count; ++k) {
                    if (figures[k].pending && FiguresTouch(figures, f, k, tol, vf, vg)) {
                        g = k;
                        break;
                    }
                }
                if (g >= 0) {
                    figures[g].parent = f;
                    figures[g].vertexOnParent = vf;
                    figures[g].entryVertex = vg;
                    figures[g].pending = false;
                    joinedAny = true;
                    if (g < 2)
                        break;
                    f = g;
                    continue;
                }
                figures[f].touchMark = 0;
            }
            ++f;
        }
        if (!joinedAny)
            return;
    }
}

FlatPlanResult ciecie(Figures &figures, const FlatPlanSettings &settings, FlatPlanState &state,
                      const FlatPlanControl &control)
{
    const double tol = settings.tolerance;
    flatplan::StartClean(figures, state);
    // 2, 3
    BuildVertexRecords(figures);
    reference::co_w_czym(figures, state.maxDepth);
    // 4
    state.singleOpenFigure = figures.size() == 1 && !figures[0].closed;
    state.framePresent = false;
    // 5
    int outermost = 0;
    for (int k = 0; k < static_cast<int>(figures.size()); ++k) {
        if (figures[k].depth == 0) {
            ++outermost;
            state.rootFigure = k;
        }
    }
    if (outermost == 1 && figures[state.rootFigure].points.size() == 5) {
        state.framePresent = true;
    } else {
        // 6
        double best = 1e21;
        int openRoots = 0;
        for (int k = 0; k < static_cast<int>(figures.size()); ++k) {
            if (figures[k].closed || !FreeEndEntry(figures, k, tol))
                continue;
            const double d = PointDistance(state.pp, TPlotPoint {figures[k].minX, figures[k].minY});
            if (d < best) {
                best = d;
                state.rootFigure = k;
            }
            ++openRoots;
        }
        // 7
        if (openRoots == 0 && settings.mode != 2 && !state.singleOpenFigure) {
            flatplan::AddStartFigure(figures, state);
            state.framePresent = true;
            state.projectWidth = state.pk.x - state.pp.x;
            state.projectHeight = state.pk.y - state.pp.y;
            for (tfigura &f : figures)
                f.depth += 1;
            RunStrategy(figures, Strategy::ToStart, -1, state.rootFigure, state.pp);
        } else {
            for (tfigura &f : figures)
                f.depth += 1;
        }
    }
    const int root = state.rootFigure;
    if (root < 0) {
        state.planned = true;
        return {};
    }
    // 8
    figures[root].pending = false;
    figures[root].entryVertex = flatplan::NearestVertexToPP(figures[root], state.pp);
    figures[root].container = -1;
    figures[root].parent = -1;
    figures[root].vertexOnParent = -1;
    // 9
    for (int f = 0; f < static_cast<int>(figures.size()); ++f) {
        std::int32_t vr = 0;
        std::int32_t vf = 0;
        if (FiguresTouch(figures, root, f, tol, vr, vf)) {
            figures[f].parent = root;
            figures[f].vertexOnParent = vr;
            figures[f].entryVertex = vf;
            figures[f].pending = false;
        }
    }
    // 10, 11
    JoinTouchingFigures(figures, tol);
    MarkCandidateVertices(figures);

    FlatPlanResult result;
    // 12
    if (!AllFiguresJoined(figures)) {
        // 13
        const bool many = figures.size() >= 21;
        if (many)
            OrderByDistance(figures);
        // 14
        bool rootHasChild = false;
        for (const tfigura &f : figures)
            rootHasChild = rootHasChild || f.parent == root;
        if (figures[root].closed && !rootHasChild)
            RunStrategy(figures, Strategy::ToStart, -1, root, state.pp);
        // 15
        JoinTouchingFigures(figures, tol);
        // 16.1
        for (int d = state.maxDepth; d >= 0; --d) {
            for (int c = 0; c < static_cast<int>(figures.size()); ++c) {
                if (figures[c].depth != d || figures[c].childCount <= 0)
                    continue;
                const bool manyChildren = figures[c].childCount >= 21;
                const bool saved = figures[c].pending;
                figures[c].pending = false;
                bool found = RunStrategy(figures, Strategy::Children, c, root, state.pp);
                ShowPlanProgress(figures, control);
                while (found) {
                    found = RunStrategy(figures, manyChildren ? Strategy::ChildrenMany : Strategy::Children,
                                        c, root, state.pp);
                    ShowPlanProgress(figures, control);
                    figures[c].pending = false;
                    if (control.cancelled())
                        return {FlatPlanOutcome::Cancelled, flatplan::CountPending(figures)};
                }
                figures[c].pending = saved;
            }
        }
        // 16.2
        for (;;) {
            bool joinedAny = false;
            bool found = false;
            do {
                found = RunStrategy(figures, many ? Strategy::RemainingMany : Strategy::Remaining, -1, root,
                                    state.pp);
                joinedAny = joinedAny || found;
                ShowPlanProgress(figures, control);
                if (control.cancelled())
                    return {FlatPlanOutcome::Cancelled, flatplan::CountPending(figures)};
            } while (found && figures.size() < 10000);
            if (!AllFiguresJoined(figures) && figures.size() < 10000) {
                joinedAny = RunStrategy(figures, Strategy::Remaining, -1, root, state.pp) || joinedAny;
                ShowPlanProgress(figures, control);
            }
            if (AllFiguresJoined(figures))
                break;
            if (control.cancelled())
                return {FlatPlanOutcome::Cancelled, flatplan::CountPending(figures)};
            if (!joinedAny) {
                result = {FlatPlanOutcome::Stuck, flatplan::CountPending(figures)};
                break;
            }
        }
    }
    state.planned = result.outcome == FlatPlanOutcome::Planned;
    flatplan::FinishPlan(figures, settings, state);
    return result;
}

} // namespace reference
