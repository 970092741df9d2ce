#include "app/filereplace.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool Done(int result, QString *reason)
{
    if (result == 0)
        return true;
    if (reason)
        *reason = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

} // namespace

bool ReplaceFile(const QString &from, const QString &to, QString *reason)
{
    return Done(std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()), reason);
}

bool ExchangeFolders(const QString &a, const QString &b, QString *reason)
{
    return Done(::renameat2(AT_FDCWD, QFile::encodeName(a).constData(), AT_FDCWD,
                            QFile::encodeName(b).constData(), RENAME_EXCHANGE),
                reason);
}

bool LinkFile(const QString &existing, const QString &newName)
{
    return ::link(QFile::encodeName(existing).constData(), QFile::encodeName(newName).constData()) == 0;
}
