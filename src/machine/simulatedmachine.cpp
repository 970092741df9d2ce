#include "machine/simulatedmachine.h"

#include "app/machinefamily.h"
#include "drawing/jobformat.h"
#include "machine/machinestate.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// The heating channels of the wire: "R" x 2 is the wire, 1 and 3 the two
// power outputs that feed it.
constexpr int kWireChannel = 2;
constexpr int kWireOutputs[] = {1, 3};

std::int32_t int32At(const QByteArray &c, int at)
{
    if (c.size() < at + 4)
        return 0;
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<std::uint8_t>(c[at + i]);
    return static_cast<std::int32_t>(v);
}

std::int16_t int16At(const QByteArray &c, int at)
{
    if (c.size() < at + 2)
        return 0;
    return static_cast<std::int16_t>(static_cast<std::uint8_t>(c[at]) | (static_cast<std::uint8_t>(c[at + 1]) << 8));
}

std::uint8_t byteAt(const QByteArray &c, int at)
{
    return c.size() > at ? static_cast<std::uint8_t>(c[at]) : 0;
}

void put(HidReply &r, int at, std::uint64_t value, int size)
{
    for (int i = 0; i < size; ++i)
        r[static_cast<std::size_t>(at + i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

} // namespace

SimulatedMachine::SimulatedMachine(MachineClock &clock, SimulatedMachineConfig config)
    : m_clock(clock)
    , m_config(std::move(config))
    , m_program(static_cast<std::uint32_t>(m_config.firmwareMajor) << 8 | m_config.firmwareMinor)
{
    m_lastDrainMs = m_clock.nowMs();
    m_jobClockUs = nowUs();
    // The period the program would send for each speed: a tick of the
    // controller lasts period x 0.8 us, and a step takes wspV ticks.
    const long double res = static_cast<long double>(m_config.resX) / 16777216.0L;
    for (int mode = 0; mode < 5; ++mode) {
        const long double speed
            = std::max(1, mode == 0 || mode == 4 ? m_config.travelSpeed : m_config.workingSpeed);
        const long double period
            = res > 0 ? 1000000.0L / res / (speed * 100.0L / 60.0L) / 0.8L / std::max(1, m_config.wspV) : 1;
        m_periods[static_cast<std::size_t>(mode)]
            = static_cast<std::int32_t>(std::clamp<long double>(std::nearbyint(period), 1, 32767));
    }
    setImageVersion(m_program.words(m_clock.nowMs()), m_config.firmwareMajor, m_config.firmwareMinor);
}

int SimulatedMachine::commandLength(const std::uint8_t *command) const
{
    // Live commands whose layout differs from the job-file length table: the
    // controller knows them by letter and sub-command.
    switch (command[0]) {
    case 'U': return 9;
    case 'S':
        switch (command[1]) {
        case 9:
        case 11:
            return 2;
        case 13: return 4;
        default: break;
        }
        break;
    default: break;
    }
    return std::max(1, ::commandLength(command[0], newProtocol()).value_or(1));
}

void SimulatedMachine::pressButton(Button button)
{
    switch (button) {
    case Button::Start: m_buttons |= 1u << 3; break;
    case Button::Pause: m_buttons |= 1u << 4; break;
    case Button::Continue: m_buttons |= 1u << 5; break;
    }
}

int SimulatedMachine::receiveReport(const HidReport &report)
{
    update();
    if (m_failWrites > 0 && m_writesBeforeFailure > 0) {
        --m_writesBeforeFailure;
    } else if (m_failWrites > 0) {
        --m_failWrites;
        return m_writeError;
    }
    m_reports.push_back(report);
    countReportForPull();
    const char letter = static_cast<char>(report[1]);
    if (letter != 0) {
        const int length = std::min(commandLength(report.data() + 1), kHidReportSize - 1);
        const QByteArray command(reinterpret_cast<const char *>(report.data() + 1), length);
        m_commands.push_back(command);
        if (letter >= 'a' && letter <= 'z')
            queueJobCommand(command);
        else
            execute(command);
    }
    if (m_generalFailures > 0) {
        --m_generalFailures;
        return HidError::GeneralFailure;
    }
    return HidError::Ok;
}

void SimulatedMachine::queueJobCommand(const QByteArray &command)
{
    m_jobBytes.append(command);
    ++m_jobCommandsReceived;
    m_lastJobInputMs = m_clock.nowMs();
    if (static_cast<int>(m_queue.size()) >= m_config.queueCapacity) {
        ++m_overflows; // a real controller loses it
        return;
    }
    m_queue.push_back(command);
}

void SimulatedMachine::execute(const QByteArray &c)
{
    const std::int64_t now = m_clock.nowMs();
    switch (c[0]) {
    case 'A': {
        const std::uint8_t tag = byteAt(c, 1);
        if (tag == 0xFF) {
            m_moveOpen = true;
            m_moveDelta.fill(0);
        } else if (tag < 8) {
            m_moveDelta[tag] = int32At(c, 2);
        } else if (tag == 0xFE && m_moveOpen) {
            m_moveOpen = false;
            // A running job holds the axes: a direct move waits for no one.
            if (!(m_moving && m_motion.job))
                startMotion(m_moveDelta, int32At(c, 2), false, false, nowUs());
        }
        break;
    }
    case 'B': {
        if (m_moving && m_motion.job)
            break;
        std::uint8_t mask = byteAt(c, 1);
        // One drive per axis carries both wire ends: homing it homes both.
        if (!HasSeparateEndDrives(m_config.product)) {
            if (mask & (1u << Axis::X1))
                mask |= 1u << Axis::X2;
            if (mask & (1u << Axis::Y1))
                mask |= 1u << Axis::Y2;
        }
        std::array<std::int32_t, 8> delta{};
        long long longest = 0;
        for (int axis = 0; axis < 8; ++axis) {
            if (mask & (1u << axis)) {
                delta[static_cast<std::size_t>(axis)] = -rawPosition(axis);
                longest = std::max<long long>(longest, std::llabs(delta[static_cast<std::size_t>(axis)]));
            }
        }
        startMotion(delta, longest * std::max(1, m_config.wspV), true, false, nowUs());
        break;
    }
    case 'C':
        clearJob();
        break;
    case 'F':
        if (byteAt(c, 1) <= 3)
            m_speedMode = byteAt(c, 1);
        break;
    case 'G':
        m_paused = false;
        m_restoreHeating = false;
        if (!m_jobStarted) {
            m_lastDrainMs = now;
            m_jobClockUs = now * 1000;
        }
        m_jobStarted = true;
        m_lastJobInputMs = now;
        resumeJob();
        break;
    case 'K':
        if (m_paused) {
            m_paused = false;
            m_restoreHeating = false;
            m_lastDrainMs = now;
            m_lastJobInputMs = now;
            resumeJob();
        }
        break;
    case 'Q':
        if (m_jobStarted && !m_paused) {
            m_paused = true;
            m_restoreHeating = std::any_of(m_heating.begin(), m_heating.end(), [](bool on) { return on; });
            suspendJobMotion();
        }
        break;
    case 'R': {
        const int channel = byteAt(c, 2) & 7;
        const bool on = byteAt(c, 1) != 0;
        m_heating[static_cast<std::size_t>(channel)] = on;
        // Channel 2 is the wire itself; channels 1 and 3 heat the same wire
        // through the configured power output. Switching the wire off puts
        // it out whichever channel heated it, as the end of every job and
        // every pause expect.
        if (channel == kWireChannel && !on) {
            for (const int output : kWireOutputs)
                m_heating[static_cast<std::size_t>(output)] = false;
        }
        m_powerChannel = channel;
        break;
    }
    case 'S': {
        const std::uint8_t sub = byteAt(c, 1);
        if (sub == 13)
            m_eeprom[byteAt(c, 2)] = byteAt(c, 3);
        else if (sub >= 8 && sub <= 11)
            executeProgramCommand(sub, c);
        else
            m_settings[sub & 15] = int32At(c, 2);
        break;
    }
    case 'T':
        m_power[byteAt(c, 1) & 7] = newProtocol() ? int32At(c, 2) : byteAt(c, 2);
        break;
    case 'U':
        m_originX = int32At(c, 1);
        m_originY = int32At(c, 5);
        break;
    case 'V': {
        const std::uint8_t mode = byteAt(c, 1);
        const std::int16_t period = int16At(c, 2);
        if (mode <= 4 && period > 0)
            m_periods[mode] = period;
        break;
    }
    case 'X':
        ++m_greetings;
        break;
    case 'Y':
        // Stops a jog, a homing or a direct move; a job stops only by "Q".
        stopMotion();
        m_buttons = 0;
        break;
    default:
        break;
    }
}

void SimulatedMachine::runQueued(const QByteArray &c)
{
    const bool timed = m_config.drainPerSecond <= 0;
    if (c[0] == 'a') {
        const std::uint8_t tag = byteAt(c, 1);
        if (tag == 0xFF) {
            m_jobMoveDelta.fill(0);
        } else if (tag < 8) {
            m_jobMoveDelta[tag] = int32At(c, 2);
        } else if (tag == 0xFE) {
            if (timed) {
                startMotion(m_jobMoveDelta, int32At(c, 2), false, true, m_jobClockUs);
            } else {
                for (std::size_t i = 0; i < 8; ++i)
                    m_position[i] += m_jobMoveDelta[i];
            }
            m_jobMoveDelta.fill(0);
        }
        return;
    }
    if (c[0] == 'p') {
        // The job's pauses are in milliseconds (corner pauses, heat-up).
        if (timed)
            startDwell(byteAt(c, 1), m_jobClockUs);
        return;
    }
    QByteArray upper = c;
    upper[0] = static_cast<char>(c[0] & 0xDF);
    execute(upper);
}

long double SimulatedMachine::tickUs(int mode) const
{
    return static_cast<long double>(std::max(1, m_periods[static_cast<std::size_t>(std::clamp(mode, 0, 4))]))
        * 0.8L;
}

std::int16_t SimulatedMachine::speedOfMode(int mode) const
{
    // What reply 12 reports: mm/min divided by the speed factor, as the
    // program multiplies it back.
    const long double res = static_cast<long double>(m_config.resX) / 16777216.0L;
    const int wspV = std::max(1, m_config.wspV);
    if (!(res > 0))
        return 0;
    const long double speed = 600000.0L / res / (tickUs(mode) * wspV) / wspV;
    return static_cast<std::int16_t>(std::clamp<long double>(std::nearbyint(speed), 0, 32767));
}

std::int32_t SimulatedMachine::travelSteps(int axis) const
{
    long double res = 0;
    std::int32_t mm = 0;
    switch (axis) {
    case Axis::X1:
    case Axis::X2:
        res = static_cast<long double>(m_config.resX);
        mm = m_config.limitX;
        break;
    case Axis::Y1:
    case Axis::Y2:
        res = static_cast<long double>(m_config.resY);
        mm = m_config.limitY;
        break;
    case Axis::Z:
        res = static_cast<long double>(m_config.resZ);
        mm = m_config.limitZ;
        break;
    default:
        return 0;
    }
    // Steps are hundredths of a millimetre times the resolution.
    return static_cast<std::int32_t>(std::clamp<long double>(std::nearbyint(mm * 100.0L * res / 16777216.0L),
                                                             0, std::numeric_limits<std::int32_t>::max()));
}

void SimulatedMachine::limitToTravel(Motion &motion) const
{
    // The linear axes stop at the end of their travel: the whole move stops
    // where the first of them gets there, as the controller's end switches
    // stop it. Below 0 there is no switch to stop them (the side wire of a
    // two-wire machine parks there).
    constexpr int linear[] = {Axis::X1, Axis::Y1, Axis::Z, Axis::X2, Axis::Y2};
    long double fraction = 1;
    for (const int axis : linear) {
        const auto i = static_cast<std::size_t>(axis);
        const long long d = motion.delta[i];
        if (d <= 0)
            continue;
        const long long room = static_cast<long long>(travelSteps(axis)) - motion.start[i];
        if (room <= 0)
            fraction = 0;
        else if (d > room)
            fraction = std::min(fraction, static_cast<long double>(room) / static_cast<long double>(d));
    }
    if (fraction >= 1)
        return;
    for (std::size_t i = 0; i < 8; ++i)
        motion.delta[i] = static_cast<std::int32_t>(std::trunc(motion.delta[i] * fraction));
    for (const int axis : linear) {
        const auto i = static_cast<std::size_t>(axis);
        if (motion.delta[i] > 0
            && static_cast<long long>(motion.start[i]) + motion.delta[i] > travelSteps(axis))
            motion.delta[i] = std::max(0, travelSteps(axis) - motion.start[i]);
    }
    motion.durationUs = static_cast<std::int64_t>(std::nearbyint(motion.durationUs * fraction));
    motion.cutShort = true;
}

void SimulatedMachine::startMotion(const std::array<std::int32_t, 8> &delta, long long ticks, bool homing,
                                   bool job, std::int64_t startUs)
{
    // A new direct move takes over from where the last one has got to.
    stopMotion();
    Motion motion;
    motion.start = m_position;
    motion.delta = delta;
    motion.startUs = startUs;
    motion.mode = homing ? 0 : m_speedMode;
    motion.durationUs = static_cast<std::int64_t>(
        std::nearbyint(static_cast<long double>(std::max(0LL, ticks)) * tickUs(motion.mode)));
    if (homing)
        motion.durationUs = std::max<std::int64_t>(motion.durationUs, 5000);
    motion.homing = homing;
    motion.job = job;
    if (!homing)
        limitToTravel(motion);
    m_motion = motion;
    m_moving = true;
    m_atLimit = false;
}

void SimulatedMachine::startDwell(std::int64_t ms, std::int64_t startUs)
{
    Motion dwell;
    dwell.start = m_position;
    dwell.startUs = startUs;
    dwell.durationUs = ms * 1000;
    dwell.job = true;
    dwell.dwell = true;
    m_motion = dwell;
    m_moving = true;
}

std::int32_t SimulatedMachine::positionAt(const Motion &motion, int axis, std::int64_t now) const
{
    const auto i = static_cast<std::size_t>(axis & 7);
    const std::int64_t elapsed = std::clamp<std::int64_t>(now - motion.startUs, 0, motion.durationUs);
    if (motion.durationUs <= 0 || elapsed == motion.durationUs)
        return motion.start[i] + motion.delta[i];
    return motion.start[i]
        + static_cast<std::int32_t>(static_cast<long double>(motion.delta[i]) * elapsed / motion.durationUs);
}

void SimulatedMachine::finishMotion(std::int64_t now)
{
    if (!m_moving || now < m_motion.endUs())
        return;
    for (std::size_t i = 0; i < 8; ++i)
        m_position[i] = m_motion.start[i] + m_motion.delta[i];
    if (m_motion.homing)
        m_homed = true;
    if (m_motion.cutShort)
        m_atLimit = true;
    m_moving = false;
}

void SimulatedMachine::stopMotion()
{
    if (!m_moving || m_motion.job)
        return;
    haltMotion();
}

void SimulatedMachine::haltMotion()
{
    const std::int64_t now = nowUs();
    for (int axis = 0; axis < 8; ++axis)
        m_position[static_cast<std::size_t>(axis)] = positionAt(m_motion, axis, now);
    m_moving = false;
}

void SimulatedMachine::suspendJobMotion()
{
    if (!m_moving || !m_motion.job)
        return;
    const std::int64_t now = nowUs();
    Motion rest = m_motion;
    for (int axis = 0; axis < 8; ++axis) {
        const auto i = static_cast<std::size_t>(axis);
        m_position[i] = positionAt(m_motion, axis, now);
        rest.delta[i] = m_motion.start[i] + m_motion.delta[i] - m_position[i];
    }
    rest.durationUs = std::max<std::int64_t>(0, m_motion.endUs() - now);
    m_suspended = rest;
    m_moving = false;
}

void SimulatedMachine::clearJob()
{
    // The wire stays where the job left it; what was queued, the move a pause
    // broke off and the pause itself are gone, so the next "G" starts afresh
    // with whatever arrives after this.
    if (m_moving && m_motion.job)
        haltMotion();
    m_queue.clear();
    m_suspended.reset();
    m_jobMoveDelta.fill(0);
    m_jobStarted = false;
    m_paused = false;
    m_restoreHeating = false;
    m_drainCredit = 0;
}

void SimulatedMachine::resumeJob()
{
    m_jobClockUs = nowUs();
    if (!m_suspended)
        return;
    stopMotion();
    // The rest of the move goes on from wherever the wire stands now.
    Motion rest = *m_suspended;
    m_suspended.reset();
    rest.start = m_position;
    rest.startUs = m_jobClockUs;
    m_motion = rest;
    m_moving = true;
}

void SimulatedMachine::runJob(std::int64_t now)
{
    while (true) {
        if (m_moving) {
            if (!m_motion.job || m_motion.endUs() > now)
                break;
            const std::int64_t end = m_motion.endUs();
            finishMotion(now);
            m_jobClockUs = end;
            m_lastMotionEndMs = end / 1000;
            continue;
        }
        if (m_queue.empty())
            break;
        const QByteArray command = std::move(m_queue.front());
        m_queue.pop_front();
        runQueued(command);
    }
    // Waiting for input: the next command starts when it comes.
    if (!m_moving && m_queue.empty())
        m_jobClockUs = now;
}

void SimulatedMachine::drainAtFixedRate(std::int64_t now)
{
    m_drainCredit += (now - m_lastDrainMs) * m_config.drainPerSecond;
    m_lastDrainMs = now;
    while (m_drainCredit >= 1000 && !m_queue.empty()) {
        m_drainCredit -= 1000;
        const QByteArray command = std::move(m_queue.front());
        m_queue.pop_front();
        runQueued(command);
    }
    if (m_queue.empty())
        m_drainCredit = 0;
}

void SimulatedMachine::update()
{
    const std::int64_t now = m_clock.nowMs();
    if (m_moving && !m_motion.job)
        finishMotion(now * 1000);
    if (!m_jobStarted || m_paused) {
        m_lastDrainMs = now;
        m_drainCredit = 0;
        if (!(m_moving && m_motion.job))
            m_jobClockUs = now * 1000;
        return;
    }
    if (m_config.drainPerSecond > 0)
        drainAtFixedRate(now);
    else
        runJob(now * 1000);
    const bool jobMoving = m_moving && m_motion.job;
    if (m_queue.empty() && !jobMoving
        && now - std::max(m_lastJobInputMs, m_lastMotionEndMs) >= m_config.jobIdleEndMs)
        m_jobStarted = false; // the job ran dry: it has ended
}

std::int32_t SimulatedMachine::rawPosition(int axis)
{
    update();
    if (!m_moving)
        return m_position[static_cast<std::size_t>(axis & 7)];
    return positionAt(m_motion, axis, nowUs());
}

void SimulatedMachine::setRawPosition(int axis, std::int32_t steps)
{
    update();
    const auto i = static_cast<std::size_t>(axis & 7);
    m_position[i] = steps;
    m_motion.start[i] = steps;
    m_motion.delta[i] = 0;
}

std::uint32_t SimulatedMachine::flags()
{
    update();
    std::uint32_t f = 0;
    if ((m_moving && !m_motion.dwell) || m_endlessBusy)
        f |= 1u << 0;
    if (m_jobStarted && !m_paused)
        f |= 1u << 1;
    if (std::any_of(m_heating.begin(), m_heating.end(), [](bool on) { return on; }))
        f |= 1u << 2;
    if (m_endlessBusy)
        f |= 1u << 3;
    if (m_paused)
        f |= 1u << 6;
    if (static_cast<int>(m_queue.size()) > m_config.queueCapacity - m_config.fullMargin)
        f |= 1u << 9;
    f |= m_buttons << 8;
    if (m_atLimit)
        f |= 1u << 16;
    if (m_homed)
        f |= 1u << 18;
    if (m_brokenWire)
        f |= 1u << 19;
    if (m_restoreHeating)
        f |= 1u << 20;
    return f;
}

int SimulatedMachine::answer(int index, HidReply &r, int &length)
{
    update();
    r.fill(0);
    length = 0;
    if (m_failReads > 0) {
        --m_failReads;
        return m_readError;
    }
    switch (index) {
    case 10: {
        r[1] = 1;
        put(r, 2, flags(), 4);
        // The reply order X1, Y1, S, Z, X2, Y2, W, third is the axis-code order.
        for (int axis = 0; axis < 8; ++axis)
            put(r, 6 + 4 * axis, static_cast<std::uint32_t>(rawPosition(axis)), 4);
        break;
    }
    case 12:
        r[0] = static_cast<std::uint8_t>(m_speedMode);
        for (int i = 0; i < 4; ++i)
            put(r, 2 + 2 * i, static_cast<std::uint16_t>(speedOfMode(i)), 2);
        // The fifth speed is the one the axes move at now.
        put(r, 10, static_cast<std::uint16_t>(m_moving && !m_motion.dwell ? speedOfMode(m_motion.mode) : 0),
            2);
        break;
    case 13: {
        r[0] = static_cast<std::uint8_t>(m_powerChannel);
        for (int i = 0; i < 8; ++i)
            put(r, 2 + 4 * i, static_cast<std::uint32_t>(m_power[static_cast<std::size_t>(i)]), 4);
        const bool flowing = m_heating[static_cast<std::size_t>(m_powerChannel)] && !m_brokenWire;
        put(r, 34, flowing ? static_cast<std::uint16_t>(std::min(65535, m_power[static_cast<std::size_t>(m_powerChannel)] * 10)) : 0, 2);
        break;
    }
    case 14:
        put(r, 2, static_cast<std::uint32_t>(m_config.limitX), 4);
        put(r, 6, static_cast<std::uint32_t>(m_config.limitY), 4);
        put(r, 10, static_cast<std::uint32_t>(m_config.limitZ), 4);
        put(r, 14, m_config.workingTime, 4);
        put(r, 18, m_config.count, 4);
        break;
    case 15:
        put(r, 6, static_cast<std::uint64_t>(m_config.resX), 8);
        put(r, 14, static_cast<std::uint64_t>(m_config.resY), 8);
        put(r, 22, static_cast<std::uint64_t>(m_config.resZ), 8);
        put(r, 30, static_cast<std::uint32_t>(m_config.resW), 4);
        put(r, 38, static_cast<std::uint32_t>(m_config.resS), 4);
        put(r, 46, static_cast<std::uint32_t>(m_config.res3), 4);
        put(r, 54, static_cast<std::uint64_t>(m_config.fcWidth), 8);
        break;
    case 16:
        put(r, 2, static_cast<std::uint32_t>(m_settings[7]), 4);
        put(r, 6, static_cast<std::uint32_t>(m_settings[7]), 4);
        break;
    case 17:
        r[0] = m_config.firmwareMajor;
        r[1] = m_config.firmwareMinor;
        // The upgrade reads program memory through this reply: each read
        // returns the word at the current address and moves on.
        put(r, 6, m_program.read(m_clock.nowMs()), 2);
        break;
    default:
        return HidError::GeneralFailure;
    }
    length = kHidReplySize;
    if (m_garbageReplies > 0) {
        --m_garbageReplies;
        r.fill(m_garbageFill);
    } else if (m_shortReplies > 0) {
        --m_shortReplies;
        length = std::clamp(m_shortLength, 0, kHidReplySize);
        std::fill(r.begin() + length, r.end(), 0);
    }
    return HidError::Ok;
}

// --- Backend -------------------------------------------------------------------

class SimulatedHidBackend::Channel final : public HidChannel
{
public:
    Channel(SimulatedHidBackend &backend, std::shared_ptr<SimulatedMachine> machine, std::shared_ptr<bool> present)
        : m_backend(backend)
        , m_machine(std::move(machine))
        , m_present(std::move(present))
    {
    }
    int writeReport(const HidReport &report) override
    {
        m_backend.m_clock.sleepMs(m_backend.m_writeCostMs);
        m_backend.refreshBus();
        if (!*m_present)
            return HidError::DeviceGone;
        return m_machine ? m_machine->receiveReport(report) : HidError::Ok;
    }
    int readIndexedString(int index, HidReply &reply, int &length) override
    {
        reply.fill(0);
        length = 0;
        m_backend.refreshBus();
        if (!*m_present)
            return HidError::DeviceGone;
        return m_machine ? m_machine->answer(index, reply, length) : HidError::GeneralFailure;
    }

private:
    SimulatedHidBackend &m_backend;
    std::shared_ptr<SimulatedMachine> m_machine;
    std::shared_ptr<bool> m_present;
};

SimulatedHidBackend::SimulatedHidBackend(MachineClock &clock)
    : m_clock(clock)
{
}

SimulatedHidBackend::~SimulatedHidBackend() = default;

HidDeviceInfo SimulatedHidBackend::makeInfo(const QString &manufacturer, const QString &product, const QString &serial)
{
    HidDeviceInfo info;
    info.instanceId = QStringLiteral("sim-%1").arg(m_nextInstance);
    info.path = QStringLiteral("/dev/simhid%1").arg(m_nextInstance);
    ++m_nextInstance;
    info.manufacturer = manufacturer;
    info.product = product;
    info.serialNumber = serial;
    info.vendorId = 0x1209;
    info.productId = 0x0001;
    return info;
}

std::shared_ptr<SimulatedMachine> SimulatedHidBackend::plugMachine(SimulatedMachineConfig config)
{
    auto machine = std::make_shared<SimulatedMachine>(m_clock, std::move(config));
    m_slots.push_back(
        {makeInfo(machine->config().manufacturer, machine->config().product, machine->config().serialNumber),
         machine, std::make_shared<bool>(true), machine->boots()});
    changed();
    return machine;
}

void SimulatedHidBackend::plugOther(const QString &manufacturer, const QString &product)
{
    m_slots.push_back({makeInfo(manufacturer, product, QString()), nullptr, std::make_shared<bool>(true), 0});
    changed();
}

void SimulatedHidBackend::replug(const std::shared_ptr<SimulatedMachine> &machine)
{
    // A machine pulled out by a fault still has its dead slot.
    std::erase_if(m_slots,
                  [&machine](const Slot &slot) { return slot.machine == machine && !*slot.present; });
    if (!machine->onBus())
        machine->plugBackIn();
    m_slots.push_back(
        {makeInfo(machine->config().manufacturer, machine->config().product, machine->config().serialNumber),
         machine, std::make_shared<bool>(true), machine->boots()});
    changed();
}

void SimulatedHidBackend::unplug(const std::shared_ptr<SimulatedMachine> &machine)
{
    const auto removed = std::erase_if(m_slots, [&machine](const Slot &slot) {
        if (slot.machine != machine)
            return false;
        *slot.present = false;
        return true;
    });
    if (removed > 0)
        changed();
}

void SimulatedHidBackend::unplugOther(const QString &product)
{
    for (auto it = m_slots.begin(); it != m_slots.end(); ++it) {
        if (!it->machine && it->info.product == product) {
            *it->present = false;
            m_slots.erase(it);
            changed();
            return;
        }
    }
}

void SimulatedHidBackend::changed()
{
    if (m_changeHandler)
        m_changeHandler();
}

std::vector<HidDeviceInfo> SimulatedHidBackend::enumerate()
{
    refreshBus();
    std::vector<HidDeviceInfo> devices;
    for (const Slot &slot : m_slots) {
        if (*slot.present)
            devices.push_back(slot.info);
    }
    return devices;
}

std::unique_ptr<HidChannel> SimulatedHidBackend::open(const HidDeviceInfo &device, int &error)
{
    refreshBus();
    for (const Slot &slot : m_slots) {
        if (slot.info.instanceId != device.instanceId || !*slot.present)
            continue;
        if (m_openError != HidError::Ok) {
            error = m_openError;
            return nullptr;
        }
        ++m_opens;
        error = HidError::Ok;
        return std::make_unique<Channel>(*this, slot.machine, slot.present);
    }
    error = HidError::DeviceGone;
    return nullptr;
}
