#include "machine/sterowanie.h"

#include "machine/machinekeys.h"
#include "machine/panelkeys.h"

#include "app/machinefamily.h"
#include "app/units.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

const QString kControl = QStringLiteral("Control");
const QString kGotoCaption = QStringLiteral("Goto point");
constexpr int kPollConnectedMs = 100;
constexpr int kPollDisconnectedMs = 3000;
// Waits for the controller's flags end after this long at the latest.
constexpr std::int64_t kFlagWaitLimitMs = 60 * 1000;

std::int32_t roundSteps(long double v)
{
    const long double r = std::nearbyint(v);
    if (std::isnan(r))
        return 0;
    return static_cast<std::int32_t>(std::clamp<long double>(r, INT32_MIN, INT32_MAX));
}

// The shorter way round: a rotary delta within half a turn.
std::int32_t shorterWay(std::int64_t delta, std::int32_t perTurn)
{
    if (perTurn <= 0)
        return static_cast<std::int32_t>(delta);
    if (delta > perTurn / 2)
        delta -= perTurn;
    else if (delta < -perTurn / 2)
        delta += perTurn;
    return static_cast<std::int32_t>(delta);
}

bool isArmJogKey(int key)
{
    switch (key) {
    case JogKey::Left: case JogKey::Right: case JogKey::Up: case JogKey::Down:
    case JogKey::Numpad1: case JogKey::Numpad2: case JogKey::Numpad3: case JogKey::Numpad4:
    case JogKey::Numpad6: case JogKey::Numpad7: case JogKey::Numpad8: case JogKey::Numpad9:
        return true;
    default:
        return false;
    }
}

// Z, the spindle and the table: no arm to choose.
bool isAxisJogKey(int key)
{
    switch (key) {
    case JogKey::PageUp:
    case JogKey::PageDown:
    case JogKey::F7:
    case JogKey::F8:
    case JogKey::Comma:
    case JogKey::Period:
        return true;
    default:
        return false;
    }
}

} // namespace

int joystickDirection(const JoystickState &j)
{
    int direction = 0;
    if (j.x > 37768)
        direction += 1;
    else if (j.x < 27768)
        direction -= 1;
    if (j.y > 37768)
        direction -= 4;
    else if (j.y < 27768)
        direction += 4;
    if (j.buttons & (1u << 3))
        direction = 8;
    if (j.buttons & (1u << 2))
        direction = -8;
    if (j.buttons & (1u << 0))
        direction = 16;
    return direction;
}

int joystickJogKey(int direction)
{
    switch (direction) {
    case -8: return JogKey::PageDown;
    case -5: return JogKey::Numpad1;
    case -4: return JogKey::Numpad2;
    case -3: return JogKey::Numpad3;
    case -1: return JogKey::Numpad4;
    case 1: return JogKey::Numpad6;
    case 3: return JogKey::Numpad7;
    case 4: return JogKey::Numpad8;
    case 5: return JogKey::Numpad9;
    case 8: return JogKey::PageUp;
    default: return 0;
    }
}

Tster::Tster(Ploter &ploter, PanelJobControl &jobControl)
    : m_ploter(ploter)
    , m_jobControl(jobControl)
{
}

// --- Window life -------------------------------------------------------------

bool Tster::create()
{
    if (!m_ploter.ReadStatus()) {
        m_ploter.showMessage(MachineMessage::of(kControl, QStringLiteral("brakPlotera")));
        return false;
    }
    return setUpMachine();
}

bool Tster::setUpMachine()
{
    if (!m_ploter.ReadStatus())
        return false;
    if (!m_ploter.plot().has(StatusFlag::JobRunning))
        sendArmSelection(m_ploter.settings().PowerOutput);
    m_ploter.ReadMachineInfo();
    m_ploter.SendLengthUnit(m_ploter.settings().radiounit);
    // The two-wire machine starts on its front wire alone; every other
    // machine moves both wire ends together.
    m_keyFront = true;
    m_keyBack = !isQ7();
    return activate();
}

