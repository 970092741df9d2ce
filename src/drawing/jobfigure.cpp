// Writing one figure as one turning or rotary pass: approach the first
// point, turn the rotary axis to the pass's start angle, heat, plunge, follow
// the figure while the axis turns in proportion to the distance covered,
// and leave the wire at the start edge.

#include "drawing/geometry.h"
#include "drawing/jobbytes.h"
#include "drawing/jobwriter.h"

#include <cmath>
#include <numbers>
#include <vector>

struct TJobWriter::FigureKind
{
    int type = 0;
    int turnedEntry = 7; // position index of the turned axis: 7 spindle, 3 table
    bool turnsSpindle = true; // the turn is written as a spindle (W) or a table (S) turn
    bool spindleGeometry = true; // turns follow dx and the width; the radius is |y|
    bool turnsWhileCutting = true;
    bool turning = false; // types 30 and 301: speed per segment, full turn at sharp corners
    std::int32_t offsetX = 0; // plotter units
    std::int32_t offsetY = 0;
};

namespace {

std::int32_t scaled(std::int32_t v, double skala)
{
    return RoundScaledUnits(skala, v);
}

} // namespace

bool TJobWriter::figureKind(int type, const Settings &s, FigureKind &kind)
{
    kind = FigureKind {};
    kind.type = type;
    switch (type) {
    case TJobType::TurningSpindle:
        kind.turning = true;
        kind.offsetY = MmToUnits(s.Ywrzeciona) - MmToUnits(s.Ynarzedzia);
        return true;
    case TJobType::TurningTable:
        kind.turnedEntry = 3;
        kind.turnsSpindle = kind.spindleGeometry = false;
        kind.turning = true;
        kind.offsetX = MmToUnits(s.Xstolika) - MmToUnits(s.Xnarzedzia);
        return true;
    case TJobType::RotarySpindle:
        kind.offsetY = MmToUnits(s.Ywrzeciona);
        return true;
    case TJobType::RotaryTable:
    case TJobType::SerialTable:
        kind.turnedEntry = 3;
        kind.turnsSpindle = kind.spindleGeometry = false;
        kind.turnsWhileCutting = type == TJobType::RotaryTable;
        kind.offsetX = MmToUnits(s.Xstolika);
        kind.offsetY = MmToUnits(s.Ystolika);
        return true;
    default:
        return false;
    }
}

double TJobWriter::axisAngle(int entry, std::int32_t stepsPerTurn) const
{
    if (stepsPerTurn == 0)
        return 0.0;
    return static_cast<double>(m_position[entry] % stepsPerTurn) / stepsPerTurn;
}

double TJobWriter::figureStartTurn(const FigureKind &kind, double passAngle) const
{
    const std::int32_t steps = kind.turnsSpindle ? m_machine.resW : m_machine.resS;
    if (steps == 0)
        return 0.0;
    const std::int32_t c = m_position[kind.turnedEntry] % steps; // keeps the sign of the position
    double f = static_cast<double>(steps - c) / steps + passAngle;
    if (f >= 1.0)
        f -= 1.0;
    if (f > 0.5)
        f -= 1.0;
    return f;
}

void TJobWriter::figureTurn(const FigureKind &kind, double turns)
{
    if (turns == 0.0)
        return;
    sync();
    if (m_settings.Heavy == CheckState::Checked)
        setting(2, 1);
    const double x = currentX1();
    const double y = currentY1();
    writeMove(x, x, y, y, kind.turnsSpindle ? 0.0 : turns, kind.turnsSpindle ? turns : 0.0);
}

void TJobWriter::figureHeating()
{
    sync();
    heatingOn();
    if (m_carry->HeatUpPending && !m_machine.LJ) {
        WritePause(RoundToInt64(m_settings.CzasRozgrzewania));
        m_carry->HeatUpPending = false;
    }
}

