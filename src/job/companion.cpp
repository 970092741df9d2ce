#include "job/companion.h"

#include "app/common.h"
#include "app/language.h"
#include "app/messages.h"
#include "project/holedrilling.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <cmath>

namespace {

QString Canonical(const QString &path)
{
    return QFileInfo(path).canonicalFilePath();
}

bool IsScript(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(2) == "#!";
}

// The file a process runs: its executable, or for an interpreter started on
// a script by the kernel, the script given as its first argument.
bool ProcessRuns(const QString &process, const QString &program, bool script)
{
    if (Canonical(QFile::symLinkTarget(process + QStringLiteral("/exe"))) == program)
        return true;
    if (!script)
        return false;
    QFile cmdline(process + QStringLiteral("/cmdline"));
    if (!cmdline.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> arguments = cmdline.readAll().split('\0');
    if (arguments.size() < 2 || arguments[1].isEmpty())
        return false;
    const QString argument = QString::fromLocal8Bit(arguments[1]);
    // A relative name was relative to where the process was started.
    const QDir from(QFile::symLinkTarget(process + QStringLiteral("/cwd")));
    return Canonical(QFileInfo(argument).isAbsolute() ? argument : from.filePath(argument)) == program;
}

} // namespace

bool CompanionRunning(const QString &path)
{
    const QString program = Canonical(path);
    if (program.isEmpty())
        return false;
    const bool script = IsScript(program);
    const QDir proc(QStringLiteral("/proc"));
    for (const QString &entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        entry.toLongLong(&number);
        if (number && ProcessRuns(proc.filePath(entry), program, script))
            return true;
    }
    return false;
}

TCompanionOutcome sbMorvantelloClick(const QString &path, const TCompanionHooks &hooks)
{
    if (CompanionRunning(path)) {
        if (hooks.minimiseMainWindow)
            hooks.minimiseMainWindow();
        return TCompanionOutcome::AlreadyRunning;
    }
    const QFileInfo file(path);
    if (path.isEmpty() || !file.isFile()) {
        ShowMsg(GetText(QStringLiteral("Universal"), QStringLiteral("txtPlikuBrak")) + QLatin1Char('\n')
                    + path,
                true);
        return TCompanionOutcome::Missing;
    }
    bool done = false;
    TCompanionOutcome outcome = TCompanionOutcome::Opened;
    if (file.isExecutable()) {
        const QStringList arguments {QStringLiteral("showAll")};
        done = hooks.startProgram ? hooks.startProgram(path, arguments)
                                  : QProcess::startDetached(path, arguments);
        outcome = TCompanionOutcome::Started;
    } else {
        done = hooks.openDocument && hooks.openDocument(path);
    }
    if (done)
        return outcome;
    ShowMsg(GetText(QStringLiteral("Universal"), QStringLiteral("zbioruNieMoznaOtworzyc")) + path, true);
    return TCompanionOutcome::Failed;
}

bool sbGenKrzyzToPunktClick(const TCompanionLink &link, const QString &filePath, int unit,
                            const std::function<void(const QString &path)> &open)
{
    const TCompanionData data = link.ReadCompanionData();
    // A NaN or an infinity is no value the companion meant: as missing as -1.
    const auto given = [](double v) { return std::isfinite(v) && v >= 0; };
    const bool present
        = given(data.point.x) && given(data.point.y) && given(data.firstValue) && given(data.secondValue);
    if (!present) {
        ShowMsg(GetText(QStringLiteral("Main_window"), QStringLiteral("msgWygenerujStozekWMorvantelloze")),
                true, GetText(QStringLiteral("Main_window"), QStringLiteral("msgBrakDanychZMorvantelloa")));
        return false;
    }
    const QByteArray drawing
        = ZapiszDXFkrzyzToPunkt(data.point.x, data.point.y, data.firstValue, data.secondValue, unit);
    if (!WriteFileMsg(filePath, drawing))
        return false;
    if (open)
        open(filePath);
    return true;
}