bool Tster::activate()
{
    MachineState &state = m_ploter.state();
    state.rotaryMoved = false;
    if (!m_ploter.ReadStatus())
        return false;
    m_ploter.ReadMachineInfo();
    if (m_ploter.plot().has(StatusFlag::JobRunning | StatusFlag::Moving))
        sendArmSelection(m_ploter.settings().PowerOutput);
    m_ploter.ReadPowerInfo();
    m_ploter.ReadSpeeds();
    m_speed = m_ploter.plot().currentSpeed;
    m_ploter.SendLengthUnit(m_ploter.settings().radiounit);
    m_ploter.ReadWireTension();
    // Heating power in thousandths on the new protocol.
    if (m_ploter.IsNewProtocol())
        state.powerFactor = 100;
    m_powerPosition = reportedPowerPosition();
    if (isQ7())
        sendArmSelection(m_keyFront ? 0 : 5);
    m_ploter.SetSpeed(m_speed);
    setUpView();
    refreshDisplay();
    return true;
}

void Tster::setUpView()
{
    const MachineState &s = m_ploter.state();
    const Settings &settings = m_ploter.settings();
    const MachineSwitches &sw = m_ploter.link().switches();
    PanelView &v = m_view;
    v.machineName = s.plot.machineName;
    v.firmware = QString::number(s.firmwareMajor) + QLatin1Char('.') + QString::number(s.firmwareMinor);
    v.lj = s.lj;
    v.vq = m_ploter.nameStartsWith("Vq");
    v.q7 = isQ7();
    v.showArms = v.vq || sw.present(QStringLiteral("TEST"));
    v.showTable = !m_ploter.IsSpindleRotaryModel() && !IsFamily(s.plot.family, QLatin1String("BN"));
    v.showTension = v.vq || m_ploter.nameStartsWith("Zf");
    v.tensionMax = sw.present(QStringLiteral("doubleTension")) ? 200 : 100;
    v.newProtocol = m_ploter.IsNewProtocol();
    v.powerFactor = s.powerFactor;
    if (s.lj) {
        v.powerMax = 100;
        v.powerSmallStep = 1;
        v.powerLargeStep = 10;
    } else {
        int base = 300;
        if (m_ploter.HasMinimumPowerLimit())
            base = 10;
        else if (m_ploter.IsWideMachine())
            base = 80;
        v.powerMax = base * s.powerFactor;
        v.powerSmallStep = v.newProtocol ? 10 : 1;
        v.powerLargeStep = settings.PowerOutput == 1 ? (v.newProtocol ? 1000 : 10) : (v.newProtocol ? 100 : 10);
    }
    v.powerPosition = m_powerPosition;
    v.keyFront = m_keyFront;
    v.keyBack = m_keyBack;
}

void Tster::deactivate()
{
    if (m_ploter.state().rotaryMoved)
        saveRotaryReference();
    if (m_ploter.link().connected())
        m_ploter.SendLengthUnit(m_ploter.settings().radiounit);
}

bool Tster::sendSpeedMode(int mode)
{
    QByteArray c("F");
    c.append(static_cast<char>(std::clamp(mode, 0, 255)));
    return send(c);
}

bool Tster::sendArmSelection(int arm)
{
    QByteArray c("S");
    c.append(static_cast<char>(4));
    c.append(int32Bytes(arm));
    return send(c);
}

void Tster::saveRotaryReference()
{
    m_rotaryTable = m_ploter.plot().S;
    m_rotarySpindle = m_ploter.plot().W;
}

// --- Moves -------------------------------------------------------------------

bool Tster::cofnijZeta(bool wait, int speedMode, const PanelTarget &t)
{
    if (!m_ploter.ReadStatus() || m_ploter.plot().has(StatusFlag::JobRunning | StatusFlag::Moving))
        return false;
    if (!m_ploter.ReadPositions() || !sendSpeedMode(speedMode))
        return false;
    const tplotstate &p = m_ploter.plot();
    const bool frontMoves = std::nearbyint(t.x1 * 100) != p.X1 || std::nearbyint(t.y1 * 100) != p.Y1;
    if (!frontMoves || p.Z <= 0)
        return true;
    TAxisDeltas z;
    z.z = roundSteps(-static_cast<long double>(p.Z) * m_ploter.state().resZ);
    if (!m_ploter.sendMove(z))
        return false;
    return !wait || m_ploter.WaitWhileBusy();
}

