#pragma once

#include "project/projectexport.h"

#include <QString>

#include <functional>
#include <vector>

// Saving the passes of a serial cut as numbered DXF files, one per project
// window, in pass order: "000.dxf", "007.dxf", "123.dxf", "1000.dxf".

// The file name (without extension) of a pass: at least three digits.
QString SerialPassName(int passNumber);

struct TSerialPassWindow
{
    int passNumber = 0;
    // Brings the window to the front and makes it the active one.
    std::function<void()> activate;
    // Writes the window's project as DXF (TMDIChild::SaveAsDXF).
    std::function<TSaveResult(const QString &fileName)> saveAsDxf;
};

enum class TSerialSaveResult {
    Saved,
    Cancelled, // the folder holds DXF files and the user kept them
    Failed, // a file could not be written (its message was shown); the passes after it were not saved
};

// Writes every window whose pass number is 0..9999 into the folder, lowest
// pass first. When the folder already holds "*.dxf" files the user is asked
// first (OK goes on, Cancel stops).
TSerialSaveResult SaveSerialPasses(const QString &folder, const std::vector<TSerialPassWindow> &windows);

// The folder dialog: caption, confirm-button caption, the folder it starts
// in and the name it proposes for a new folder; true with the chosen folder.
using TSelectFolder
    = std::function<bool(const QString &caption, const QString &confirmCaption, const QString &initialFolder,
                         const QString &proposedName, QString &folder)>;

// The serial save command: the user picks the folder, starting in the 3D
// model's folder with the model's name (without extension) proposed for a new
// folder; without a model in `defaultFolder` with no name proposed. Then the
// passes are saved there.
TSerialSaveResult SaveSerialCut(const QString &modelFileName, const QString &defaultFolder,
                                const TSelectFolder &selectFolder,
                                const std::vector<TSerialPassWindow> &windows);
