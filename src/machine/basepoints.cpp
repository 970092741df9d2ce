#include "machine/basepoints.h"

#include "app/common.h"
#include "app/configfiles.h"
#include "app/units.h"
#include "drawing/jobbytes.h"
#include "machine/sterowanie.h"

#include <QFile>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kFieldWidth = 9;
// Far beyond any machine's travel: a larger number is no position (and
// 0.01 mm of it still fits the controller's 32-bit positions).
constexpr long double kLargestMm = 1e7;

// A value in thousandths of the unit as fixed text with three decimals;
// formatted by hand so that the rounding is the program's (halves to even)
// and no group separators creep in.
QString fixedThousandths(std::int64_t thousandths, QChar separator)
{
    const std::int64_t magnitude = thousandths < 0 ? -thousandths : thousandths;
    QString text = QString::number(magnitude / 1000) + separator
        + QStringLiteral("%1").arg(magnitude % 1000, 3, 10, QLatin1Char('0'));
    if (thousandths < 0)
        text.prepend(QLatin1Char('-'));
    return text.rightJustified(kFieldWidth, QLatin1Char(' '));
}

std::optional<double> readNumber(QStringView text)
{
    QString number = text.trimmed().toString();
    number.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = QLocale::c().toDouble(number, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

QString FormatBasePointLine(std::int32_t x, std::int32_t y, int unit, const QLocale &locale)
{
    const long double factor = Units::isValidUnit(unit) ? Units::factor(unit) : 1.0L;
    const QChar separator
        = locale.decimalPoint().isEmpty() ? QLatin1Char('.') : locale.decimalPoint().front();
    // 0.01 mm to thousandths of the unit.
    auto thousandths = [factor](std::int32_t hundredthsMm) {
        return RoundToInt64Slow(RoundHalfEven(static_cast<long double>(hundredthsMm) * 10 / factor));
    };
    return QStringLiteral("X=") + fixedThousandths(thousandths(x), separator) + QStringLiteral("   Y=")
        + fixedThousandths(thousandths(y), separator) + QLatin1Char(' ')
        + Units::unitName(Units::isValidUnit(unit) ? unit : Units::Millimetre);
}

std::optional<BasePoint> ParseBasePointLine(QStringView line, int currentUnit)
{
    line = line.trimmed();
    if (!line.startsWith(QLatin1String("X=")))
        return std::nullopt;
    const qsizetype yAt = line.indexOf(QLatin1String("Y="), 2);
    if (yAt < 0)
        return std::nullopt;
    QStringView yText = line.mid(yAt + 2).trimmed();
    int unit = Units::isValidUnit(currentUnit) ? currentUnit : Units::Millimetre;
    for (int u : {Units::Millimetre, Units::Inch, Units::Foot}) {
        const QString suffix = QLatin1Char(' ') + Units::unitName(u);
        if (yText.endsWith(suffix)) {
            unit = u;
            yText.chop(suffix.size());
            break;
        }
    }
    const std::optional<double> x = readNumber(line.mid(2, yAt - 2));
    const std::optional<double> y = readNumber(yText);
    if (!x || !y)
        return std::nullopt;
    const long double factor = Units::factor(unit);
    const long double xMm = *x * factor, yMm = *y * factor;
    if (std::abs(xMm) > kLargestMm || std::abs(yMm) > kLargestMm)
        return std::nullopt;
    return BasePoint {static_cast<double>(xMm), static_cast<double>(yMm)};
}

TPunkty_bazowe::TPunkty_bazowe(QString path, int unit, QLocale locale)
    : m_path(std::move(path))
    , m_unit(unit)
    , m_locale(std::move(locale))
{
    QFile file(m_path);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        m_loadMessage = MachineMessage::of(QStringLiteral("Universal"),
                                           QStringLiteral("zbioruNieMoznaOtworzyc"), m_path);
        return;
    }
    const QString text = QString::fromUtf8(file.readAll());
    for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (!line.isEmpty())
            m_lines.append(line.toString());
    }
}

void TPunkty_bazowe::listaClick(int index)
{
    if (index < 0 || index >= m_lines.size())
        return;
    m_selected = index;
    m_actionsEnabled = true;
}

std::optional<MachineMessage> TPunkty_bazowe::DodajClick(std::int32_t x1, std::int32_t y1)
{
    m_lines.append(FormatBasePointLine(x1, y1, m_unit, m_locale));
    m_selected = static_cast<int>(m_lines.size()) - 1;
    m_actionsEnabled = true;
    return save();
}

std::optional<MachineMessage> TPunkty_bazowe::usunClick()
{
    if (m_selected < 0 || m_selected >= m_lines.size())
        return std::nullopt;
    m_lines.removeAt(m_selected);
    if (m_lines.isEmpty()) {
        m_selected = -1;
        m_actionsEnabled = false;
    } else {
        m_selected = std::min(m_selected, static_cast<int>(m_lines.size()) - 1);
    }
    return save();
}

TPunkty_bazowe::Target TPunkty_bazowe::ustawClick() const
{
    Target target;
    if (m_selected < 0 || m_selected >= m_lines.size())
        return target;
    target.point = ParseBasePointLine(m_lines[m_selected], m_unit);
    if (!target.point)
        target.message = MachineMessage::of(QStringLiteral("Base_points"), QStringLiteral("bladLinii"),
                                            QLatin1Char(' ') + QuotedExcerpt(m_lines[m_selected]));
    return target;
}

std::optional<MachineMessage> TPunkty_bazowe::save() const
{
    QByteArray bytes;
    for (const QString &line : m_lines)
        bytes += line.toUtf8() + "\r\n";
    const ConfigFiles::FileResult written = ConfigFiles::writeWholeFile(m_path, bytes);
    if (!written.ok)
        return MachineMessage::fileWriteFailed(m_path, written.error);
    return std::nullopt;
}

// --- Machine side ----------------------------------------------------------------

std::optional<std::pair<std::int32_t, std::int32_t>> ReadBasePointPosition(Ploter &ploter)
{
    if (!ploter.ReadPositions())
        return std::nullopt;
    return std::pair {ploter.plot().X1, ploter.plot().Y1};
}

bool GoToBasePoint(Tster &panel, Ploter &ploter, const BasePoint &point)
{
    // Nothing is switched on for a move that would be refused. A status
    // that cannot be read means no machine, not a busy one.
    if (!ploter.ReadStatus()) {
        ploter.showMessage(
            MachineMessage::of(QStringLiteral("Control"), QStringLiteral("ploterBrakLacznosci")));
        return false;
    }
    if (ploter.plot().has(StatusFlag::JobRunning | StatusFlag::Moving)) {
        ploter.showMessage(
            MachineMessage::of(QStringLiteral("Control"), QStringLiteral("nieMoznaPrzesuwac")));
        return false;
    }
    if (!ploter.SendCommand(ploter.heatingSwitchCommand(true, 2)))
        return false;
    ploter.clock().sleepMs(RoundToInt64Slow(RoundHalfEven(ploter.settings().CzasRozgrzewania)));
    if (!ploter.ReadPositions())
        return false;
    const MachineState &s = ploter.state();
    PanelTarget target;
    target.x1 = target.x2 = std::clamp(point.x, 0.0, static_cast<double>(std::max(0, s.limitX)));
    target.y1 = target.y2 = std::clamp(point.y, 0.0, static_cast<double>(std::max(0, s.limitY)));
    target.z = 0;
    target.s = s.plot.S;
    target.w = s.plot.W;
    return panel.gotopoint(false, 2, target);
}
