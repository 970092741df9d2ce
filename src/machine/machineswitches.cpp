#include "machine/machineswitches.h"

#include <cmath>

MachineSwitches::MachineSwitches(QStringList parameters)
    : m_commandLine(std::move(parameters))
{
}

MachineSwitches::MachineSwitches(CommandLine commandLine)
    : m_commandLine(std::move(commandLine))
{
}

bool MachineSwitches::present(const QString &word) const
{
    return m_commandLine.ParamPresent(word);
}

std::optional<QString> MachineSwitches::value(const QString &word) const
{
    QString v;
    if (!m_commandLine.ParamValue(word, v))
        return std::nullopt;
    return v;
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