bool Tster::gotopoint(bool wait, int speedMode, const PanelTarget &t)
{
    if (!m_ploter.ReadStatus() && !m_ploter.link().connected()) {
        MachineMessage m = MachineMessage::of(kControl, QStringLiteral("ploterBrakLacznosci"));
        m.caption = kGotoCaption;
        m_ploter.showMessage(m);
        return false;
    }
    cofnijZeta(wait, speedMode, t);
    if (!m_ploter.ReadStatus() || m_ploter.plot().has(StatusFlag::JobRunning | StatusFlag::Moving)) {
        MachineMessage m = MachineMessage::of(kControl, QStringLiteral("nieMoznaPrzesuwac"));
        m.caption = kGotoCaption;
        m_ploter.showMessage(m);
        return false;
    }
    if (!m_ploter.ReadPositions() || !sendSpeedMode(speedMode))
        return false;
    const MachineState &s = m_ploter.state();
    const tplotstate &p = s.plot;
    auto linear = [](double target, std::int32_t position) {
        return static_cast<long double>(std::nearbyint(static_cast<long double>(target) * 100)) - position;
    };
    TAxisDeltas linearMove;
    linearMove.x1 = roundSteps(linear(t.x1, p.X1) * s.resX);
    linearMove.x2 = roundSteps(linear(t.x2, p.X2) * s.resX);
    linearMove.y1 = roundSteps(linear(t.y1, p.Y1) * s.resY);
    linearMove.y2 = roundSteps(linear(t.y2, p.Y2) * s.resY);
    linearMove.z = roundSteps(linear(t.z, p.Z) * s.resZ);
    TAxisDeltas rotary;
    rotary.s = shorterWay(static_cast<std::int64_t>(t.s) - p.S, s.resS);
    rotary.w = shorterWay(static_cast<std::int64_t>(t.w) - p.W, s.resW);

    const bool rotaryMoves = rotary.s != 0 || rotary.w != 0;
    if (rotaryMoves && m_ploter.settings().Heavy != CheckState::Unchecked) {
        QByteArray heavy("S");
        heavy.append(static_cast<char>(2));
        heavy.append(int32Bytes(1));
        if (!send(heavy) || !m_ploter.sendMove(rotary) || !m_ploter.WaitWhileBusy() || !m_ploter.sendMove(linearMove))
            return false;
    } else {
        TAxisDeltas all = linearMove;
        all.s = rotary.s;
        all.w = rotary.w;
        if (!m_ploter.sendMove(all))
            return false;
    }
    if (wait)
        m_ploter.WaitWhileBusy();
    m_ploter.ReadPositions();
    return true;
}

// --- Pause and continue -----------------------------------------------------

bool Tster::waitFlag(std::uint32_t flag)
{
    // Ends when the flag shows, when the link is lost, when the job ended
    // by itself, or after a bounded time: the caller never hangs.
    MachineClock &clock = m_ploter.clock();
    const std::int64_t start = clock.nowMs();
    while (clock.nowMs() - start < kFlagWaitLimitMs) {
        if (!m_ploter.ReadStatus())
            return false;
        const tplotstate &p = m_ploter.plot();
        if (p.has(flag))
            return true;
        if (!p.has(StatusFlag::JobRunning | StatusFlag::Moving | StatusFlag::Busy))
            return false;
        clock.sleepMs(1);
    }
    return false;
}

QByteArray Tster::heatingCommand() const
{
    return m_ploter.heatingSwitchCommand(true, m_ploter.settings().PowerOutput == 1 ? 3 : 1);
}

