// The machine model table, the waits, heating and the direct moves.
#include "machine/machinekeys.h"
#include "machine/ploter.h"

#include "app/machinefamily.h"
#include "app/units.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

std::int32_t toSteps(long double value)
{
    const long double r = std::nearbyint(value);
    if (std::isnan(r))
        return 0;
    return static_cast<std::int32_t>(std::clamp<long double>(r, std::numeric_limits<std::int32_t>::min(),
                                                             std::numeric_limits<std::int32_t>::max()));
}

bool startsWithAny(const QString &upper, std::initializer_list<const char *> prefixes)
{
    return std::any_of(prefixes.begin(), prefixes.end(),
                       [&upper](const char *p) { return upper.startsWith(QLatin1String(p)); });
}

} // namespace

struct Ploter::LinearTargets
{
    // Deltas of the wire ends in mm.
    long double dx1 = 0, dy1 = 0, dx2 = 0, dy2 = 0;
    // Z target and current Z in mm.
    long double zTarget = 0;
    long double zPosition = 0;
    // Whether Z has nothing to do (MoveTo: target 0; MoveBy: delta 0).
    bool zIdle = true;
};

// --- Models ------------------------------------------------------------------

bool Ploter::nameStartsWith(const char *prefix) const
{
    return m_state.plot.machineName.startsWith(QLatin1String(prefix));
}

void Ploter::SetModelDefaults()
{
    const QString &name = m_state.plot.machineName;
    const QString &family = m_state.plot.family;
    auto set = [this](int maxV, int maxWork, int wsp) {
        m_state.maxV = maxV;
        m_state.maxWorkSpeed = maxWork;
        m_state.wspV = wsp;
    };
    if (nameStartsWith("Vq") || nameStartsWith("Zf"))
        set(5000, 1500, 2);
    if (nameStartsWith("Q7"))
        set(3000, 3000, 2);
    if (name.left(2).toUpper() == QLatin1String("LJ")) {
        const int v = name.size() >= 8 && name[7] == QLatin1Char('m') ? 1200 : 2000;
        set(v, v, 3);
        m_state.lj = true;
    }
    const QChar first = name.isEmpty() ? QChar() : name[0].toUpper();
    if (first == QLatin1Char('P') || first == QLatin1Char('R') || IsFamily(family, QLatin1String("GZ")))
        set(3000, 1500, 2);
    if (IsFamily(family, QLatin1String("BN")))
        set(2000, 2000, 2);
    const MachineSwitches &sw = m_link.switches();
    if (const std::optional<int> v = sw.intValue(QStringLiteral("maxV")))
        set(*v, 5000, 2);
    if (const std::optional<int> v = sw.intValue(QStringLiteral("wspV")))
        m_state.wspV = *v;
}

bool Ploter::IsSpindleRotaryModel() const
{
    return startsWithAny(m_state.plot.machineName.toUpper(), {"R45", "R 45", "PQ45", "PQ 45"});
}

bool Ploter::HasMinimumPowerLimit() const
{
    return !m_link.switches().present(QStringLiteral("fullPower"))
           && startsWithAny(m_state.plot.machineName.toUpper(), {"R45", "R 45", "PQ45", "PQ 45", "PQ46", "PQ 46"});
}

bool Ploter::IsWideMachine() const
{
    const QString &family = m_state.plot.family;
    return (IsFamily(family, QLatin1String("GZ")) || IsFamily(family, QLatin1String("ZF")))
        && m_state.fcWidth >= 2000;
}

// --- Waits and heating ---------------------------------------------------------

bool Ploter::WaitWhileBusy()
{
    return WaitWhileBusy(m_waitLimitMs);
}

bool Ploter::WaitWhileBusy(std::int64_t limitMs)
{
    m_state.busyWait = true;
    const std::int64_t start = m_clock.nowMs();
    m_clock.sleepMs(1);
    bool ok = ReadStatus();
    while (ok && m_state.plot.has(StatusFlag::Moving | StatusFlag::Busy)) {
        if (m_clock.nowMs() - start > limitMs) {
            ok = false;
            break;
        }
        m_clock.sleepMs(1);
        ok = ReadStatus();
    }
    m_state.busyWait = false;
    return ok;
}

