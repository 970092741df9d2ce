#include "drawing/jobwriter.h"

#include "app/machinefamily.h"
#include "drawing/jobbytes.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// The job is assembled in memory and handed to the output in large pieces.
constexpr std::size_t FlushThreshold = 1 << 20;

// The corner test: the wire pauses when either end turns by about 29.5
// degrees (arccos 0.87) or more.
constexpr double CornerLimit = 0.87;

bool isChecked(CheckState state)
{
    return state == CheckState::Checked;
}

} // namespace

double CornerCos3D(const std::array<std::int64_t, 3> &p0, const std::array<std::int64_t, 3> &p1,
                   const std::array<std::int64_t, 3> &p2)
{
    // Squared side lengths are taken exactly; only b and c need a root.
    auto squared = [](const std::array<std::int64_t, 3> &p, const std::array<std::int64_t, 3> &q) {
        long double sum = 0.0L;
        for (int i = 0; i < 3; ++i) {
            const long double d = static_cast<long double>(p[i]) - static_cast<long double>(q[i]);
            sum += d * d;
        }
        return sum;
    };
    const long double a2 = squared(p0, p2);
    const long double b2 = squared(p0, p1);
    const long double c2 = squared(p1, p2);
    if (b2 == 0.0L || c2 == 0.0L)
        return 1.0;
    return static_cast<double>(-(b2 + c2 - a2) / (2.0L * std::sqrt(b2 * c2)));
}

double CornerValue(const JobPositions &a, const JobPositions &b, const JobPositions &c)
{
    // Front wire end: X1, Y1 and the table; back wire end: X2, Y2 and the spindle.
    auto pick = [](const JobPositions &p, int i, int j, int k) {
        return std::array<std::int64_t, 3> {p[i], p[j], p[k]};
    };
    const double front = CornerCos3D(pick(a, 0, 1, 3), pick(b, 0, 1, 3), pick(c, 0, 1, 3));
    const double back = CornerCos3D(pick(a, 4, 5, 7), pick(b, 4, 5, 7), pick(c, 4, 5, 7));
    return std::min(front, back);
}

namespace {

// Whether the corner value of three points is at most the limit (0 <= limit
// < 1), without its square root and division: with u and w the two steps,
// the value is u.w / (|u| |w|), and for u.w > 0 it is at most the limit
// exactly when (u.w)^2 <= limit^2 |u|^2 |w|^2.
bool cornerAtMost(const JobPositions &p0, const JobPositions &p1, const JobPositions &p2, int i, int j, int k,
                  long double limit)
{
    // The steps between positions are differences of 32-bit values; their
    // products and sums are exact in 64 bits below 2^30 per step, which is
    // every move a machine can make.
    std::int64_t u[3];
    std::int64_t w[3];
    bool small = true;
    int n = 0;
    for (const int a : {i, j, k}) {
        u[n] = std::int64_t {p1[a]} - p0[a];
        w[n] = std::int64_t {p2[a]} - p1[a];
        small = small && u[n] > -(1 << 30) && u[n] < (1 << 30) && w[n] > -(1 << 30) && w[n] < (1 << 30);
        ++n;
    }
    if (!small) {
        std::array<std::int64_t, 3> a {p0[i], p0[j], p0[k]};
        std::array<std::int64_t, 3> b {p1[i], p1[j], p1[k]};
        std::array<std::int64_t, 3> c {p2[i], p2[j], p2[k]};
        return CornerCos3D(a, b, c) <= static_cast<double>(limit);
    }
    const std::int64_t uu = u[0] * u[0] + u[1] * u[1] + u[2] * u[2];
    const std::int64_t ww = w[0] * w[0] + w[1] * w[1] + w[2] * w[2];
    const std::int64_t uw = u[0] * w[0] + u[1] * w[1] + u[2] * w[2];
    if (uu == 0 || ww == 0)
        return 1.0L <= limit; // a side of length 0 counts as straight on
    if (uw <= 0)
        return true;
    // The comparison below is the rule; the same products in double lie
    // within 2^-49 of the exact ones and the extended ones within 2^-61, so
    // where the double sides differ by more than 2^-40 the extended
    // comparison comes out the same. Only a corner within a hair of the
    // limit is compared in the extended type.
    const double du = static_cast<double>(uw);
    const double left = du * du;
    const double right = static_cast<double>(limit) * static_cast<double>(limit) * static_cast<double>(uu)
        * static_cast<double>(ww);
    if (left < right * (1.0 - 0x1p-40))
        return true;
    if (left > right * (1.0 + 0x1p-40))
        return false;
    const long double d = static_cast<long double>(uw);
    return d * d <= limit * limit * static_cast<long double>(uu) * static_cast<long double>(ww);
}

} // namespace

