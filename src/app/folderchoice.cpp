#include "app/folderchoice.h"

#include "app/language.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString SelectFolderText(const char *key)
{
    return GetText(QStringLiteral("SelectFolder"), QString::fromLatin1(key));
}

} // namespace

QString ForbiddenFolderNameCharacters()
{
    return QStringLiteral("\\/:*?\"<>|");
}

bool IsValidFolderName(const QString &name)
{
    if (name.isEmpty())
        return false;
    const QString forbidden = ForbiddenFolderNameCharacters();
    bool onlyDotsAndBlanks = true;
    for (const QChar c : name) {
        if (forbidden.contains(c))
            return false;
        if (c != QLatin1Char('.') && !c.isSpace())
            onlyDotsAndBlanks = false;
    }
    return !onlyDotsAndBlanks;
}

QString InvalidFolderNameText(const QString &name)
{
    return SelectFolderText("msgNiepoprawnaNazwaFolderu") + QStringLiteral("\r\n\r\n") + name
        + QStringLiteral("\r\n\r\n") + SelectFolderText("msgZnakiNiedozwolone") + QStringLiteral(" :  ")
        + ForbiddenFolderNameCharacters();
}

TNewFolderResult CreateNewFolder(const QString &parent, const QString &name, QString &path)
{
    path = QDir(parent).filePath(name);
    if (QFileInfo::exists(path))
        return TNewFolderResult::Exists;
    return QDir(parent).mkdir(name) ? TNewFolderResult::Created : TNewFolderResult::Failed;
}

QString NewFolderFailureText(TNewFolderResult result, const QString &path)
{
    const char *key = result == TNewFolderResult::Exists ? "folderJuzIstnieje" : "bladTworzeniaFolderu";
    return SelectFolderText(key) + QStringLiteral("\r\n") + QDir::toNativeSeparators(path);
}