bool Ploter::waitUntilStill()
{
    const std::int64_t start = m_clock.nowMs();
    while (true) {
        if (!ReadStatus())
            return false;
        if (!m_state.plot.has(StatusFlag::Moving))
            return true;
        if (m_clock.nowMs() - start > m_waitLimitMs)
            return false;
        m_clock.sleepMs(1);
    }
}

bool Ploter::HeatWireAndWait()
{
    const bool sent = SendCommand(heatingSwitchCommand(true, 2));
    if (sent)
        m_clock.sleepMs(static_cast<std::int64_t>(std::nearbyint(m_settings.Pauza_w_kacie)));
    return sent;
}

bool Ploter::ToggleHeating()
{
    if (!ReadStatus())
        return false;
    const int channel = m_state.plot.powerChannel;
    if (m_state.plot.has(StatusFlag::HeatingOn)) {
        if (!SendCommand(heatingSwitchCommand(false, channel)))
            return false;
        m_clock.sleepMs(200);
        return true;
    }
    if (m_state.lj)
        return RampHeating(channel, m_state.plot.powerSetting * 100 / 255);
    if (!SendCommand(heatingSwitchCommand(true, channel)))
        return false;
    m_clock.sleepMs(200);
    return true;
}

bool Ploter::RampHeating(int channel, int percent)
{
    const int target = percent * 255 / 100;
    const long double pause = std::nearbyint(static_cast<long double>(m_settings.Pauza_w_kacie));
    const int steps = pause > 600 ? static_cast<int>(std::min<long double>(pause, 1e9L)) / 60 : 10;

    if (!SendCommand(heatingSwitchCommand(false, channel)))
        return false;
    m_clock.sleepMs(100);
    if (!SendCommand(heatingPowerCommand(channel, 4)))
        return false;
    m_clock.sleepMs(100);
    if (!SendCommand(heatingSwitchCommand(true, channel)))
        return false;
    for (int i = 1; i <= steps; ++i) {
        const int power = static_cast<int>(static_cast<long long>(i) * target / steps);
        if (!SendCommand(heatingPowerCommand(channel, power)))
            return false;
        if (power > 12) {
            // A broken wire (or blown fuse) must not get full power.
            if (!ReadStatus() || m_state.plot.has(StatusFlag::BrokenWire))
                return false;
        }
        if (!SendCommand(heatingSwitchCommand(true, channel)))
            return false;
    }
    return true;
}

// --- Moves ---------------------------------------------------------------------

double Ploter::unitFactor() const
{
    const long double f = Units::factor(m_settings.radiounit);
    return f > 0 ? static_cast<double>(f) : 1.0;
}

bool Ploter::useTableForRotary() const
{
    return m_settings.StolikSwitch == 1 && !IsSpindleRotaryModel();
}

int Ploter::rotaryStepsPerTurn(bool table) const
{
    return table ? m_state.resS : m_state.resW;
}

bool Ploter::sendMove(const TAxisDeltas &deltas)
{
    const TMoveCommand move = BuildMoveCommand('A', m_state.wspV, deltas);
    return move.bytes.empty() || SendCommand(toByteArray(move.bytes));
}