bool Tster::wstrzymaj()
{
    bool result = false;
    if (m_ploter.ReadStatus()) {
        const tplotstate &p = m_ploter.plot();
        if (p.has(StatusFlag::JobRunning)) {
            send(QByteArrayLiteral("Q"));
            m_ploter.WaitWhileBusy();
            waitFlag(StatusFlag::JobPaused);
            if (m_ploter.ReadPositions()) {
                const tplotstate &q = m_ploter.plot();
                m_pausePoint = {q.X1, q.Y1, q.Z, q.S, q.X2, q.Y2, q.third, q.W};
            }
            result = true;
        } else if (p.has(StatusFlag::Moving)) {
            send(QByteArrayLiteral("Y"));
            m_ploter.WaitWhileBusy();
            if (m_ploter.ReadPositions())
                saveRotaryReference();
            m_stoppedByUser = true;
            result = true;
        }
        if (result) {
            m_ploter.clock().sleepMs(10);
            m_ploter.WaitWhileBusy();
            send(m_ploter.heatingSwitchCommand(false, 2));
            sendSpeedMode(2);
        }
    }
    m_ploter.state().jobStarted = false;
    return result;
}

void Tster::kontynuuj()
{
    if (!m_ploter.ReadStatus())
        return;
    const tplotstate &p = m_ploter.plot();
    if (p.has(StatusFlag::JobRunning) && p.has(StatusFlag::RestoreHeating)) {
        if (m_ploter.state().lj)
            m_ploter.RampHeating(2, static_cast<int>(std::nearbyint(m_ploter.settings().work_power)));
        send(QByteArrayLiteral("G"));
        return;
    }
    if (!p.has(StatusFlag::JobRunning) && !p.has(StatusFlag::Moving) && p.has(StatusFlag::JobPaused)) {
        m_ploter.ReadStatus();
        m_ploter.ReadPositions();
        sendSpeedMode(1);
        send(heatingCommand());
        m_ploter.clock().sleepMs(static_cast<std::int64_t>(std::nearbyint(m_ploter.settings().CzasRozgrzewania)));
        PanelTarget back;
        back.x1 = m_pausePoint[0] / 100.0;
        back.y1 = m_pausePoint[1] / 100.0;
        back.z = m_pausePoint[2] / 100.0;
        back.s = m_pausePoint[3];
        back.x2 = m_pausePoint[4] / 100.0;
        back.y2 = m_pausePoint[5] / 100.0;
        back.w = m_pausePoint[7];
        gotopoint(true, 1, back);
        m_ploter.WaitWhileBusy();
        sendSpeedMode(1);
        m_ploter.WaitWhileBusy();
        send(heatingCommand());
        send(QByteArrayLiteral("K"));
        send(heatingCommand());
    }
    m_ploter.state().jobStarted = true;
}

bool Tster::MoznaRuszac()
{
    if (m_ploter.settings().PowerOutput != 1 || !(m_ploter.nameStartsWith("Vq") || isQ7()))
        return true;
    const tplotstate &p = m_ploter.plot();
    if (p.X1 != p.X2 || p.Y1 != p.Y2) {
        MachineMessage m = MachineMessage::of(kControl, QStringLiteral("ruchRamionZabronionyRozneXY"));
        m.caption = QStringLiteral("uwaga"); // the "Universal" caption key
        m.detailSection = kControl;
        m.detailKey = QStringLiteral("wyrownajRamionaIJeszczeRaz");
        m_ploter.showMessage(m);
        return false;
    }
    if (!m_keyBack || !m_keyFront) {
        m_ploter.showMessage(MachineMessage::of(kControl, QStringLiteral("ruch1goRamieniaZabroniony")));
        return false;
    }
    return true;
}

// --- Homing ------------------------------------------------------------------