bool IsCorner(const JobPositions &a, const JobPositions &b, const JobPositions &c)
{
    if (cornerAtMost(a, b, c, 0, 1, 3, CornerLimit))
        return true;
    // Both wire ends usually follow one path: the back end's test would
    // repeat the front end's on the same numbers.
    const auto sameEnds = [](const JobPositions &p) { return p[0] == p[4] && p[1] == p[5] && p[3] == p[7]; };
    if (sameEnds(a) && sameEnds(b) && sameEnds(c))
        return false;
    return cornerAtMost(a, b, c, 4, 5, 7, CornerLimit);
}

std::uint16_t SpeedToPeriod(long double mmPerMinute, double resX)
{
    // The argument travels as an unsigned 16-bit speed; below 21 counts as 20.
    long double v = std::clamp(mmPerMinute, 0.0L, 65535.0L);
    if (!(v >= 21.0L))
        v = 20.0L;
    if (!(resX > 0.0) || !std::isfinite(resX))
        return 65535;
    const long double period = 1000000.0L / resX / (v * 100.0L / 60.0L) / 0.8L;
    return static_cast<std::uint16_t>(std::clamp(std::nearbyint(period), 0.0L, 65535.0L));
}

std::uint16_t SpeedCommandPeriod(long double mmPerMinute, std::int32_t wspV, double resX)
{
    // The controller reads the period as a signed 16-bit number: a longer
    // one would arrive negative, so it is held at the slowest it can read.
    return std::min<std::uint16_t>(SpeedToPeriod(std::nearbyint(mmPerMinute * wspV), resX), 32767);
}

TJobWriter::TJobWriter(const Settings &settings, const JobMachineParams &machine, const JobStartState &start,
                       JobLiveEffects *effects, JobWriterCarry *carry)
    : m_settings(settings)
    , m_machine(machine)
    , m_start(start)
    , m_effects(effects)
    , m_carry(carry ? carry : &m_ownCarry)
{ }

TJobWriter::~TJobWriter()
{
    if (m_output && m_open)
        m_output->discard();
}

bool TJobWriter::BeginJob(const QString &fileName)
{
    return BeginJob(std::make_unique<SaveFileJobOutput>(fileName));
}

bool TJobWriter::BeginJob(std::unique_ptr<JobOutput> output)
{
    const int type = m_start.jobType;
    m_position.fill(0);
    if (type == TJobType::TurningSpindle) {
        m_position[0] = m_position[4] = RoundToInt32(m_start.firstEntryMm * 100.0L * m_machine.resX);
    } else if (type == TJobType::TurningTable) {
        m_position[1] = m_position[5] = RoundToInt32(m_start.firstEntryMm * 100.0L * m_machine.resY);
    }
    m_carry->LastPositions.fill(m_position);

    m_output = std::move(output);
    // Room for one move past the threshold: moves are built in place.
    m_buffer.resize(FlushThreshold + MaxMoveCommandLength);
    m_used = 0;
    m_failed = false;
    m_failure = {};
    m_open = m_output && m_output->open();
    if (!m_open) {
        fail();
        return false;
    }

    // The arm selection goes to the machine at once, not into the job; what
    // the link answers does not stop the writing.
    if (m_effects) {
        if (IsFamily(m_machine.familyCode, QLatin1String("Q7")))
            m_effects->sendArmSelection(m_start.KeyFront ? 0 : 5);
        else
            m_effects->sendArmSelection(m_settings.PowerOutput);
    }
    writeOpening();
    return !m_failed;
}

