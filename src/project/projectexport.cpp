#include "project/projectexport.h"

#include "app/common.h"
#include "app/configfiles.h"
#include "drawing/drawingexport.h"

#include <QFileInfo>

namespace {

TSaveResult SaveWhole(const QString &fileName, const std::string &bytes)
{
    const ConfigFiles::FileResult written = ConfigFiles::writeWholeFile(
        fileName, QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size())));
    if (written.ok)
        return {};
    return {false, FileWriteFailedText(fileName, written.error)};
}

// Files of one kind, then all files; the dialog opens in the project's folder.
TSaveDialogRequest SaveDialog(const char *title, const char *kind, const char *suffix,
                              const QString &projectFileName)
{
    const QString pattern = QStringLiteral("*.") + QLatin1String(suffix);
    TSaveDialogRequest request;
    request.title = QLatin1String(title);
    request.filters = {{QLatin1String(kind) + QStringLiteral(" (") + pattern + QLatin1Char(')'), {pattern}},
                       {QStringLiteral("all files (*.*)"), {QStringLiteral("*.*")}}};
    request.defaultSuffix = QLatin1String(suffix);
    if (!projectFileName.isEmpty())
        request.folder = QFileInfo(projectFileName).absolutePath();
    return request;
}

} // namespace

TSaveResult SaveFiguresAsHpgl(const std::vector<tfigura> &figures, const QString &fileName)
{
    return SaveWhole(fileName, ExportHpgl(figures));
}

TSaveResult SaveFiguresAsDxf(const std::vector<tfigura> &figures, const QString &fileName)
{
    return SaveWhole(fileName, ExportDxf(figures));
}

TSaveDialogRequest HpglSaveDialog(const QString &projectFileName)
{
    TSaveDialogRequest request
        = SaveDialog("Save output file as HPGL.plt", "HPGL.plt", "plt", projectFileName);
    if (!projectFileName.isEmpty()) {
        // The extension replaced, as the last one only: "wing.v2.dxf" becomes "wing.v2.plt".
        request.proposedName = QFileInfo(projectFileName).completeBaseName() + QStringLiteral(".plt");
    }
    return request;
}

TSaveDialogRequest DxfSaveDialog(const QString &projectFileName)
{
    return SaveDialog("Save output file as DXF", "DXF", "dxf", projectFileName);
}
