#include "app/commandline.h"

namespace {

CommandLine &currentCommandLine()
{
    static CommandLine commandLine;
    return commandLine;
}

} // namespace

CommandLine::CommandLine(QStringList params)
    : m_params(std::move(params))
{ }

CommandLine CommandLine::fromArguments(const QStringList &arguments)
{
    return CommandLine(arguments.mid(1));
}

bool CommandLine::ParamPresent(const QString &word) const
{
    for (const QString &param : m_params) {
        if (param.compare(word, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool CommandLine::ParamValue(const QString &word, QString &value) const
{
    for (const QString &param : m_params) {
        const qsizetype quote = param.indexOf(QLatin1Char('\''));
        if (quote < 0)
            continue;
        if (!param.left(quote).contains(word, Qt::CaseInsensitive))
            continue;
        QString text = param.mid(quote + 1);
        if (text.endsWith(QLatin1Char('\'')))
            text.chop(1);
        value = text;
        return true;
    }
    return false;
}

void CommandLine::DealerName(QString &code) const
{
    if (code == QLatin1String("SOLMAR"))
        return;
    for (qsizetype i = m_params.size() - 1; i >= 0; --i) {
        const QString &param = m_params.at(i);
        if (param.size() > 2 && param.startsWith(QLatin1String("D:"), Qt::CaseInsensitive)) {
            code = param.mid(2).toUpper();
            return;
        }
    }
    code.clear();
}

const CommandLine &CommandLine::current()
{
    return currentCommandLine();
}

void CommandLine::setCurrent(CommandLine commandLine)
{
    currentCommandLine() = std::move(commandLine);
}

bool ParamPresent(const QString &word)
{
    return CommandLine::current().ParamPresent(word);
}

bool ParamValue(const QString &word, QString &value)
{
    return CommandLine::current().ParamValue(word, value);
}

void DealerName(QString &code)
{
    CommandLine::current().DealerName(code);
}