void TJobWriter::figureMove(const FigureKind &kind, std::int32_t x, std::int32_t y, double turns)
{
    figureMoveMm(kind, UnitsToMmFast(x), UnitsToMmFast(y), turns);
}

void TJobWriter::figureMoveMm(const FigureKind &kind, double xm, double ym, double turns)
{
    writeMove(xm, xm, ym, ym, kind.turnsSpindle ? 0.0 : turns, kind.turnsSpindle ? turns : 0.0);
}

void TJobWriter::figureMoveKeepY(const FigureKind &, std::int32_t x)
{
    const double xm = UnitsToMmFast(x);
    const double y = currentY1();
    writeMove(xm, xm, y, y);
}

void TJobWriter::figureMoveKeepX(const FigureKind &, std::int32_t y)
{
    const double ym = UnitsToMmFast(y);
    const double x = currentX1();
    writeMove(x, x, ym, ym);
}

void TJobWriter::figureSpeed(const FigureKind &kind, double length, double turns, double dx, double dy)
{
    const std::int32_t steps = kind.turnsSpindle ? m_machine.resW : m_machine.resS;
    const long double t = static_cast<long double>(length) / m_settings.szybkoscObrobki;
    long double speed = 20.0L;
    if (t > 0.0L)
        speed = Length3D(steps * turns / 100.0, dy, dx) / t;
    if (!(speed >= 20.0L))
        speed = 20.0L;
    if (speed > m_machine.MaxWorkSpeed)
        speed = m_machine.MaxWorkSpeed;
    writeSpeed(1, speed);
}

