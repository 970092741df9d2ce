#pragma once

#include "job/ipcslave.h"

#include <QString>
#include <QStringList>

#include <functional>

// The two buttons of the companion program: bring it forward or start it,
// and turn the hole it computed into a hole-drilling project.

// Whether a process of this user runs the program at `path`: its executable
// is that file, or, for a script, its interpreter was handed that file
// (windows cannot be found by title on every desktop).
bool CompanionRunning(const QString &path);

struct TCompanionHooks
{
    // The main window steps aside for a companion that already runs.
    std::function<void()> minimiseMainWindow;
    // Default: QProcess::startDetached.
    std::function<bool(const QString &program, const QStringList &arguments)> startProgram;
    // Files that are no program go to the desktop's viewer.
    std::function<bool(const QString &path)> openDocument;
};

enum class TCompanionOutcome { AlreadyRunning, Started, Opened, Missing, Failed };

// A running companion makes the main window minimise itself; otherwise an
// executable is started with "showAll" and any other file opened with the
// desktop; a missing file, or one that could not be started, is shown.
TCompanionOutcome sbMorvantelloClick(const QString &path, const TCompanionHooks &hooks);

// Reads the companion's hole and frame; when all four are there (at least 0)
// writes the drawing to `filePath` whole and hands it to `open`. Missing
// values and a failed write are shown, and nothing is opened. True when the
// drawing was written and opened.
bool sbGenKrzyzToPunktClick(const TCompanionLink &link, const QString &filePath, int unit,
                            const std::function<void(const QString &path)> &open);