void TJobWriter::writeOpening()
{
    const int type = m_start.jobType;
    const auto startEdgeX = RoundToInt32(m_start.StartEdgeX * 100.0L * m_machine.resX);
    const auto startEdgeY = RoundToInt32(m_start.StartEdgeY * 100.0L * m_machine.resY);
    switch (type) {
    case TJobType::TurningSpindle:
    case TJobType::RotarySpindle:
        m_wireSelector = type == TJobType::TurningSpindle ? 3 : 1;
        m_position[1] = m_position[5] = startEdgeY;
        break;
    case TJobType::TurningTable:
        m_wireSelector = 3;
        m_position[0] = m_position[4] = startEdgeX;
        break;
    case TJobType::RotaryTable:
        m_wireSelector = 1;
        m_position[1] = m_position[5] = startEdgeY;
        m_position[0] = m_position[4] = startEdgeX;
        break;
    case TJobType::Flat:
        m_wireSelector = m_settings.PowerOutput == 1 ? 3 : 1;
        break;
    case TJobType::SerialTable:
        m_wireSelector = 1;
        break;
    default:
        return;
    }
    writeSpeed(0, m_settings.PrzeSpeed);
    writeSpeed(1, m_settings.szybkoscObrobki);
    WriteHeating();
    heatingOn();
    m_carry->HeatUpPending = true;
    if (type == TJobType::Flat) {
        sync();
        speedMode(1);
        WritePause(RoundToInt64(m_settings.CzasRozgrzewania));
    } else if (type == TJobType::SerialTable) {
        speedMode(1);
    }
}

JobWriteStatus TJobWriter::EndJob()
{
    if (!m_open)
        return m_failed ? m_failure : JobWriteStatus {false, WriteFailedSection, WriteFailedKey};
    writeClosing();
    flush();
    m_open = false;
    if (m_failed) {
        m_output->discard();
        return m_failure;
    }
    if (!m_output->commit())
        return {false, WriteFailedSection, WriteFailedKey};
    return {};
}

std::string TJobWriter::EmitMove(double X1, double X2, double Y1, double Y2, double S, double W, double Z,
                                 double Third)
{
    std::uint8_t records[MaxMoveCommandLength];
    const EmittedMove emitted = emitMove(records, X1, X2, Y1, Y2, S, W, Z, Third);
    std::string move(reinterpret_cast<const char *>(records), emitted.length);
    if (emitted.corner)
        AppendPause(move, RoundToInt64(m_settings.Pauza_w_kacie));
    return move;
}

