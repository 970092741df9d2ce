#pragma once

#include "app/commandline.h"

#include <QString>
#include <QStringList>

#include <optional>

// The command-line switches the machine code reads, over the program's
// command line, with typed values for the machine overrides.
class MachineSwitches
{
public:
    MachineSwitches() = default;
    explicit MachineSwitches(QStringList parameters);
    explicit MachineSwitches(CommandLine commandLine);

    bool present(const QString &word) const;
    std::optional<QString> value(const QString &word) const;
    std::optional<int> intValue(const QString &word) const;
    std::optional<double> realValue(const QString &word) const;

private:
    CommandLine m_commandLine;
};
