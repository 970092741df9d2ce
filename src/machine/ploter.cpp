#include "machine/ploter.h"

#include "drawing/jobwriter.h"
#include "machine/machinereplies.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const QString kControl = QStringLiteral("Control");

char byteArg(long long v)
{
    return static_cast<char>(std::clamp<long long>(v, 0, 255));
}

std::uint16_t clampUInt16(long double v)
{
    if (!(v >= 0)) // negative or NaN
        return 0;
    if (v > 65535)
        return 65535;
    return static_cast<std::uint16_t>(v);
}

std::int32_t clampInt32(long double v)
{
    if (std::isnan(v))
        return 0;
    return static_cast<std::int32_t>(std::clamp<long double>(v, std::numeric_limits<std::int32_t>::min(),
                                                             std::numeric_limits<std::int32_t>::max()));
}

} // namespace

QByteArray toByteArray(const TBytes &bytes)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

QByteArray int16Bytes(std::int16_t value)
{
    return toByteArray(Int16ToBytes(value));
}

QByteArray int32Bytes(std::int32_t value)
{
    return toByteArray(Int32ToBytes(value));
}

Ploter::Ploter(TfUsb &link, MachineState &state, MachineClock &clock)
    : m_link(link)
    , m_state(state)
    , m_clock(clock)
{
}

void Ploter::showMessage(const MachineMessage &message) const
{
    if (m_messages)
        m_messages(message);
}

// --- Sending ---------------------------------------------------------------

bool Ploter::SendCommand(const QByteArray &command)
{
    // A move goes record by record: the controller takes each 6-byte record
    // as a command of its own.
    const bool move = !command.isEmpty() && (command[0] & 0xDF) == 'A';
    const qsizetype piece = move ? 6 : command.size();
    for (qsizetype at = 0; at < command.size(); at += piece) {
        const int result = m_link.Write(command.constData() + at,
                                        static_cast<int>(std::min(piece, command.size() - at)));
        if (result != 0) {
            showMessage(MachineMessage::of(kControl, QStringLiteral("ploterBrakLacznosci"), QString::number(result)));
            return false;
        }
    }
    return true;
}

bool Ploter::StopMove()
{
    return SendCommand(QByteArrayLiteral("Y"));
}

bool Ploter::SetSpeed(int mmPerMinute)
{
    const bool sent = SendCommand(speedCommand(m_state.plot.speedMode, mmPerMinute));
    ReadSpeeds();
    return sent;
}

QByteArray Ploter::speedCommand(int mode, double mmPerMinute) const
{
    QByteArray c("V");
    c.append(byteArg(mode));
    c.append(int16Bytes(static_cast<std::int16_t>(speedPeriod(mmPerMinute))));
    return c;
}

QByteArray Ploter::heatingPowerCommand(int channel, long long power) const
{
    QByteArray c("T");
    c.append(byteArg(channel));
    if (IsNewProtocol())
        c.append(int32Bytes(static_cast<std::int32_t>(
            std::clamp<long long>(power, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()))));
    else
        c.append(byteArg(power));
    return c;
}

QByteArray Ploter::heatingSwitchCommand(bool on, int channel) const
{
    QByteArray c("R");
    c.append(static_cast<char>(on ? 1 : 0));
    c.append(byteArg(channel));
    return c;
}

bool Ploter::SendHeatingPower()
{
    return SendCommand(heatingPowerCommand(m_state.plot.powerChannel, m_state.plot.powerSetting));
}

bool Ploter::SendJobOrigin()
{
    QByteArray c("U");
    c.append(int32Bytes(clampInt32(std::nearbyint(static_cast<long double>(m_state.plot.jobOriginX) * m_state.resX))));
    c.append(int32Bytes(clampInt32(std::nearbyint(static_cast<long double>(m_state.plot.jobOriginY) * m_state.resY))));
    return SendCommand(c);
}

bool Ploter::SendLengthUnit(int unit)
{
    QByteArray c("S");
    c.append(static_cast<char>(6));
    c.append(int32Bytes(unit));
    return SendCommand(c);
}

bool Ploter::SendWireTension(int tenths)
{
    QByteArray c("S");
    c.append(static_cast<char>(7));
    c.append(int32Bytes(tenths));
    return SendCommand(c);
}

bool Ploter::WriteEepromParameter(int address, int value)
{
    QByteArray c("S");
    c.append(static_cast<char>(13));
    c.append(byteArg(address));
    c.append(byteArg(value));
    return SendCommand(c);
}

bool Ploter::CheckConnected()
{
    if (!m_link.connected())
        showMessage(MachineMessage::of(kControl, QStringLiteral("ploterBrakLacznosci")));
    return m_link.connected();
}

// --- Conversions -------------------------------------------------------------

std::uint16_t Ploter::SpeedToPeriod(int speed) const
{
    // The job writer and the live commands must agree on the period of a speed.
    return ::SpeedToPeriod(speed, m_state.resX);
}

std::uint16_t Ploter::speedPeriod(double mmPerMinute) const
{
    return ::SpeedCommandPeriod(mmPerMinute, m_state.wspV, m_state.resX);
}

std::uint16_t Ploter::PeriodToSpeed(int period) const
{
    if (period == 0)
        return clampUInt16(m_state.maxV);
    if (!(m_state.resX > 0))
        return 0;
    return clampUInt16(std::nearbyint(600000.0L / m_state.resX / (static_cast<long double>(period) * 0.8L)));
}

// --- Queries -----------------------------------------------------------------

