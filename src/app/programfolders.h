#pragma once

#include <QString>

// Where the program reads its resources and writes its own files.
//
// Resources (language files, pictures, manuals, firmware) always come from the
// folder that holds the executable. The program's own files (configuration,
// the job file "out.cn", the support page, barcode sets) go to that folder
// when it is writable, and otherwise to the per-user data folder, so an
// installation under /usr still works for an ordinary user.
class ProgramFolders
{
public:
    // Uses QCoreApplication::applicationDirPath(); needs a Q(Core)Application.
    static ProgramFolders fromApplication();

    // For tests and tools: explicit folders. An empty writable folder means
    // "decide from the program folder" as the program itself does.
    ProgramFolders(QString programDir, QString writableDir = {});

    // The folder of the executable, always ending without a separator.
    const QString &programDir() const { return m_programDir; }
    // The folder the program writes to (created when needed).
    const QString &writableDir() const { return m_writableDir; }

    QString resourcePath(const QString &name) const;
    QString writablePath(const QString &name) const;

    // The folders used by the running program; set once at start-up.
    static const ProgramFolders &current();
    static void setCurrent(const ProgramFolders &folders);

private:
    QString m_programDir;
    QString m_writableDir;
};
