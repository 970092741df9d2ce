#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The command-line switches the machine code reads, over the program's
// parameters (without the program name). A switch word is a whole parameter,
// compared case-insensitively; a value is written word'value'.
class MachineSwitches
{
public:
    MachineSwitches() = default;
    explicit MachineSwitches(QStringList parameters);

    bool present(const QString &word) const;
    // The value of the first parameter containing the word (case-insensitive),
    // from after its first apostrophe up to but not including its last
    // character; nothing when no parameter contains the word.
    std::optional<QString> value(const QString &word) const;
    std::optional<int> intValue(const QString &word) const;
    std::optional<double> realValue(const QString &word) const;

    const QStringList &parameters() const { return m_parameters; }

private:
    QStringList m_parameters;
};
