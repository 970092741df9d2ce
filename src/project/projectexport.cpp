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

QString FolderOf(const QString &projectFileName)
{
    return projectFileName.isEmpty() ? QString() : QFileInfo(projectFileName).absolutePath();
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
    TSaveDialogRequest request;
    request.title = QStringLiteral("Save output file as HPGL.plt");
    request.filters = {{QStringLiteral("HPGL.plt (*.plt)"), {QStringLiteral("*.plt")}},
                       {QStringLiteral("all files (*.*)"), {QStringLiteral("*.*")}}};
    request.defaultSuffix = QStringLiteral("plt");
    request.folder = FolderOf(projectFileName);
    if (!projectFileName.isEmpty()) {
        // The extension replaced, as the last one only: "wing.v2.dxf" becomes "wing.v2.plt".
        request.proposedName = QFileInfo(projectFileName).completeBaseName() + QStringLiteral(".plt");
    }
    return request;
}

TSaveDialogRequest DxfSaveDialog(const QString &projectFileName)
{
    TSaveDialogRequest request;
    request.title = QStringLiteral("Save output file as DXF");
    request.filters = {{QStringLiteral("DXF (*.dxf)"), {QStringLiteral("*.dxf")}},
                       {QStringLiteral("all files (*.*)"), {QStringLiteral("*.*")}}};
    request.defaultSuffix = QStringLiteral("dxf");
    request.folder = FolderOf(projectFileName);
    return request;
}