bool Tster::homingStep(int mask)
{
    if (m_stopRequested) {
        send(QByteArrayLiteral("Y"));
        return false;
    }
    QByteArray c("B");
    c.append(static_cast<char>(mask));
    if (!send(c))
        return false;
    MachineClock &clock = m_ploter.clock();
    clock.sleepMs(100);
    const std::int64_t start = clock.nowMs();
    bool ok = m_ploter.ReadStatus();
    while (ok && m_ploter.plot().has(StatusFlag::Moving) && clock.nowMs() - start < 15 * 60 * 1000) {
        clock.sleepMs(10);
        if (m_stopRequested) {
            send(QByteArrayLiteral("Y"));
            return false;
        }
        ok = m_ploter.ReadStatus();
    }
    return ok;
}

void Tster::bazuj()
{
    m_stopRequested = false;
    if (!m_ploter.ReadStatus()) {
        m_ploter.showMessage(MachineMessage::of(kControl, QStringLiteral("ploterBrakLacznosci")));
        return;
    }
    if (m_ploter.plot().has(StatusFlag::JobRunning | StatusFlag::Moving)) {
        m_ploter.showMessage(MachineMessage::of(kControl, QStringLiteral("ploterBazowanieNiemozliwe")));
        return;
    }
    const bool bothEnds = HasSeparateEndDrives(m_ploter.plot().machineName);
    const int xMask = bothEnds ? 17 : 1;
    const int yMask = bothEnds ? 34 : 2;
    const bool bn = IsFamily(m_ploter.plot().family, QLatin1String("BN"));
    if (!m_ploter.ReadPositions())
        return;
    const tplotstate &p = m_ploter.plot();
    const bool homed = p.has(StatusFlag::Homed);
    if (!homed || (p.X1 == 0 && p.Y1 == 0)) {
        if (bn) {
            homingStep(8);
            m_ploter.WaitWhileBusy();
        }
        homingStep(xMask);
        homingStep(yMask);
        m_ploter.WaitWhileBusy();
        if (bn) {
            homingStep(64);
            send(QByteArrayLiteral("Y"));
        }
    } else {
        // Each drive waits for its own end: a Z lowered first must have
        // come down before the wire may travel, or the drive is refused.
        if (bn) {
            PanelTarget here;
            here.x1 = p.X1 / 100.0;
            here.y1 = p.Y1 / 100.0;
            here.x2 = p.X2 / 100.0;
            here.y2 = p.Y2 / 100.0;
            gotopoint(true, 2, here);
            m_ploter.WaitWhileBusy();
        }
        if (m_ploter.settings().rgBazowanie == 1) {
            PanelTarget xFirst;
            xFirst.y1 = m_ploter.plot().Y1 / 100.0;
            xFirst.y2 = m_ploter.plot().Y2 / 100.0;
            gotopoint(true, 2, xFirst);
            m_ploter.WaitWhileBusy();
        }
        gotopoint(true, 2, PanelTarget {});
        m_ploter.WaitWhileBusy();
        homingStep(xMask);
        homingStep(yMask);
        if (bn && !m_stopRequested)
            homingStep(8);
    }
    m_stopRequested = false;
}

// --- Poll --------------------------------------------------------------------

int Tster::poll()
{
    const bool read = m_ploter.ReadStatus();
    if (!m_ploter.link().connected()) {
        if (m_ploter.state().jobStarted) {
            // The link was lost during a job: switch the heating off if the
            // controller still answers.
            if (m_ploter.link().KorvanelVqExist())
                m_ploter.link().Write(m_ploter.heatingSwitchCommand(false, 2));
            m_ploter.state().jobStarted = false;
        }
        m_view.connected = false;
        if (m_viewHandler)
            m_viewHandler(m_view);
        return kPollDisconnectedMs;
    }
    if (!read)
        return kPollConnectedMs; // a garbled reply is no news
    jobEnded();
    machineButtons();
    if (m_displayWanted)
        refreshDisplay();
    joystickStep();
    serialRepetitionStep();
    return kPollConnectedMs;
}

