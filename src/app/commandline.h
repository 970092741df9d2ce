#pragma once

#include <QString>
#include <QStringList>

// The program's command-line switches. A switch word is a whole parameter
// compared without regard to case ("fullPower", "REPEAT", "PL"); a value
// switch carries its value in single quotes inside the same parameter
// (OnlyMachine'BN12').
class CommandLine
{
public:
    CommandLine() = default;
    // The parameters alone, without the program name.
    explicit CommandLine(QStringList params);
    // From argv as the application received it: the first entry is the program.
    static CommandLine fromArguments(const QStringList &arguments);

    const QStringList &params() const { return m_params; }
    bool isEmpty() const { return m_params.isEmpty(); }

    // True when some parameter equals the word, ignoring case.
    bool ParamPresent(const QString &word) const;

    // The value of the first parameter that contains the word (ignoring case)
    // before an apostrophe: the text after that first apostrophe, without the
    // closing apostrophe. A parameter without an apostrophe is a plain switch
    // and never a value ("ChangeableFCWidth" is no value of "fcWidth").
    // Leaves value untouched and returns false when there is none.
    bool ParamValue(const QString &word, QString &value) const;

    // The dealer code from the last "D:" parameter longer than two
    // characters, upper-cased; empty without one. A code that already is
    // "SOLMAR" is kept whatever the command line says.
    void DealerName(QString &code) const;

    // The arguments of the running program; set once at start-up.
    static const CommandLine &current();
    static void setCurrent(CommandLine commandLine);

private:
    QStringList m_params;
};

// The same tests on the running program's command line.
bool ParamPresent(const QString &word);
bool ParamValue(const QString &word, QString &value);
void DealerName(QString &code);