bool Ploter::moveWire(const LinearTargets &t, double rotaryTurns, bool useTable)
{
    const bool xyMoves = t.dx1 != 0 || t.dy1 != 0 || t.dx2 != 0 || t.dy2 != 0;
    if (!xyMoves && rotaryTurns == 0 && t.zIdle)
        return true;

    if (!HeatWireAndWait())
        return false;
    m_clock.sleepMs(static_cast<std::int64_t>(std::nearbyint(m_settings.CzasRozgrzewania)));
    if (rotaryTurns != 0 && m_settings.Heavy != CheckState::Unchecked) {
        QByteArray heavy("S");
        heavy.append(static_cast<char>(2));
        heavy.append(int32Bytes(1));
        if (!SendCommand(heavy))
            return false;
    }

    long double zDelta = t.zTarget - t.zPosition;
    if (xyMoves && m_state.plot.Z != 0) {
        // The wire never travels with Z up: lower it first.
        TAxisDeltas z;
        z.z = toSteps(-static_cast<long double>(m_state.plot.Z) * m_state.resZ);
        if (!sendMove(z) || !WaitWhileBusy())
            return false;
        zDelta = t.zTarget;
    }

    TAxisDeltas wire;
    wire.x1 = toSteps(t.dx1 * 100 * m_state.resX);
    wire.x2 = toSteps(t.dx2 * 100 * m_state.resX);
    wire.y1 = toSteps(t.dy1 * 100 * m_state.resY);
    wire.y2 = toSteps(t.dy2 * 100 * m_state.resY);
    if (!sendMove(wire))
        return false;

    if (zDelta != 0) {
        TAxisDeltas z;
        z.z = toSteps(zDelta * 100 * m_state.resZ);
        if (!WaitWhileBusy() || !sendMove(z))
            return false;
    }
    if (rotaryTurns != 0) {
        TAxisDeltas r;
        const std::int32_t steps = toSteps(static_cast<long double>(rotaryTurns) * rotaryStepsPerTurn(useTable));
        (useTable ? r.s : r.w) = steps;
        if (!WaitWhileBusy() || !sendMove(r))
            return false;
        m_state.rotaryMoved = true;
    }
    return true;
}

bool Ploter::MoveTo(bool front, bool back, double x, double y, double z, double angle)
{
    // Never move from positions that were not read.
    if (!waitUntilStill() || !ReadPositions())
        return false;
    const tplotstate &p = m_state.plot;
    const long double f = unitFactor();
    const long double X = std::min<long double>(std::max(0.0, x), m_state.limitX / f) * f;
    const long double Y = std::min<long double>(std::max(0.0, y), m_state.limitY / f) * f;
    const long double Z = std::min<long double>(std::max(0.0, z), m_state.limitZ / f) * f;

    const bool table = useTableForRotary();
    const int perTurn = rotaryStepsPerTurn(table);
    double turns = 0;
    if (perTurn != 0) {
        long double a = static_cast<long double>(angle) / 360;
        a -= std::floor(a);
        turns = static_cast<double>(a - static_cast<long double>(table ? p.S : p.W) / perTurn);
    }

    LinearTargets t;
    t.dx1 = X - p.X1 / 100.0L;
    t.dx2 = X - p.X2 / 100.0L;
    t.dy2 = Y - p.Y2 / 100.0L;
    long double y1 = Y;
    if (nameStartsWith("Q7") && front && !back)
        y1 = std::max(Y, p.Y2 / 100.0L + 10);
    t.dy1 = y1 - p.Y1 / 100.0L;
    t.zTarget = Z;
    t.zPosition = p.Z / 100.0L;
    t.zIdle = Z == 0;
    return moveWire(t, turns, table);
}

bool Ploter::MoveSelectedArmsTo(bool front, bool back, double x, double y)
{
    if (!waitUntilStill() || !ReadPositions())
        return false;
    const tplotstate &p = m_state.plot;
    const long double X = std::clamp<long double>(x, 0, m_state.limitX);
    const long double Y = std::clamp<long double>(y, 0, m_state.limitY);
    LinearTargets t;
    if (front) {
        long double y1 = Y;
        if (nameStartsWith("Q7") && !back)
            y1 = std::max(Y, p.Y2 / 100.0L + 10);
        t.dx1 = X - p.X1 / 100.0L;
        t.dy1 = y1 - p.Y1 / 100.0L;
    }
    if (back) {
        t.dx2 = X - p.X2 / 100.0L;
        t.dy2 = Y - p.Y2 / 100.0L;
    }
    t.zTarget = t.zPosition = p.Z / 100.0L;
    return moveWire(t, 0, useTableForRotary());
}