void Tster::jobEnded()
{
    MachineState &state = m_ploter.state();
    if (!state.jobStarted)
        return;
    if (!m_ploter.ReadStatus() || m_ploter.plot().has(StatusFlag::JobRunning))
        return;
    state.jobStarted = false;
    const Settings &settings = m_ploter.settings();
    if (isQ7() && ((settings.Mode == 0 && settings.MoveAfter != CheckState::Unchecked) || settings.Mode == 5)) {
        if (m_keyBack) {
            setKeyFront(true);
        } else if (const std::optional<PanelJobControl::NextPass> next = m_jobControl.nextPass()) {
            send(m_ploter.speedCommand(0, settings.PrzeSpeed));
            sendSpeedMode(0);
            const double clearance = next->startY + next->extentAbove + 10;
            // MoveTo takes the display unit; these lengths are mm.
            const double unit = std::max(0.001, static_cast<double>(Units::factor(settings.radiounit)));
            const tplotstate &p = m_ploter.plot();
            if (m_ploter.ReadPositions() && p.Y1 / 100.0 < clearance) {
                const double y = p.Y1 / 100.0, z = p.Z / 100.0;
                m_ploter.MoveTo(m_keyFront, m_keyBack, 0, y / unit, z / unit, 0);
                m_ploter.WaitWhileBusy();
                m_ploter.MoveTo(m_keyFront, m_keyBack, 0, clearance / unit, z / unit, 0);
                m_ploter.WaitWhileBusy();
            }
            setKeyBack(true);
            m_ploter.MoveTo(m_keyFront, m_keyBack, next->startX / unit, next->startY / unit,
                            m_ploter.plot().Z / 100.0 / unit, 0);
            m_ploter.WaitWhileBusy();
            m_jobControl.startNextPass();
        }
    }
    if (m_ploter.link().switches().present(QStringLiteral("REPEAT"))) {
        m_ploter.clock().sleepMs(static_cast<std::int64_t>(std::nearbyint(settings.CzasRozgrzewania * 10)));
        m_jobControl.restartJob();
    }
    m_jobControl.refreshMenus();
}

void Tster::machineButtons()
{
    const tplotstate &p = m_ploter.plot();
    if (p.has(StatusFlag::StartButton)) {
        send(QByteArrayLiteral("Y"));
        m_jobControl.start();
    } else if (p.has(StatusFlag::PauseButton)) {
        send(QByteArrayLiteral("Y"));
        m_jobControl.pause();
    } else if (p.has(StatusFlag::ContinueButton) && p.has(StatusFlag::JobPaused)) {
        send(QByteArrayLiteral("Y"));
        m_jobControl.continueJob();
    }
}

int Tster::reportedPowerPosition() const
{
    const MachineState &s = m_ploter.state();
    return s.lj ? static_cast<int>(std::nearbyint(s.plot.powerSetting * 100.0 / 255)) : s.plot.powerSetting;
}

void Tster::refreshDisplay()
{
    m_ploter.ReadPositions();
    // The scroll bars follow the controller: its speed mode, speeds and
    // power may have been changed by a job or by its own panel.
    if (m_ploter.ReadSpeeds())
        m_speed = m_ploter.plot().currentSpeed;
    if (m_ploter.ReadPowerInfo())
        m_powerPosition = reportedPowerPosition();
    m_ploter.ReadWireTension();
    const MachineState &s = m_ploter.state();
    m_view.connected = true;
    m_view.plot = s.plot;
    m_view.speed = m_speed;
    m_view.maxV = s.maxV;
    m_view.jobRunning = s.plot.has(StatusFlag::JobRunning);
    m_view.heatingOn = s.plot.has(StatusFlag::HeatingOn);
    m_view.wireStateKey = s.plot.has(StatusFlag::BrokenWire)
                              ? (s.lj ? QStringLiteral("sprawdzBezpiecznik") : QStringLiteral("zerwanyDrut"))
                              : QString();
    switch (s.plot.speedMode) {
    case 0: m_view.speedCaptionKey = QStringLiteral("szybkoscPrzestawcza"); break;
    case 1: m_view.speedCaptionKey = QStringLiteral("szybkoscRobocza"); break;
    default: m_view.speedCaptionKey = QStringLiteral("szybkosc"); break;
    }
    m_view.measuredCurrent = s.plot.measuredPower / 1000.0;
    m_view.powerPosition = m_powerPosition;
    m_view.keyFront = m_keyFront;
    m_view.keyBack = m_keyBack;
    m_view.readFailures = m_ploter.link().readFailures();
    m_view.writeFailures = m_ploter.link().writeFailures();
    if (m_viewHandler)
        m_viewHandler(m_view);
}