TJobWriter::EmittedMove TJobWriter::emitMove(std::uint8_t *out, double X1, double X2, double Y1, double Y2,
                                             double S, double W, double Z, double Third)
{
    const JobMachineParams &m = m_machine;
    auto steps = [](double res, double mm) { return RoundMmToSteps(res, mm); };
    auto delta = [](std::int32_t target, std::int32_t position) {
        return ClampToInt32(static_cast<std::int64_t>(target) - position);
    };
    // Both wire ends usually share their targets; each is rounded once.
    const std::int32_t tX1 = steps(m.resX, X1);
    const std::int32_t tY1 = steps(m.resY, Y1);
    const std::int32_t dX1 = delta(tX1, m_position[0]);
    const std::int32_t dX2 = delta(X2 == X1 ? tX1 : steps(m.resX, X2), m_position[4]);
    const std::int32_t dY1 = delta(tY1, m_position[1]);
    const std::int32_t dY2 = delta(Y2 == Y1 ? tY1 : steps(m.resY, Y2), m_position[5]);
    const std::int32_t dZ = delta(Z == 0.0 ? 0 : steps(m.resZ, Z), m_position[2]);
    auto turns = [](std::int32_t stepsPerTurn, double t) {
        return t == 0.0 ? 0 : RoundTurnsToSteps(stepsPerTurn, t);
    };
    std::int32_t dS = 0;
    std::int32_t dW = 0;
    if (m.spindleRotaryModel) {
        // These machines have one rotary axis, the spindle; table turns drive it.
        dW = S != 0.0 ? turns(m.resS, S) : turns(m.resW, W);
    } else {
        dS = turns(m.resS, S);
        dW = turns(m.resW, W);
    }
    const std::int32_t dThird = turns(m.res3, Third);

    const TAxisDeltas deltas {dX1, dX2, dY1, dY2, dS, dW, dZ, dThird};
    const TMoveTicks count = MoveTicks(m.wspV, deltas);
    if (count.overflow) {
        // A move too long for its tick count field cannot be written; the
        // rest of the job would start from the wrong place.
        fail();
        return {};
    }
    if (count.ticks < 1)
        return {};
    const std::size_t length = EncodeMoveCommand('a', deltas, static_cast<std::int32_t>(count.ticks), out);

    // The newest of the last positions is written element by element along
    // with the position: copying the position whole right after its
    // elements were stored would wait for those stores on every move.
    auto &last = m_carry->LastPositions;
    last[0] = last[1];
    last[1] = last[2];
    auto add = [this, &last](int index, std::int32_t d) {
        last[2][index] = m_position[index] = ClampToInt32(static_cast<std::int64_t>(m_position[index]) + d);
    };
    add(0, dX1);
    add(4, dX2);
    add(1, dY1);
    add(5, dY2);
    add(2, dZ);
    add(3, m.spindleRotaryModel ? dW : dS);
    add(7, dW);
    add(6, dThird);
    return {length, IsCorner(last[0], last[1], last[2])};
}

void TJobWriter::writeMove(double X1, double X2, double Y1, double Y2, double S, double W, double Z,
                           double Third)
{
    if (!m_open || m_failed)
        return;
    // The buffer always has room for one move past the flush threshold: the
    // records are built in place.
    const EmittedMove emitted
        = emitMove(reinterpret_cast<std::uint8_t *>(m_buffer.data()) + m_used, X1, X2, Y1, Y2, S, W, Z, Third);
    m_used += emitted.length;
    if (emitted.corner) {
        std::string pause;
        AppendPause(pause, RoundToInt64(m_settings.Pauza_w_kacie));
        write(pause);
    } else if (m_used >= FlushThreshold) {
        flush();
    }
}

void TJobWriter::MoveArmsScaled(std::int32_t x, std::int32_t y, bool front, bool back)
{
    if (!front && !back)
        return;
    const double xs = UnitsToMmFast(RoundScaledUnits(m_settings.skala, x));
    const double ys = UnitsToMmFast(RoundScaledUnits(m_settings.skala, y));
    if (front && back)
        writeMove(xs, xs, ys, ys);
    else if (front)
        writeMove(xs, 0, ys, 0);
    else
        writeMove(0, xs, 0, ys);
}

void TJobWriter::MoveWireEndsScaled(std::int32_t x1, std::int32_t x2, std::int32_t y1, std::int32_t y2)
{
    auto scaled = [this](std::int32_t v) { return UnitsToMmFast(RoundScaledUnits(m_settings.skala, v)); };
    writeMove(scaled(x1), scaled(x2), scaled(y1), scaled(y2));
}

void TJobWriter::WritePause(long long n)
{
    std::string bytes;
    AppendPause(bytes, n);
    write(bytes);
}

