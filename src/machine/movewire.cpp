#include "machine/movewire.h"

#include "app/units.h"
#include "drawing/jobbytes.h"
#include "machine/ploter.h"
#include "machine/sterowanie.h"

#include <algorithm>

namespace {

// A move without displacement keeps the controller's motion queue busy for
// this many steps' worth of ticks.
constexpr std::int32_t kIdleSteps = 100;
constexpr int kIdleMovesPerHalf = 10;

std::int32_t steps(long double value)
{
    return ClampToInt32(RoundToInt64Slow(RoundHalfEven(value)));
}

// A delta (0.01 mm) cut so that every position it moves stays within
// 0 .. travel.
long long withinTravel(long long delta, long long travel, std::initializer_list<long long> positions)
{
    for (long long position : positions)
        delta = std::clamp(delta, -position, std::max(-position, travel - position));
    return delta;
}

} // namespace

Tprzesun::Tprzesun(Ploter &ploter, Tster &panel, const std::atomic<bool> &stop)
    : m_ploter(ploter)
    , m_panel(panel)
    , m_stop(stop)
{ }

bool Tprzesun::WykonajClick(int mode, double x, double y, double z, double angle)
{
    // The moves take the display unit; the dialog's fields hold mm.
    const long double f = Units::isValidUnit(m_ploter.settings().radiounit)
        ? Units::factor(m_ploter.settings().radiounit)
        : 1.0L;
    const auto unit = [f](double mm) { return static_cast<double>(mm / f); };
    const bool front = m_panel.keyFront();
    const bool back = m_panel.keyBack();
    if (mode == 0)
        return m_ploter.MoveTo(front, back, unit(x), unit(y), unit(z), angle);
    return m_ploter.MoveBy(front, back, unit(x), unit(y), unit(z), angle);
}

bool Tprzesun::idleMove()
{
    std::uint8_t records[MaxMoveCommandLength];
    const std::size_t length = EncodeMoveCommand(
        'A', TAxisDeltas {}, ClampToInt32(std::int64_t {kIdleSteps} * m_ploter.state().wspV), records);
    return m_ploter.SendCommand(
               QByteArray(reinterpret_cast<const char *>(records), static_cast<qsizetype>(length)))
        && m_ploter.WaitWhileBusy();
}

void Tprzesun::testClick(double dx, double dy, double angle)
{
    if (!m_ploter.WaitWhileBusy() || !m_ploter.link().connected())
        return;
    // A whole cycle runs first, even when a key came while the machine was
    // still busy: the stop is looked at only after each cycle.
    do {
        if (!m_ploter.ReadPositions())
            return;
        const MachineState &s = m_ploter.state();
        const tplotstate &p = s.plot;
        TAxisDeltas forward;
        const long long x
            = withinTravel(RoundToInt64Slow(RoundHalfEven(dx * 100.0L)), 100LL * s.limitX, {p.X1, p.X2});
        const long long y
            = withinTravel(RoundToInt64Slow(RoundHalfEven(dy * 100.0L)), 100LL * s.limitY, {p.Y1, p.Y2});
        forward.x1 = forward.x2 = steps(x * static_cast<long double>(s.resX));
        forward.y1 = forward.y2 = steps(y * static_cast<long double>(s.resY));
        forward.s = steps(angle / 360.0L * s.resS);
        forward.w = steps(angle / 360.0L * s.resW);
        TAxisDeltas backward;
        backward.x1 = backward.x2 = -forward.x1;
        backward.y1 = backward.y2 = -forward.y1;
        backward.s = -forward.s;
        backward.w = -forward.w;

        for (const TAxisDeltas &move : {forward, backward}) {
            for (int i = 0; i < kIdleMovesPerHalf; ++i) {
                if (!idleMove())
                    return;
            }
            if (!m_ploter.sendMove(move) || !m_ploter.WaitWhileBusy())
                return;
            m_ploter.ReadPositions();
            m_ploter.ReadMachineInfo();
        }
        if (m_caption)
            m_caption(m_ploter.link().readFailures(), m_ploter.link().writeFailures());
    } while (!m_stop);
}

void Tprzesun::TestGrzalkiClick()
{
    const auto heatUp = RoundToInt64Slow(RoundHalfEven(m_ploter.settings().CzasRozgrzewania));
    do {
        if (!m_ploter.HeatWireAndWait() || !m_ploter.WaitWhileBusy())
            return;
        m_ploter.clock().sleepMs(heatUp);
        if (!m_ploter.SendCommand(m_ploter.heatingSwitchCommand(false, 2)) || !m_ploter.WaitWhileBusy())
            return;
        m_ploter.clock().sleepMs(heatUp);
    } while (!m_stop);
}
