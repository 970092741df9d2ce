#include "machine/machineswitches.h"

#include <cmath>

MachineSwitches::MachineSwitches(QStringList parameters)
    : m_parameters(std::move(parameters))
{
}

bool MachineSwitches::present(const QString &word) const
{
    for (const QString &p : m_parameters) {
        if (p.compare(word, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

std::optional<QString> MachineSwitches::value(const QString &word) const
{
    for (const QString &p : m_parameters) {
        if (!p.contains(word, Qt::CaseInsensitive))
            continue;
        const qsizetype apostrophe = p.indexOf(QLatin1Char('\''));
        const qsizetype from = apostrophe < 0 ? 0 : apostrophe + 1;
        const qsizetype length = std::max<qsizetype>(0, p.size() - 1 - from);
        return p.mid(from, length);
    }
    return std::nullopt;
}

std::optional<int> MachineSwitches::intValue(const QString &word) const
{
    const std::optional<QString> text = value(word);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const int v = text->trimmed().toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

std::optional<double> MachineSwitches::realValue(const QString &word) const
{
    const std::optional<QString> text = value(word);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const double v = text->trimmed().toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}
