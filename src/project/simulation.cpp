#include "project/simulation.h"

#include "drawing/geometry.h"
#include "project/projectdocument.h"
#include "project/treewalker.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// A single open figure is entered at the end the feed direction starts from:
// +1 at the end with the smaller x, -1 at the end with the larger x; on equal
// x at its last point.
void SetSingleOpenEntry(TProjectDocument &document)
{
    if (!document.SingleOpenFigure)
        return;
    const std::int32_t root = document.RootFigure;
    if (root < 0 || root >= static_cast<std::int32_t>(document.Figures.size()))
        return;
    tfigura &figure = document.Figures[root];
    if (figure.points.empty())
        return;
    const std::int32_t firstX = figure.points.front().x;
    const std::int32_t lastX = figure.points.back().x;
    const bool atLast = document.FeedSign > 0 ? firstX >= lastX : firstX <= lastX;
    figure.entryVertex = atLast ? static_cast<std::int32_t>(figure.points.size()) - 1 : 0;
}

TreeWalkOptions WalkOptions(const TProjectDocument &document, const TPaintSettings &settings)
{
    TreeWalkOptions options;
    options.root = document.RootFigure;
    options.pairedProfiles = document.PairedProfiles;
    options.singleOpenFigure = document.SingleOpenFigure;
    options.cutFrame = document.CutFrame;
    options.mode = settings.Mode;
    return options;
}

double RoundDelay(double ms)
{
    return static_cast<double>(std::nearbyint(static_cast<long double>(ms)));
}

// Turns the walk into animated lines, and every pause into a quarter of the
// corner pause.
class DrawingSink : public CuttingTreeSink
{
public:
    DrawingSink(TSimulationPath &path, const TViewTransform &transform, double pauseMs)
        : m_path(path)
        , m_transform(transform)
        , m_pauseMs(pauseMs)
    { }

    void start(std::int32_t, std::int32_t, TPlotPoint point) override
    {
        m_path.actions.push_back({TSimKind::Go, m_transform.map(point), {}, 0.0, {}});
    }
    void moveTo(const TreeStep &step) override
    {
        m_path.actions.push_back({TSimKind::Line, m_transform.map(step.front), {}, 0.0, {}});
    }
    void pause() override { m_path.actions.push_back({TSimKind::Wait, {}, {}, m_pauseMs, {}}); }

private:
    TSimulationPath &m_path;
    const TViewTransform &m_transform;
    double m_pauseMs;
};

class RecordingSink : public CuttingTreeSink
{
public:
    explicit RecordingSink(std::vector<TPathRecord> &records)
        : m_records(records)
    { }

    void start(std::int32_t, std::int32_t vertex, TPlotPoint point) override
    {
        m_records.push_back({PathRecordStartKey, vertex, point.x, point.y});
    }
    void moveTo(const TreeStep &step) override
    {
        if (!m_records.empty() && m_records.back().x == step.front.x && m_records.back().y == step.front.y)
            return;
        m_records.push_back({step.figure + PathRecordFigureBase, step.vertex, step.front.x, step.front.y});
    }
    void pause() override { }

private:
    std::vector<TPathRecord> &m_records;
};

void AddFlatSimulation(TSimulationPath &path, TProjectDocument &document, const TPaintSettings &settings,
                       const TViewTransform &transform)
{
    auto add = [&](TSimKind kind, TPixel a = {}, TPixel b = {}, double delay = 0.0) {
        path.actions.push_back({kind, a, b, delay, TFigureColour::Red});
    };
    if (settings.cbKrzyzToPunkt) {
        // No tree: the drill visits the cross points in project order.
        for (const tfigura &figure : document.Figures) {
            if (!figure.crossPoint || figure.points.empty())
                continue;
            add(TSimKind::Jump, transform.map(figure.points.front()));
            add(TSimKind::Circle, transform.map(figure.points.front()));
            add(TSimKind::Wait, {}, {}, RoundDelay(settings.Pauza_w_kacie));
        }
        return;
    }
    if (document.PairedProfiles) {
        // The wire between the two profiles' vertices, one step at a time.
        if (document.Figures.size() < 2)
            return;
        const auto &front = WalkedPoints(document.Figures[0], true);
        const auto &back = WalkedPoints(document.Figures[1], true);
        path.actions.push_back({TSimKind::Pen, {}, {}, 0.0, TFigureColour::Yellow});
        for (std::size_t j = 1; j < front.size() && j < back.size(); ++j) {
            add(TSimKind::Wire, transform.map(front[j]), transform.map(back[j]));
            add(TSimKind::Wait, {}, {}, 50.0);
        }
        return;
    }
    DrawingSink sink(path, transform, RoundDelay(settings.Pauza_w_kacie / 4));
    WalkCuttingTree(document.Figures, WalkOptions(document, settings), sink);
}