void TJobWriter::WriteFigure(const tfigura &figure, double passAngle, double &endAngle, int direction)
{
    FigureKind kind;
    if (!figureKind(m_start.jobType, m_settings, kind))
        return;
    const std::size_t n = figure.points.size();
    if (n < 2)
        return;

    const double skala = m_settings.skala;
    std::vector<TPlotPoint> p(n);
    std::vector<double> circumference(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::int32_t x = scaled(figure.points[i].x, skala);
        const std::int32_t y = scaled(figure.points[i].y, skala);
        // The circumference at the point's distance from the axis, before the offset.
        const std::int32_t radius = kind.spindleGeometry ? y : x;
        circumference[i]
            = 2.0 * std::numbers::pi * UnitsToMmFast(radius < 0 ? ClampToInt32(-std::int64_t {radius}) : radius);
        p[i] = {ClampToInt32(std::int64_t {x} + kind.offsetX), ClampToInt32(std::int64_t {y} + kind.offsetY)};
    }

    // Millimetres of material per turn; a figure of zero size gives no turns.
    const std::int32_t size = kind.spindleGeometry ? figure.width : figure.height;
    const double mmPerTurn
        = m_settings.il_obr_rys == 0.0 ? 0.0 : UnitsToMmFast(scaled(size, skala)) / m_settings.il_obr_rys;
    auto turnsFor = [&](double axisDistance) {
        if (!kind.turnsWhileCutting || mmPerTurn == 0.0 || !std::isfinite(mmPerTurn))
            return 0.0;
        return axisDistance / mmPerTurn;
    };

    const TPlotPoint first = p.front();
    const TPlotPoint last = p.back();
    switch (kind.type) {
    case TJobType::TurningSpindle:
        speedMode(0);
        figureMoveKeepY(kind, first.x);
        figureMoveMm(kind, UnitsToMmFast(first.x), m_start.StartEdgeY, 0.0);
        break;
    case TJobType::TurningTable:
        speedMode(0);
        figureMoveKeepX(kind, first.y);
        figureMoveMm(kind, m_start.StartEdgeX, UnitsToMmFast(first.y), 0.0);
        break;
    case TJobType::RotarySpindle:
        speedMode(0);
        figureMoveKeepY(kind, first.x);
        break;
    default: // 311 and 33
        figureMoveKeepX(kind, first.y);
        figureMoveMm(kind, m_start.StartEdgeX, UnitsToMmFast(first.y), 0.0);
        break;
    }
    figureTurn(kind, figureStartTurn(kind, passAngle));
    figureHeating();
    sync();
    if (kind.type == TJobType::TurningSpindle || kind.type == TJobType::TurningTable) {
        figureMove(kind, first.x, first.y, 0.0);
        sync();
        speedMode(1);
    } else if (kind.type == TJobType::RotarySpindle) {
        speedMode(1);
        figureMoveKeepX(kind, first.y);
    } else {
        speedMode(1);
        figureMove(kind, first.x, first.y, 0.0);
    }

    for (std::size_t i = 1; i < n; ++i) {
        const double dx = UnitsToMmFast(ClampToInt32(std::llabs(std::int64_t {p[i - 1].x} - p[i].x)));
        const double dy = UnitsToMmFast(ClampToInt32(std::llabs(std::int64_t {p[i - 1].y} - p[i].y)));
        const double turns = turnsFor(kind.spindleGeometry ? dx : dy);
        const double c = circumference[i];
        const double length = std::sqrt(dx * dx + dy * dy + (c * turns) * (c * turns));
        if (length > 0.0) {
            figureMove(kind, p[i].x, p[i].y, direction * turns);
            if (kind.turning)
                figureSpeed(kind, length, turns, dx, dy);
        }
        // A turned profile makes one full turn of the workpiece at each sharp corner.
        if (kind.turning && i + 1 < n) {
            const auto at = [&](std::size_t k) { return std::array<std::int64_t, 3> {p[k].x, p[k].y, 0}; };
            if (CornerCos3D(at(i - 1), at(i), at(i + 1)) <= 0.87) {
                const double cornerTurns = m_settings.il_obr_rys == 0.0 ? 0.0 : 1.0;
                const double cornerLength = c * cornerTurns;
                if (cornerLength > 0.0) {
                    sync();
                    if (m_settings.Heavy == CheckState::Checked)
                        setting(2, 1);
                    figureMove(kind, p[i].x, p[i].y, direction * cornerTurns);
                    figureSpeed(kind, cornerLength, cornerTurns, 0.0, 0.0);
                    sync();
                }
            }
        }
    }

    const std::int32_t turnedSteps = kind.turnsSpindle ? m_machine.resW : m_machine.resS;
    switch (kind.type) {
    case TJobType::TurningSpindle:
        sync();
        speedMode(0);
        figureMoveMm(kind, UnitsToMmFast(last.x), m_start.StartEdgeY, 0.0);
        endAngle = axisAngle(kind.turnedEntry, turnedSteps);
        break;
    case TJobType::TurningTable:
        sync();
        speedMode(0);
        figureMoveMm(kind, m_start.StartEdgeX, UnitsToMmFast(last.y), 0.0);
        endAngle = axisAngle(kind.turnedEntry, turnedSteps);
        break;
    case TJobType::RotarySpindle:
        if (m_settings.rgAlgorytmObrotowego == 0)
            figureMoveMm(kind, UnitsToMmFast(last.x), m_start.StartEdgeY, 0.0);
        else
            figureMove(kind, last.x, last.y, 0.0);
        sync();
        speedMode(0);
        endAngle = axisAngle(kind.turnedEntry, turnedSteps);
        break;
    case TJobType::RotaryTable:
        figureMoveMm(kind, m_start.StartEdgeX, UnitsToMmFast(last.y), 0.0);
        sync();
        endAngle = m_machine.spindleRotaryModel ? axisAngle(7, m_machine.resW) : axisAngle(3, m_machine.resS);
        break;
    default: // 33: the table turns by the pass angle after the pass
        figureMoveMm(kind, m_start.StartEdgeX, UnitsToMmFast(last.y), 0.0);
        sync();
        endAngle = axisAngle(kind.turnedEntry, turnedSteps);
        writeMove(currentX1(), currentX1(), currentY1(), currentY1(), passAngle, 0.0);
        sync();
        break;
    }
}
