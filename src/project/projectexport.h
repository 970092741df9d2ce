#pragma once

#include "drawing/figure.h"
#include "project/openfile.h"

#include <QString>

#include <vector>

// A project's figures written out as an HPGL or DXF drawing, and the save
// dialog the export commands show for it.

// What became of a file the operator asked for: the text to show when it
// could not be written.
struct TSaveResult
{
    bool ok = true;
    QString message;
};

// The file is replaced only once it is written whole: a failed write keeps
// the file that was there and leaves no temporary behind.
TSaveResult SaveFiguresAsHpgl(const std::vector<tfigura> &figures, const QString &fileName);
TSaveResult SaveFiguresAsDxf(const std::vector<tfigura> &figures, const QString &fileName);

struct TSaveDialogRequest
{
    QString title;
    QList<TFileFilter> filters;
    QString defaultSuffix; // added to a name given without one
    QString folder; // where the dialog opens: the project's folder
    QString proposedName; // without a folder; may be empty
};

// The HPGL dialog proposes the project's file name with ".plt"; the DXF
// dialog proposes none.
TSaveDialogRequest HpglSaveDialog(const QString &projectFileName);
TSaveDialogRequest DxfSaveDialog(const QString &projectFileName);