// Rotary cutting and turning: every figure to cut once, in project order, in
// the direction the feed setting gives.
void AddRotarySimulation(TSimulationPath &path, const TProjectDocument &document,
                         const TPaintSettings &settings, const TViewTransform &transform, TPlotPoint current)
{
    path.merge = true;
    for (const tfigura &figure : document.Figures) {
        if (!figure.cut || figure.points.empty())
            continue;
        const auto &points = figure.points;
        bool forward = settings.CatDir != 1;
        if (settings.CatDir == 2)
            forward = PointDistance(points.back(), current) >= PointDistance(points.front(), current);
        const std::size_t n = points.size();
        for (std::size_t k = 0; k < n; ++k) {
            const TPlotPoint p = points[forward ? k : n - 1 - k];
            path.actions.push_back({k == 0 ? TSimKind::Go : TSimKind::Line, transform.map(p), {}, 0.0, {}});
        }
        current = forward ? points.back() : points.front();
    }
    path.actions.push_back({TSimKind::Go, transform.map(document.PP), {}, 0.0, {}});
}

} // namespace

TSimulationPath BuildSimulation(TProjectDocument &document, const TPaintSettings &settings,
                                const TViewTransform &transform)
{
    TSimulationPath path;
    document.AbortWalk = false;
    if (!transform.valid)
        return path;
    path.actions.push_back({TSimKind::Jump, transform.map(document.PP), {}, 0.0, {}});
    path.actions.push_back({TSimKind::Pen, {}, {}, 0.0, TFigureColour::Red});
    if (settings.Mode == 1) {
        AddRotarySimulation(path, document, settings, transform, TPlotPoint {0, 0});
    } else if (settings.turningWithMounting()) {
        AddRotarySimulation(path, document, settings, transform, TPlotPoint {0, 1000000});
    } else {
        SetSingleOpenEntry(document);
        AddFlatSimulation(path, document, settings, transform);
    }
    return path;
}

void RecordWirePath(TProjectDocument &document, const TPaintSettings &settings)
{
    document.AbortWalk = false;
    document.PathRecords.clear();
    SetSingleOpenEntry(document);
    RecordingSink sink(document.PathRecords);
    WalkCuttingTree(document.Figures, WalkOptions(document, settings), sink);
}

TSimulationPlayer::TSimulationPlayer(TSimulationPath path, int speedPosition)
    : m_path(std::move(path))
    , m_unitMs(1.0 / (std::max(speedPosition, 0) + 1))
{ }

double TSimulationPlayer::totalMs() const
{
    double units = 0.0;
    TPixel pen;
    for (const TSimAction &a : m_path.actions) {
        switch (a.kind) {
        case TSimKind::Jump:
            pen = a.a;
            break;
        case TSimKind::Go:
        case TSimKind::Line:
            units += AnimatedStepCount(pen, a.a);
            pen = a.a;
            break;
        case TSimKind::Wire:
            pen = a.b;
            break;
        case TSimKind::Wait:
            units += a.delay;
            break;
        default:
            break;
        }
    }
    return units * m_unitMs;
}

std::vector<TSimDraw> TSimulationPlayer::advance(double elapsedMs)
{
    std::vector<TSimDraw> draws;
    while (!finished() && advanceStep(elapsedMs, draws)) { }
    return draws;
}

// One action, or as much of it as is due. False when the rest is not due yet.
bool TSimulationPlayer::advanceStep(double elapsedMs, std::vector<TSimDraw> &draws)
{
    const TSimAction &a = m_path.actions[m_action];
    switch (a.kind) {
    case TSimKind::Jump:
        m_pen = a.a;
        break;
    case TSimKind::Pen:
        m_colour = a.colour;
        break;
    case TSimKind::Wire:
        draws.push_back({TSimDraw::Kind::Line, a.a, a.b, m_colour});
        m_pen = a.b;
        break;
    case TSimKind::Circle:
        draws.push_back({TSimDraw::Kind::Circle, a.a, a.a, m_colour});
        break;
    case TSimKind::Wait: {
        const double end = m_actionStart + a.delay * m_unitMs;
        if (elapsedMs < end)
            return false;
        m_actionStart = end;
        break;
    }
    case TSimKind::Go:
    case TSimKind::Line: {
        if (!m_stepping) {
            m_stepping = true;
            m_from = m_pen;
            m_steps = AnimatedStepCount(m_pen, a.a);
            m_done = 0;
        }
        const double due = std::floor((elapsedMs - m_actionStart) / m_unitMs);
        const int done = due <= 0 ? 0 : due >= m_steps ? m_steps : static_cast<int>(due);
        if (done > m_done) {
            const TPixel to = AnimatedStepPixel(m_from, a.a, m_steps, done);
            if (a.kind == TSimKind::Line)
                draws.push_back({TSimDraw::Kind::Line, m_pen, to, m_colour});
            m_pen = to;
            m_done = done;
        }
        if (m_done < m_steps)
            return false;
        m_pen = a.a;
        m_actionStart += m_steps * m_unitMs;
        m_stepping = false;
        break;
    }
    }
    ++m_action;
    return true;
}