bool Ploter::MoveBy(bool front, bool back, double dx, double dy, double dz, double angle)
{
    if (!waitUntilStill() || !ReadPositions())
        return false;
    const tplotstate &p = m_state.plot;
    const long double f = unitFactor();
    // Cut a delta so that every position it moves stays within 0 .. travel.
    auto cut = [](long double delta, long double travel, std::initializer_list<long double> positions) {
        for (long double pos : positions)
            delta = std::clamp(delta, -pos, travel - pos);
        return delta;
    };
    const long double X = cut(dx * f, m_state.limitX, {p.X1 / 100.0L, p.X2 / 100.0L});
    long double Y = cut(dy * f, m_state.limitY, {p.Y1 / 100.0L, p.Y2 / 100.0L});
    const long double Zd = cut(dz * f, m_state.limitZ, {p.Z / 100.0L});

    LinearTargets t;
    t.dx1 = X;
    t.dx2 = X;
    t.dy2 = Y;
    t.dy1 = Y;
    if (nameStartsWith("Q7") && front && !back) {
        const long double y1 = std::max(p.Y1 / 100.0L + Y, p.Y2 / 100.0L + Y + 10);
        t.dy1 = y1 - p.Y1 / 100.0L;
    }
    t.zPosition = p.Z / 100.0L;
    t.zTarget = t.zPosition + Zd;
    t.zIdle = Zd == 0;
    return moveWire(t, angle / 360.0, useTableForRotary());
}

bool Ploter::heatForJog()
{
    if (m_state.lj)
        return RampHeating(2, m_state.plot.powerSetting * 100 / 255);
    if (!SendCommand(heatingSwitchCommand(true, 2)))
        return false;
    m_clock.sleepMs(static_cast<std::int64_t>(std::nearbyint(m_settings.Pauza_w_kacie)));
    return true;
}

namespace {

struct JogDirection
{
    int x = 0, y = 0, z = 0;
    int spindleTurns = 0;
    int rotaryTurns = 0; // spindle or table by model
    bool diagonal = false;
};

JogDirection jogDirection(int key)
{
    JogDirection d;
    switch (key) {
    case JogKey::Left: case JogKey::Numpad4: d.x = -1; break;
    case JogKey::Right: case JogKey::Numpad6: d.x = 1; break;
    case JogKey::Up: case JogKey::Numpad8: d.y = 1; break;
    case JogKey::Down: case JogKey::Numpad2: d.y = -1; break;
    case JogKey::Numpad1: d = {-1, -1, 0, 0, 0, true}; break;
    case JogKey::Numpad3: d = {1, -1, 0, 0, 0, true}; break;
    case JogKey::Numpad7: d = {-1, 1, 0, 0, 0, true}; break;
    case JogKey::Numpad9: d = {1, 1, 0, 0, 0, true}; break;
    case JogKey::F7: d.z = -1; break;
    case JogKey::F8: d.z = 1; break;
    case JogKey::PageUp: d.spindleTurns = -10; break;
    case JogKey::PageDown: d.spindleTurns = 10; break;
    case JogKey::Comma: d.rotaryTurns = -10; break;
    case JogKey::Period: d.rotaryTurns = 10; break;
    default: break;
    }
    return d;
}

// Distance (0.01 mm) an axis can go in a direction: to its end when homed,
// a whole travel otherwise.
long long reach(int direction, long long position, long long travel, bool homed)
{
    if (direction == 0)
        return 0;
    if (!homed)
        return travel;
    return std::max(0LL, direction < 0 ? position : travel - position);
}

} // namespace

