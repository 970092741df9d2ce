#include "project/rotaryplanner.h"

#include "drawing/geometry.h"
#include "project/direction.h"
#include "project/flatplan.h"

#include <algorithm>
#include <numeric>

namespace {

constexpr int MountSpindle = 0;
constexpr int MountTable = 1;

TPlanOutcome Planned()
{
    TPlanOutcome outcome;
    outcome.status = TPlanStatus::Planned;
    return outcome;
}

TPlanOutcome Failed(const char *key)
{
    TPlanOutcome outcome;
    outcome.status = TPlanStatus::Failed;
    outcome.message = {"Project_window", key};
    return outcome;
}

// Planning again starts from the drawing: the start figure and connectors of
// an earlier flat plan are dropped (cut, they would drag the hot wire through
// the material), and a figure that was the axis under another mounting is a
// profile now and must be cut.
void StartPlanning(TProjectDocument &document)
{
    flatplan::ForgetCuttingTree(document.Figures);
    document.Planned = false;
    document.AxisFigure = -1;
    document.RootFigure = -1;
    document.FramePresent = false;
    document.SingleOpenFigure = false;
    for (tfigura &f : document.Figures)
        f.cut = true;
}

// The first figure that passes the test and that no later one beats
// strictly (ties stay with the first), -1 when none passes.
template<typename Is, typename Beats> int FindAxis(const std::vector<tfigura> &figures, Is is, Beats beats)
{
    int axis = -1;
    for (std::size_t i = 0; i < figures.size(); ++i) {
        if (!is(figures[i]))
            continue;
        if (axis < 0 || beats(figures[i], figures[static_cast<std::size_t>(axis)]))
            axis = static_cast<int>(i);
    }
    return axis;
}

bool Lower(const tfigura &f, const tfigura &axis)
{
    return f.minY < axis.minY;
}

bool FurtherRight(const tfigura &f, const tfigura &axis)
{
    return f.minX > axis.minX;
}

// The axis takes no part in the cut; every figure knows the axis's size.
// False when no profile is left beside it.
bool TakeAxisOut(TProjectDocument &document, int axis)
{
    document.AxisFigure = axis;
    tfigura &line = document.Figures[static_cast<std::size_t>(axis)];
    line.cut = false;
    const std::int32_t width = line.width;
    const std::int32_t height = line.height;
    for (tfigura &f : document.Figures) {
        f.axisWidth = width;
        f.axisHeight = height;
    }
    return document.Figures.size() >= 2;
}

// Moves every figure by (-dx, -dy): points, box and centre. Two coordinates
// that the readers accept differ by less than 2^31, so nothing overflows.
void ShiftFigures(TProjectDocument &document, std::int32_t dx, std::int32_t dy)
{
    for (tfigura &f : document.Figures) {
        for (TPlotPoint &p : f.points) {
            p.x -= dx;
            p.y -= dy;
        }
        f.minX -= dx;
        f.maxX -= dx;
        f.centreX -= dx;
        f.minY -= dy;
        f.maxY -= dy;
        f.centreY -= dy;
    }
}

// The wire's way along the profiles, the axis left out.
double ProfileLength(const TProjectDocument &document)
{
    double length = 0.0;
    for (std::size_t i = 0; i < document.Figures.size(); ++i) {
        if (static_cast<std::int32_t>(i) == document.AxisFigure)
            continue;
        const std::vector<TPlotPoint> &points = document.Figures[i].points;
        for (std::size_t k = 1; k < points.size(); ++k)
            length += PointDistance(points[k - 1], points[k]);
    }
    return length;
}

// Rules that turn a profile round before the along-x test: none in rotary
// cutting; on the spindle a profile drawn straight up from the axis is cut
// from its top down; on the table a level profile drawn leftwards turns.
using FirstRule = bool (*)(TPlotPoint first, TPlotPoint last);

bool NoRule(TPlotPoint, TPlotPoint)
{
    return false;
}

bool DrawnUpwards(TPlotPoint first, TPlotPoint last)
{
    return first.x == last.x && first.y < last.y;
}

bool LevelDrawnLeftwards(TPlotPoint first, TPlotPoint last)
{
    return first.y == last.y && first.x > last.x;
}

// Reverses every cut figure whose first point's x is greater than its last
// point's, so that every profile runs along increasing x.
void RunAlongX(TProjectDocument &document, FirstRule first)
{
    for (tfigura &f : document.Figures) {
        if (!f.cut || f.points.empty())
            continue;
        if (first(f.points.front(), f.points.back()))
            ReverseFigure(f);
        if (f.points.front().x > f.points.back().x)
            ReverseFigure(f);
    }
}

// Moves the project by (-dx, -dy) and takes its corners from the boxes; the
// planner may then move a corner to the axis.
void MoveProject(TProjectDocument &document, std::int32_t dx, std::int32_t dy)
{
    ShiftFigures(document, dx, dy);
    document.Ustaw_PPiPK();
}

// What every planner does once the corners are set: sizes and reference
// origins, the profiles along x, the turning order, the wire's way.
void FinishPlan(TProjectDocument &document, FirstRule first, bool turning)
{
    document.ProjectWidth = document.PK.x - document.PP.x;
    document.ProjectHeight = document.PK.y - document.PP.y;
    for (tfigura &f : document.Figures)
        f.projectCorner = document.PP;
    document.SelectedFigure = -1;
    RunAlongX(document, first);
    if (turning)
        sortuj_toczenie(document);
    document.PathLength = ProfileLength(document);
    document.Planned = true;
}

} // namespace