void Tster::joystickStep()
{
    if (!m_joystick || m_ploter.plot().has(StatusFlag::JobRunning))
        return;
    const int direction = joystickDirection(*m_joystick);
    if (direction != 0 && direction != 16) {
        const int deflection = std::max(std::abs(m_joystick->x - 32768), std::abs(m_joystick->y - 32768));
        const int speed = static_cast<int>(std::nearbyint(static_cast<double>(deflection) / 32768 * m_ploter.state().maxV));
        if (speed != m_speed && direction != 8 && direction != -8)
            setSpeed(std::max(speed, 10));
    }
    if (direction == m_joystickDirection)
        return;
    m_joystickDirection = direction;
    if (m_ploter.plot().has(StatusFlag::Moving) || direction == 0) {
        send(QByteArrayLiteral("Y"));
        m_ploter.WaitWhileBusy();
    }
    m_ploter.ReadPositions();
    if (direction == 16)
        m_ploter.ToggleHeating();
    else if (const int key = joystickJogKey(direction))
        m_ploter.JogByKey(key, true, true);
}

void Tster::setSerialRepetition(int count, double shift, double height, double x, std::int32_t table)
{
    m_repetitions = count;
    m_repetitionShift = shift;
    m_repetitionHeight = height;
    m_repetitionX = x;
    m_repetitionTable = table;
}

void Tster::serialRepetitionStep()
{
    if (m_repetitions <= 0 || m_ploter.plot().has(StatusFlag::JobRunning)
        || (m_transmitting && m_transmitting()))
        return;
    --m_repetitions;
    m_repetitionHeight -= m_repetitionShift;
    m_ploter.ReadPositions();
    const MachineState &s = m_ploter.state();
    send(m_ploter.speedCommand(1, m_ploter.settings().szybkoscObrobki));
    sendSpeedMode(1);
    PanelTarget t;
    t.x1 = t.x2 = m_repetitionX;
    t.y1 = t.y2 = m_repetitionHeight;
    t.z = s.plot.Z / 100.0;
    t.s = m_repetitionTable;
    t.w = s.plot.W;
    gotopoint(true, 1, t);
    send(QByteArrayLiteral("G"));
}

// --- Keys, speed, power ------------------------------------------------------

void Tster::keyPressed(int key, bool ctrl)
{
    if (ctrl && m_savedSpeed < 0) {
        m_savedSpeed = m_speed;
        setSpeed(std::max(1, m_speed / 10));
    }
    if (m_jogInProgress)
        return;
    if (isArmJogKey(key)) {
        m_jogInProgress = true;
        if (isQ7())
            m_ploter.JogByKeyTwoArms(key, m_keyFront, m_keyBack);
        else
            m_ploter.JogByKey(key, m_keyFront, m_keyBack);
        return;
    }
    if (isAxisJogKey(key)) {
        m_jogInProgress = true;
        m_ploter.JogByKey(key, false, false);
        return;
    }
    switch (key) {
    case JogKey::Numpad5:
        if (m_ploter.ReadStatus() && !m_ploter.plot().has(StatusFlag::JobRunning))
            send(QByteArrayLiteral("Y"));
        break;
    case JogKey::Insert:
    case JogKey::Numpad0:
        m_ploter.ToggleHeating();
        break;
    case JogKey::NumpadAdd:
        stepSpeed(1);
        break;
    case JogKey::NumpadSubtract:
        stepSpeed(-1);
        break;
    default:
        break;
    }
}

void Tster::jogButtonPressed(int key)
{
    if (m_ploter.CheckConnected())
        keyPressed(key, false);
}

void Tster::releaseJog()
{
    m_jogInProgress = false;
    send(QByteArrayLiteral("Y"));
    m_ploter.WaitWhileBusy();
    if (m_ploter.ReadPositions())
        saveRotaryReference();
}