bool Ploter::JogByKey(int key, bool front, bool back)
{
    if (!WaitWhileBusy())
        return false;
    const tplotstate &p = m_state.plot;
    const JogDirection d = jogDirection(key);
    const long long tx = 100LL * m_state.limitX, ty = 100LL * m_state.limitY, tz = 100LL * m_state.limitZ;
    const bool homed = p.has(StatusFlag::Homed) || d.diagonal;

    const long long x1 = reach(d.x, p.X1, tx, homed), x2 = reach(d.x, p.X2, tx, homed);
    const long long y1 = reach(d.y, p.Y1, ty, homed), y2 = reach(d.y, p.Y2, ty, homed);
    long double dx1 = 0, dx2 = 0, dy1 = 0, dy2 = 0;
    if (front && back) {
        dx1 = dx2 = static_cast<long double>(d.x) * std::min(x1, x2);
        dy1 = dy2 = static_cast<long double>(d.y) * std::min(y1, y2);
    } else if (front) {
        dx1 = static_cast<long double>(d.x) * x1;
        dy1 = static_cast<long double>(d.y) * y1;
    } else if (back) {
        dx2 = static_cast<long double>(d.x) * x2;
        dy2 = static_cast<long double>(d.y) * y2;
    }

    TAxisDeltas m;
    m.x1 = toSteps(dx1 * m_state.resX);
    m.x2 = toSteps(dx2 * m_state.resX);
    m.y1 = toSteps(dy1 * m_state.resY);
    m.y2 = toSteps(dy2 * m_state.resY);
    m.z = toSteps(static_cast<long double>(d.z) * reach(d.z, p.Z, tz, p.has(StatusFlag::Homed)) * m_state.resZ);
    const bool spindleForRotary = IsSpindleRotaryModel();
    m.w = toSteps(static_cast<long double>(d.spindleTurns) * m_state.resW);
    if (d.rotaryTurns != 0) {
        if (spindleForRotary)
            m.w = toSteps(static_cast<long double>(d.rotaryTurns) * m_state.resW);
        else
            m.s = toSteps(static_cast<long double>(d.rotaryTurns) * m_state.resS);
    }
    const bool rotary = m.s != 0 || m.w != 0;
    if (m.x1 == 0 && m.x2 == 0 && m.y1 == 0 && m.y2 == 0 && m.z == 0 && !rotary)
        return true;

    if (!heatForJog())
        return false;
    if (rotary && m_settings.Heavy != CheckState::Unchecked) {
        QByteArray heavy("S");
        heavy.append(static_cast<char>(2));
        heavy.append(int32Bytes(1));
        if (!SendCommand(heavy))
            return false;
    }
    if (!sendMove(m))
        return false;
    if (rotary)
        m_state.rotaryMoved = true;
    return true;
}

bool Ploter::JogByKeyTwoArms(int key, bool front, bool back)
{
    if (!WaitWhileBusy())
        return false;
    const tplotstate &p = m_state.plot;
    const JogDirection d = jogDirection(key);
    if (d.z != 0 || d.spindleTurns != 0 || d.rotaryTurns != 0)
        return JogByKey(key, front, back);
    const long long tx = 100LL * m_state.limitX, ty = 100LL * m_state.limitY;
    const bool homed = p.has(StatusFlag::Homed) || d.diagonal;
    // The two wire ends keep 10 mm between them in Y: the front above.
    constexpr long long gap = 1000;

    TAxisDeltas m;
    if (front) {
        long long y = reach(d.y, p.Y1, ty, homed);
        if (d.y < 0)
            y = std::min(y, std::max(0LL, static_cast<long long>(p.Y1) - p.Y2 - gap));
        m.x1 = toSteps(static_cast<long double>(d.x) * reach(d.x, p.X1, tx, homed) * m_state.resX);
        m.y1 = toSteps(static_cast<long double>(d.y) * y * m_state.resY);
    }
    if (back) {
        long long y = reach(d.y, p.Y2, ty, homed);
        if (d.y > 0)
            y = std::min(y, std::max(0LL, static_cast<long long>(p.Y1) - gap - p.Y2));
        m.x2 = toSteps(static_cast<long double>(d.x) * reach(d.x, p.X2, tx, homed) * m_state.resX);
        m.y2 = toSteps(static_cast<long double>(d.y) * y * m_state.resY);
    }
    if (m.x1 == 0 && m.x2 == 0 && m.y1 == 0 && m.y2 == 0)
        return true;
    if (!heatForJog())
        return false;
    for (const auto &[selected, arm] : {std::pair{front, 0}, std::pair{back, 5}}) {
        if (!selected)
            continue;
        QByteArray select("S");
        select.append(static_cast<char>(4));
        select.append(int32Bytes(arm));
        if (!SendCommand(select))
            return false;
    }
    return sendMove(m);
}