bool IsHorizontalAxisLine(const tfigura &figure)
{
    // A line of zero length (a dot, a cross point) runs nowhere: no axis.
    const auto &p = figure.points;
    return p.size() == 2 && p[0].y == p[1].y && p[0].x != p[1].x;
}

bool IsVerticalAxisLine(const tfigura &figure)
{
    const auto &p = figure.points;
    return p.size() == 2 && p[0].x == p[1].x && p[0].y != p[1].y;
}

TPlanOutcome ciecie_obrotowe(TProjectDocument &document)
{
    StartPlanning(document);
    document.AxisHorizontal = false;
    document.AxisVertical = false;
    const int mounting = document.settings().StolikSwitch;
    int axis = -1;
    if (mounting == MountSpindle) {
        axis = FindAxis(document.Figures, IsHorizontalAxisLine, Lower);
        document.AxisHorizontal = axis >= 0;
        if (axis < 0)
            return Failed("projektBrakOsiObrotuPozProsta");
    } else if (mounting == MountTable) {
        axis = FindAxis(document.Figures, IsVerticalAxisLine, FurtherRight);
        document.AxisVertical = axis >= 0;
        if (axis < 0)
            return Failed("projektBrakOsiObrotuPionProsta");
    } else {
        return Failed("BrakSposobuMocowaniaMaterialu");
    }
    if (!TakeAxisOut(document, axis))
        return Failed("projektBrakProfilu");

    // The axis line starts at the origin.
    const tfigura &line = document.Figures[static_cast<std::size_t>(axis)];
    MoveProject(document, line.minX, line.minY);
    FinishPlan(document, NoRule, false);
    return Planned();
}

TPlanOutcome toczenie(TProjectDocument &document)
{
    return document.settings().StolikSwitch != MountSpindle ? toczenie_stolik(document)
                                                            : toczenie_wrzeciono(document);
}

TPlanOutcome toczenie_wrzeciono(TProjectDocument &document)
{
    StartPlanning(document);
    const int axis = FindAxis(document.Figures, IsHorizontalAxisLine, Lower);
    if (axis < 0)
        return Failed("projektBrakOsiObrotuPozProsta");
    if (!TakeAxisOut(document, axis))
        return Failed("projektBrakProfilu");

    TPlanOutcome outcome = Planned();
    const tfigura &line = document.Figures[static_cast<std::size_t>(axis)];
    MoveProject(document, line.minX, line.minY);
    // The spindle turns the profile about the axis: nothing may reach below it.
    if (document.PP.y != 0)
        outcome.warning = {"Project_window", "osMaBycPonizejProfilu"};
    // The material starts at the axis line's start.
    document.PP.x = 0;
    FinishPlan(document, DrawnUpwards, true);
    return outcome;
}

TPlanOutcome toczenie_stolik(TProjectDocument &document)
{
    StartPlanning(document);
    const int axis = FindAxis(document.Figures, IsVerticalAxisLine, Lower);
    if (axis < 0)
        return Failed("projektBrakOsiObrotu");
    if (!TakeAxisOut(document, axis))
        return Failed("projektBrakProfilu");

    const tfigura &line = document.Figures[static_cast<std::size_t>(axis)];
    MoveProject(document, line.maxX, line.minY);
    // The material stands on the table from the axis line's foot.
    document.PP.y = 0;
    FinishPlan(document, LevelDrawnLeftwards, true);
    return Planned();
}

void sortuj_toczenie(TProjectDocument &document)
{
    std::vector<tfigura> &figures = document.Figures;
    for (tfigura &f : figures) {
        f.turningOrder = -1;
        f.turningSorted = false;
    }
    std::int32_t number = 1;
    for (const std::int32_t depth : {1, 0}) {
        for (tfigura &f : figures) {
            if (f.depth == depth && !f.turningSorted) {
                f.turningOrder = number++;
                f.turningSorted = true;
            }
        }
    }
    // A stable sort keeps equal numbers in project order, as exchanging
    // neighbours would.
    std::vector<std::size_t> order(figures.size());
    std::iota(order.begin(), order.end(), std::size_t {0});
    std::stable_sort(order.begin(), order.end(), [&figures](std::size_t a, std::size_t b) {
        return figures[a].turningOrder < figures[b].turningOrder;
    });
    std::vector<tfigura> sorted;
    sorted.reserve(figures.size());
    std::int32_t axis = -1;
    for (const std::size_t i : order) {
        if (static_cast<std::int32_t>(i) == document.AxisFigure)
            axis = static_cast<std::int32_t>(sorted.size());
        sorted.push_back(std::move(figures[i]));
    }
    figures = std::move(sorted);
    document.AxisFigure = axis;
}