double TJobWriter::currentX1() const
{
    return static_cast<double>(m_position[0] / 100.0L / m_machine.resX);
}

double TJobWriter::currentX2() const
{
    return static_cast<double>(m_position[4] / 100.0L / m_machine.resX);
}

double TJobWriter::currentY1() const
{
    return static_cast<double>(m_position[1] / 100.0L / m_machine.resY);
}

double TJobWriter::currentY2() const
{
    return static_cast<double>(m_position[5] / 100.0L / m_machine.resY);
}

double TJobWriter::currentZ() const
{
    return static_cast<double>(m_position[2] / 100.0L / m_machine.resZ);
}

void TJobWriter::RotateTo(double table, double spindle)
{
    if (isChecked(m_settings.Heavy) && (table != 0.0 || spindle != 0.0)) {
        sync();
        setting(2, 1);
    }
    writeMove(currentX1(), currentX2(), currentY1(), currentY2(), table, spindle, currentZ(), 0);
}

void TJobWriter::SetPosition(std::int32_t x, std::int32_t y, std::int32_t rotary)
{
    m_position[0] = m_position[4] = RoundToInt32(static_cast<long double>(UnitsToMm(x)) * 100.0L);
    m_position[1] = m_position[5] = RoundToInt32(static_cast<long double>(UnitsToMm(y)) * 100.0L);
    m_position[3] = m_position[7] = rotary;
    m_position[2] = m_position[6] = 0;
}

double TJobWriter::PowerValue(double power) const
{
    if (m_machine.LJ)
        return power * 255.0 / 100.0; // a percentage
    return power * 10.0 * m_machine.PowerFactor;
}

void TJobWriter::WriteHeating()
{
    const long long value = RoundToInt64(PowerValue(m_settings.work_power));
    // One byte on the old protocol: 30 A is 300, which must not wrap to 44.
    const std::int32_t power = m_machine.newProtocol
        ? ClampToInt32(value)
        : static_cast<std::int32_t>(std::clamp<long long>(value, 0, 255));
    writeBytes(PowerCommand(m_wireSelector, power, m_machine.newProtocol));
}

void TJobWriter::writeBytes(const TBytes &bytes)
{
    write({reinterpret_cast<const char *>(bytes.data()), bytes.size()});
}

void TJobWriter::sync()
{
    writeBytes(PauseCommand(1));
}

void TJobWriter::speedMode(std::uint8_t mode)
{
    writeBytes(SpeedModeCommand(mode));
}

void TJobWriter::setting(std::uint8_t number, std::int32_t value)
{
    writeBytes(SettingCommand(number, value));
}

void TJobWriter::heatingOn()
{
    writeBytes(HeatingOnCommand(m_wireSelector));
}

void TJobWriter::heatingOff()
{
    writeBytes(HeatingOffCommand());
}

void TJobWriter::writeSpeed(std::uint8_t mode, long double mmPerMinute)
{
    const std::uint16_t period = SpeedCommandPeriod(mmPerMinute, m_machine.wspV, m_machine.resX);
    writeBytes(SpeedCommand(mode, static_cast<std::int16_t>(period)));
}

void TJobWriter::fail(const char *section, const char *key)
{
    if (m_failed)
        return;
    m_failed = true;
    m_failure = {false, section, key};
}

void TJobWriter::write(std::string_view bytes)
{
    while (m_open && !m_failed && !bytes.empty()) {
        const std::size_t n = std::min(bytes.size(), m_buffer.size() - m_used);
        std::memcpy(m_buffer.data() + m_used, bytes.data(), n);
        m_used += n;
        bytes.remove_prefix(n);
        if (m_used >= FlushThreshold)
            flush();
    }
}

void TJobWriter::flush()
{
    if (!m_open || m_used == 0)
        return;
    if (!m_failed && !m_output->write({m_buffer.data(), m_used}))
        fail();
    m_used = 0;
}
