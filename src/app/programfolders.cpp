#include "app/programfolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <optional>

namespace {

QString withoutTrailingSeparator(QString path)
{
    path = QDir::cleanPath(path);
    return path;
}

// QFileInfo::isWritable looks only at permission bits; a read-only mount or an
// ACL can still refuse, so try to create a file the way the program will.
bool canWriteIn(const QString &dir)
{
    if (!QFileInfo(dir).isDir())
        return false;
    QTemporaryFile probe(dir + QStringLiteral("/.prentavik-write-test-XXXXXX"));
    return probe.open();
}

QString perUserDataDir()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (dir.isEmpty())
        dir = QDir::homePath() + QStringLiteral("/.local/share/Prentavik");
    QDir().mkpath(dir);
    return withoutTrailingSeparator(dir);
}

std::optional<ProgramFolders> &currentFolders()
{
    static std::optional<ProgramFolders> folders;
    return folders;
}

} // namespace

ProgramFolders ProgramFolders::fromApplication()
{
    return ProgramFolders(QCoreApplication::applicationDirPath());
}

ProgramFolders::ProgramFolders(QString programDir, QString writableDir)
    : m_programDir(withoutTrailingSeparator(std::move(programDir)))
    , m_writableDir(std::move(writableDir))
{
    if (m_writableDir.isEmpty())
        m_writableDir = canWriteIn(m_programDir) ? m_programDir : perUserDataDir();
    else
        QDir().mkpath(m_writableDir);
    m_writableDir = withoutTrailingSeparator(m_writableDir);
}

QString ProgramFolders::resourcePath(const QString &name) const
{
    return m_programDir + QLatin1Char('/') + name;
}

QString ProgramFolders::writablePath(const QString &name) const
{
    return m_writableDir + QLatin1Char('/') + name;
}

const ProgramFolders &ProgramFolders::current()
{
    auto &folders = currentFolders();
    if (!folders)
        folders = fromApplication();
    return *folders;
}

void ProgramFolders::setCurrent(const ProgramFolders &folders)
{
    currentFolders() = folders;
}
