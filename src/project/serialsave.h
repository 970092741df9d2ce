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