void Tster::keyReleased(int key, bool ctrl)
{
    if (!ctrl && m_savedSpeed >= 0) {
        setSpeed(m_savedSpeed);
        m_savedSpeed = -1;
    }
    if (isArmJogKey(key) && m_jogInProgress) {
        releaseJog();
    } else if (isAxisJogKey(key)) {
        m_jogInProgress = false;
        send(QByteArrayLiteral("Y"));
    }
}

void Tster::focusLost()
{
    if (m_jogInProgress)
        releaseJog();
    if (m_savedSpeed >= 0) {
        setSpeed(m_savedSpeed);
        m_savedSpeed = -1;
    }
}

void Tster::setSpeed(int mmPerMinute)
{
    m_speed = std::clamp(mmPerMinute, 0, std::max(0, m_ploter.state().maxV));
    m_ploter.SetSpeed(m_speed);
}

void Tster::stepSpeed(int sign)
{
    int step = 1;
    for (int candidate : {1000, 100, 10, 1}) {
        if (candidate <= m_speed) {
            step = candidate / 10 > 0 ? candidate / 10 : 1;
            break;
        }
    }
    m_speed = std::clamp(m_speed + sign * step, 10, std::max(10, m_ploter.state().maxV));
    m_ploter.SetSpeed(m_speed);
}

void Tster::setPowerPosition(int position)
{
    m_ploter.ReadPowerInfo();
    MachineState &s = m_ploter.state();
    if (s.lj) {
        m_powerPosition = std::clamp(position, 0, 100);
        s.plot.powerSetting = static_cast<std::uint16_t>(std::nearbyint(m_powerPosition * 255.0 / 100));
    } else {
        const int version = s.firmwareMajor * 10 + s.firmwareMinor;
        if (m_ploter.HasMinimumPowerLimit() && version < 35 && position >= 1 && position <= 7)
            position = 8;
        m_powerPosition = std::clamp(position, 0, 65535);
        s.plot.powerSetting = static_cast<std::uint16_t>(m_powerPosition);
    }
    m_ploter.SendHeatingPower();
}

void Tster::setTension(int position)
{
    m_ploter.SendWireTension(position * 10);
}

void Tster::toggleHeating()
{
    m_ploter.ToggleHeating();
}

void Tster::kstop()
{
    wstrzymaj();
    m_stoppedByUser = true;
}

void Tster::alignBackToFront()
{
    if (!m_ploter.nameStartsWith("Vq") || !m_ploter.ReadPositions())
        return;
    const tplotstate &p = m_ploter.plot();
    const long double unit = std::max(0.001L, Units::factor(m_ploter.settings().radiounit));
    m_ploter.MoveTo(true, true, static_cast<double>(p.X1 / 100.0L / unit), static_cast<double>(p.Y1 / 100.0L / unit),
                    static_cast<double>(p.Z / 100.0L / unit), 0);
}

void Tster::ParkBackArm()
{
    if (!m_ploter.ReadPositions())
        return;
    auto target = [this](double x2, double y2) {
        const tplotstate &p = m_ploter.plot();
        PanelTarget t;
        t.x1 = p.X1 / 100.0;
        t.y1 = p.Y1 / 100.0;
        t.z = p.Z / 100.0;
        t.s = p.S;
        t.w = p.W;
        t.x2 = x2;
        t.y2 = y2;
        return t;
    };
    if (m_ploter.plot().Y2 > 0 && !gotopoint(true, 2, target(0, 0)))
        return;
    gotopoint(true, 2, target(0, -10));
}

void Tster::setKeyFront(bool ticked)
{
    m_keyFront = ticked;
    if (isQ7() && ticked) {
        m_keyBack = false;
        sendArmSelection(0);
    }
}

void Tster::setKeyBack(bool ticked)
{
    m_keyBack = ticked;
    if (isQ7() && ticked) {
        m_keyFront = false;
        sendArmSelection(5);
    }
}