bool Ploter::ReadStatus()
{
    if (m_link.ReadString(Reply::Status) != 0)
        return false;
    return parseStatus(m_link.reply(), m_link.replyLength(), m_state.plot);
}

bool Ploter::ReadPositions()
{
    if (m_link.ReadString(Reply::Status) != 0)
        return false;
    return parsePositions(m_link.reply(), m_link.replyLength(), m_state);
}

bool Ploter::ReadSpeeds()
{
    if (m_link.ReadString(Reply::Speeds) != 0)
        return false;
    return parseSpeeds(m_link.reply(), m_link.replyLength(), m_state);
}

bool Ploter::ReadPowerInfo()
{
    if (m_link.ReadString(Reply::Power) != 0)
        return false;
    return parsePowerInfo(m_link.reply(), m_link.replyLength(), m_state.plot);
}

bool Ploter::ReadWireTension()
{
    if (m_link.ReadString(Reply::WireTension) != 0)
        return false;
    return parseWireTension(m_link.reply(), m_link.replyLength(), m_state.plot);
}

QString Ploter::ReadFirmwareVersion()
{
    if (m_link.ReadString(Reply::Firmware) != 0 || m_link.replyLength() < replyMinimumLength(Reply::Firmware))
        return {};
    m_state.firmwareMajor = m_link.reply()[0];
    m_state.firmwareMinor = m_link.reply()[1];
    if (m_protocolHook)
        m_protocolHook(IsNewProtocol());
    return QString::number(m_state.firmwareMajor) + QLatin1Char('.') + QString::number(m_state.firmwareMinor);
}

bool Ploter::ReadMachineInfo()
{
    const bool read = m_link.ReadString(Reply::MachineInfo) == 0;
    const std::optional<MachineInfoReply> info = read ? parseMachineInfo(m_link.reply(), m_link.replyLength())
                                                      : std::nullopt;
    tplotstate &p = m_state.plot;
    if (info && m_link.selectedDevice()) {
        const HidDeviceInfo &device = m_link.selectedDevice()->info();
        p.manufacturer = device.manufacturer;
        p.machineName = device.product;
        p.serialNumber = device.serialNumber;
        p.family = p.machineName.left(2);
        m_state.limitX = info->limitX;
        m_state.limitY = info->limitY;
        m_state.limitZ = info->limitZ;
        m_state.sideAreaLimits = {info->limitZ, info->limitY, 360};
        p.workingTime = info->workingTime;
        p.count = info->count;
    }
    const MachineSwitches &sw = m_link.switches();
    if (const std::optional<QString> name = sw.value(QStringLiteral("MachineName"))) {
        p.machineName = name->left(8);
        p.family = p.machineName.left(2);
    }
    if (const std::optional<int> v = sw.intValue(QStringLiteral("limitX")))
        m_state.limitX = *v;
    if (const std::optional<int> v = sw.intValue(QStringLiteral("limitY")))
        m_state.limitY = *v;

    ReadResolutions();
    SetModelDefaults();
    ReadFirmwareVersion();
    return info.has_value();
}

bool Ploter::ReadResolutions()
{
    const bool read = m_link.ReadString(Reply::Resolutions) == 0;
    const std::optional<ResolutionsReply> res = read ? parseResolutions(m_link.reply(), m_link.replyLength())
                                                     : std::nullopt;
    if (res) {
        m_state.readResX = res->resX;
        m_state.readResY = res->resY;
        m_state.readResZ = res->resZ;
        m_state.readResW = res->resW;
        m_state.readResS = res->resS;
        m_state.readRes3 = res->res3;
        m_state.fcWidth = res->fcWidth;
        if (const std::optional<double> w = m_link.switches().realValue(QStringLiteral("fcWidth")))
            m_state.fcWidth = *w;
        if (!(m_state.workingWidth > 0))
            m_state.workingWidth = m_state.fcWidth;
    }
    // Overrides and calibration always start from the last good reply, so a
    // failed read neither loses the resolutions nor adds calibration twice.
    m_state.resX = m_state.readResX;
    m_state.resY = m_state.readResY;
    m_state.resZ = m_state.readResZ;
    m_state.resW = m_state.readResW;
    m_state.resS = m_state.readResS;
    m_state.res3 = m_state.readRes3;
    ApplyResolutionOverrides();
    m_state.resX += m_settings.feKalibracjaX / 100;
    m_state.resY += m_settings.feKalibracjaY / 100;
    return res.has_value();
}

void Ploter::ApplyResolutionOverrides()
{
    const MachineSwitches &sw = m_link.switches();
    // Overrides that would leave an axis without steps are ignored.
    if (const std::optional<double> v = sw.realValue(QStringLiteral("resX")); v && *v > 0)
        m_state.resX = *v;
    if (const std::optional<double> v = sw.realValue(QStringLiteral("resY")); v && *v > 0)
        m_state.resY = *v;
    if (const std::optional<int> v = sw.intValue(QStringLiteral("resS")); v && *v > 0)
        m_state.resS = *v;
    if (const std::optional<int> v = sw.intValue(QStringLiteral("resW")); v && *v > 0)
        m_state.resW = *v;
    if (sw.present(QStringLiteral("Sgear20")))
        m_state.resS = 50000;
    if (sw.present(QStringLiteral("Wgear20")))
        m_state.resW = 50000;
    if (sw.present(QStringLiteral("SWgear20"))) {
        m_state.resS = 50000;
        m_state.resW = 50000;
    }
}
